#!/usr/bin/env bash
# Under a private X server at twice the scale (QT_SCALE_FACTOR=2, as on a 4K laptop), with SDL's
# disk driver: the Wave page maps the X pointer over the whole screen, so x = 320 of 1280 plays
# 2520 Hz and the lower half of the screen is not silent; then on the Midi tab, "20" and Enter in
# the instrument box keeps instrument 20 (program 19), which the store holds after Exit.
# Usage: scaled_screen.sh LIRVETO
set -uo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_x_server
use_private_folders
export QT_SCALE_FACTOR=2 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
start_lirveto

# 1280 device pixels wide: the Wave page's 20 + 10000 x / 1280 Hz, low on the screen.
xdotool mousemove 320 700
xdotool windowfocus --sync "$window"
xdotool key space
for x in 320 640; do
  xdotool mousemove "$x" 700
  sleep 4
done
xdotool key space
sleep 0.5
"$python" "$here/pitch_steps.py" "$work/audio.raw" 22050 2520 5020 ||
  fail "the Wave page did not play 2520 and 5020 Hz at x = 320 and 640, y = 700"

# The Midi tab sits right of "Wave" just below the menu bar; the instrument box's field is at the
# right, below its caption (dialog pixels doubled).
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove "$((X + 170))" "$((Y + 66))" click 1
sleep 0.5
xdotool windowfocus --sync "$window"
xdotool mousemove "$((X + 450))" "$((Y + 172))" click 1
sleep 0.2
xdotool key ctrl+a
xdotool type --delay 20 20
xdotool key Return
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key x
wait_exit
store="$work/config/Quillhorn/Lirveto.reg"
grep -q '"Instrument"=hex:13' "$store" ||
  fail "the store does not hold instrument 20 (program 19): $(grep Instrument "$store")"
echo "e2e: passed"
