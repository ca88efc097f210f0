#!/usr/bin/env bash
# The DirectSound tab under a private X server with SDL's disk audio driver: the pitch of the
# stream follows the pointer, and a recording left unnamed survives SIGTERM, as does its play,
# which renders again through the page to the same tones, each of the same pitch and loudness.
# Usage: dsound_play.sh LIRVETO OUTPUT_FOLDER
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

# The DirectSound tab is the last one.
choose_last_tab
# Then play with the pointer near the top (loud), holding each place for a second and a half;
# the stream climbs 5 Hz a millisecond, so each tone is reached well within that.
xdotool mousemove 64 100
xdotool windowfocus --sync "$window"
xdotool key space
positions=(128 384 640 896)
expected=()
for x in "${positions[@]}"; do
  xdotool mousemove "$x" 100
  expected+=("$((20 + 10000 * x / 1280))")
  sleep 1.5
done
eval "$(xdotool getwindowgeometry --shell "$window")"
xwd -root -silent >"$work/screen.xwd"
"$python" "$here/../xwd_to_png.py" "$work/screen.xwd" "$output/lirveto-dsound.png" \
  "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "no screenshot"
xdotool key space
sleep 0.5
grep -qi "can't\|error" "$work/lirveto.log" && fail "the program reported a failure"
"$python" "$here/pitch_steps.py" "$work/audio.raw" 22050 "${expected[@]}" ||
  fail "the pitch did not follow the pointer"
echo "e2e: the DirectSound tab played ${expected[*]} Hz"

# Record into an unnamed file, moving, then end on SIGTERM while playing: the recording is kept.
xdotool key ctrl+n
sleep 0.3
xdotool key space
for place in "768 100" "640 400"; do
  sleep 1
  xdotool mousemove $place
done
sleep 1
kill -TERM "$lirveto"
for _ in $(seq 100); do kill -0 "$lirveto" 2>/dev/null || break; sleep 0.1; done
kill -0 "$lirveto" 2>/dev/null && fail "Lirveto did not end on SIGTERM"
wait "$lirveto"
status=$?
lirveto=
[ "$status" -eq 0 ] || fail "Lirveto exited with $status on SIGTERM"
kept=$(ls "$work/data/Lirveto/recovered"/*.wav 2>/dev/null | head -n1)
[ -n "$kept" ] || fail "the unnamed recording was not kept"
size=$(stat -c %s "$kept")
[ "$size" -gt 20000 ] || fail "the kept recording holds only $size bytes"
performance=$(ls "$work/data/Lirveto/recovered"/*dsound.performance 2>/dev/null | head -n1)
[ -n "$performance" ] || fail "the play was not kept"
"$(dirname "$program")/lirveto-render" --performance "$performance" --out "$work/again.wav" ||
  fail "lirveto-render could not render the kept performance"
"$python" "$here/same_tones.py" "$kept" "$work/again.wav" ||
  fail "the kept performance renders other tones than its take"
echo "e2e: passed; $kept holds $size bytes; screenshot in $output/lirveto-dsound.png"
