#!/usr/bin/env bash
# The play surface under a private X server with a window manager: F11 covers the screen, the
# pointer over it plays the expected pitches, Esc leaves, and the program ends cleanly with the
# surface open, by Exit and by SIGTERM, showing it again at the next start.
# Usage: play_surface.sh LIRVETO OUTPUT_FOLDER   (leaves play-surface.png in OUTPUT_FOLDER)
set -uo pipefail

program=$1
output=$2
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
mkdir -p "$output"

# shellcheck source=x_session.sh
source "$here/x_session.sh"
start_x_server
start_window_manager
use_private_folders
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
registry="$work/config/Quillhorn/Lirveto.reg"
# A 2 kHz pitch range: the guide spreads the notes a player reaches for across the screen.
mkdir -p "$(dirname "$registry")"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"Pitch"=hex:02\n' >"$registry"

gone() {  # NAME: true once no visible window has that name
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

start_lirveto
focus_window "$window"
xdotool key F11
surface=$(wait_window 'Lirveto play surface')
[ -n "$surface" ] || fail "F11 showed no play surface"
eval "$(xdotool getwindowgeometry --shell "$surface")"
[ "$WIDTH" -eq 1280 ] && [ "$HEIGHT" -eq 1024 ] || fail "the surface is ${WIDTH}x$HEIGHT, not the screen"
echo "e2e: the surface covers the screen"

# Play over the surface: Space toggles as in the main window; each place held for several
# buffers. Pitch 2 on 1280 columns.
xdotool mousemove 64 100
xdotool windowfocus --sync "$surface"
xdotool key space
expected=()
for x in 128 384 640 896; do  # whole tens of Hz, as the zero-crossing count measures
  xdotool mousemove "$x" 100
  expected+=("$((20 + 2000 * x / 1280))")
  sleep 4
done
xdotool mousemove 270 300  # about 440 Hz
sleep 0.5
xwd -root -silent >"$work/screen.xwd"
"$python" "$here/../xwd_to_png.py" "$work/screen.xwd" "$output/play-surface.png" 0 0 1280 1024 ||
  fail "no screenshot"
xdotool key space
sleep 0.5
"$python" "$here/pitch_steps.py" "$work/audio.raw" 22050 "${expected[@]}" ||
  fail "the pitch did not follow the pointer over the surface"
echo "e2e: the pitch followed the pointer over the surface"

xdotool key Escape
gone '^Lirveto play surface$' || fail "Esc did not leave the surface"
kill -0 "$lirveto" 2>/dev/null || fail "Lirveto ended with the surface"

# Exit from the main window's menu while the surface is shown.
xdotool windowfocus --sync "$window"
xdotool key F11
surface=$(wait_window 'Lirveto play surface')
[ -n "$surface" ] || fail "F11 did not show the surface again"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.5
xdotool key x
wait_exit
grep -q '^"PlaySurface"=hex:01' "$registry" || fail "the shown surface was not kept in the registry"
echo "e2e: Exit with the surface shown ended with 0 and kept PlaySurface"

# The next start shows it at once; SIGTERM ends cleanly and keeps it.
"$program" >"$work/lirveto.log" 2>&1 &
lirveto=$!
[ -n "$(wait_window 'Lirveto play surface')" ] || fail "the next start did not show the surface"
kill -TERM "$lirveto"
wait_exit
grep -q '^"PlaySurface"=hex:01' "$registry" || fail "SIGTERM lost PlaySurface"
echo "e2e: passed; screenshot in $output/play-surface.png"
