#!/usr/bin/env bash
# Lirveto as a user meets it, under a private X server: start it, start it again, play with the
# pointer, record, quit from the menu. The captured audio must follow the pointer.
# Usage: play_and_quit.sh LIRVETO OUTPUT_FOLDER
set -uo pipefail

program=$1
output=$2
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
mkdir -p "$output"

# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_x_server

use_private_folders
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
start_lirveto
echo "e2e: window $window is up"

# A second start hands over to the first and leaves.
timeout 20 "$program" >"$work/second.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the second start exited with $status"
kill -0 "$lirveto" 2>/dev/null || fail "the first instance is gone after the second start"
[ "$(xdotool search --onlyvisible --name '^Lirveto$' | wc -l)" -eq 1 ] || fail "two Lirveto windows"
echo "e2e: a second start exited 0 and the first stays"

# Play: Space on the window, then the pointer across the screen near the top (loud), holding
# each place long enough for two of the engine's buffers.
xdotool mousemove 64 100
xdotool windowfocus --sync "$window"
xdotool key space
positions=(64 256 512 768 1024)
expected=()
for x in "${positions[@]}"; do
  xdotool mousemove "$x" 100
  expected+=("$((20 + 10000 * x / 1280))")
  sleep 4
done
eval "$(xdotool getwindowgeometry --shell "$window")"
xwd -root -silent >"$work/screen.xwd"
"$python" "$here/../xwd_to_png.py" "$work/screen.xwd" "$output/lirveto-window.png" \
  "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "no screenshot"
xdotool key space
sleep 0.5
"$python" "$here/pitch_steps.py" "$work/audio.raw" 22050 "${expected[@]}" ||
  fail "the pitch did not follow the pointer"

# Record: File New, play, stop. The recording starts in a temporary file.
xdotool key ctrl+n
wait_title "$window" "[noname.WAV] Lirveto"
take=$(find "$work/tmp" -name 'RIF*.TMP' | head -n1)
[ -n "$take" ] || fail "no temporary recording file in TMPDIR"
xdotool key space
wait_growth "$take"
sleep 1
xdotool key space
sleep 0.3
echo "e2e: recorded into $take"

# View > Note name off, then File > Exit; the save check asks about the recording: No.
xdotool key alt+v
sleep 0.5
xdotool key n
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key x
box=
for _ in $(seq 50); do
  box=$(xdotool search --onlyvisible --name '^Sound file has changed$' 2>/dev/null | head -n1)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "Exit did not ask about the unsaved recording"
xdotool windowfocus --sync "$box"
xdotool key n
wait_exit

registry="$work/config/Quillhorn/Lirveto.reg"
[ -f "$registry" ] || fail "no settings at $registry"
grep -q '^"Pitch"=hex:0a' "$registry" || fail "Pitch is not in the settings"
grep -q '^"ViewNoteName"="0"' "$registry" || fail "the View change was not saved"
ls "$work/tmp"/RIF*.TMP >/dev/null 2>&1 && fail "the discarded recording was left behind"
echo "e2e: passed; screenshot in $output/lirveto-window.png"
