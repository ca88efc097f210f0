#!/usr/bin/env bash
# The Midi tab as a user meets it, under a private X server, on the built-in synth with SDL's disk
# driver: play with the pointer and hear the pitch follow it, then record with File New, name the
# recording with Save As, close it, and read it back with mido.
# Usage: midi_play_and_record.sh LIRVETO OUTPUT_FOLDER
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

# The Midi tab, then play: the first settings give notes 40 to 80 across the 1280 pixels, so
# x = 320, 640, 960 play notes 50, 60, 70 exactly.
# The tab sits right of "Wave", just below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove "$((X + 85))" "$((Y + 33))" click 1
sleep 0.5
xdotool mousemove 320 100
xdotool windowfocus --sync "$window"
xdotool key space
notes=(50 60 70)
expected=()
for note in "${notes[@]}"; do
  xdotool mousemove "$(((note - 40) * 1280 / 40))" 100
  expected+=("$("$python" -c "print(440 * 2 ** (($note - 69) / 12))")")
  sleep 2
done
eval "$(xdotool getwindowgeometry --shell "$window")"
xwd -root -silent >"$work/screen.xwd"
"$python" "$here/../xwd_to_png.py" "$work/screen.xwd" "$output/lirveto-midi.png" \
  "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "no screenshot"
xdotool key space
sleep 0.5
"$python" "$here/synth_pitch_steps.py" "$work/audio.raw" 44100 "${expected[@]}" ||
  fail "the pitch did not follow the pointer"

# Record: File New, play low then high, stop; Save As names it; Close finishes it.
play_a_take "[noname.MID] Lirveto"
xdotool key alt+f
sleep 0.5
xdotool key a
answer_file_dialog "Save As" "$work/take.mid"
wait_title "$window" "take.mid Lirveto"
xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.5
xdotool key c
sleep 0.5
[ "$(xdotool getwindowname "$window")" = "Lirveto" ] || fail "Close did not title the window"
"$python" "$here/read_midi_take.py" "$work/take.mid" 50 70 || fail "mido cannot read the recording"

xdotool key alt+f
sleep 0.5
xdotool key x
wait_exit
ls "$work/tmp"/RIF*.TMP >/dev/null 2>&1 && fail "a temporary recording was left behind"
echo "e2e: passed; screenshot in $output/lirveto-midi.png"
