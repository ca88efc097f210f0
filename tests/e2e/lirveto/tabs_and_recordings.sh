#!/usr/bin/env bash
# Tabs and recordings as a user meets them, under a private X server with SDL's disk driver:
# leaving a playing page stops it (its sound and its recording stop growing, and coming back,
# Space starts it afresh); Ctrl+S on an unnamed WAV recording asks for a name in the file dialog,
# and sox reads the file; Exit asks about an unsaved MIDI recording, Yes leads to the file dialog,
# and mido reads what it wrote.
# Usage: tabs_and_recordings.sh LIRVETO
set -uo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"
command -v sox >/dev/null 2>&1 || { echo "e2e: sox is missing: skipped"; exit 77; }

start_x_server
use_private_folders
audio="$work/audio.raw"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
start_lirveto
xdotool windowfocus --sync "$window"

# The tabs sit in a row just below the menu bar: Wave, Midi, DirectSound.
click_tab() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove "$((X + $1))" "$((Y + 33))" click 1
}
wave_tab=30
midi_tab=82
dsound_tab=160  # note 45 exactly on the Midi page

# FILE...: the files come to rest within 5 s and then stay as they are for a second and a half.
# A device left open keeps writing, paused or not, so this holds only once the sound has stopped.
expect_still() {
  local sizes previous=
  for _ in $(seq 10); do
    sizes=$(for f in "$@"; do file_size "$f"; done | tr '\n' ' ')
    [ "$sizes" = "$previous" ] && break
    previous=$sizes
    sleep 0.5
  done
  sleep 1.5
  sizes=$(for f in "$@"; do file_size "$f"; done | tr '\n' ' ')
  [ "$sizes" = "$previous" ] || fail "$* still grow ($previous -> $sizes) after the sound should have stopped"
}

# x for a Wave page tone (the first settings: 20 Hz at the left edge, 10020 Hz at the right).
wave_hz() { echo "$((20 + 10000 * $1 / 1280))"; }

# The Wave page records while it plays a low tone; the Midi tab is chosen.
xdotool key ctrl+n
wait_title "$window" "[noname.WAV] Lirveto"
take=$(find "$work/tmp" -name 'RIF*.TMP' | head -n1)
[ -n "$take" ] || fail "File New made no temporary recording"
xdotool mousemove 384 100
xdotool key space
wait_growth "$audio"
wait_growth "$take"
sleep 0.5
click_tab "$midi_tab"
wait_title "$window" "Lirveto"
expect_still "$audio" "$take"
echo "e2e: leaving the Wave tab stopped its sound and its recording at $(file_size "$take") bytes"

# The Midi page records note 70 (x = 960), then the note under the DirectSound tab, which is then
# chosen: the page plays wherever the pointer goes until it is left. The jump is wider than the
# pitch bend reaches, so the tab's own note is struck.
xdotool mousemove 960 100
xdotool key ctrl+n
wait_title "$window" "[noname.MID] Lirveto"
xdotool key space
wait_growth "$audio"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
tab_note=$((40 + (X + dsound_tab) * 40 / 1280))
xdotool mousemove "$((X + dsound_tab))" "$((Y + 33))"
sleep 1
click_tab "$dsound_tab"
wait_title "$window" "Lirveto"
expect_still "$audio"
echo "e2e: leaving the Midi tab stopped its sound"

# Back on the Wave tab, Space plays again (a page still playing would stop instead), at a high
# tone; the recording goes on. Then Ctrl+S names it through the file dialog.
click_tab "$wave_tab"
wait_title "$window" "[noname.WAV] Lirveto"
xdotool mousemove 896 100
xdotool key space
wait_growth "$take"
sleep 1
xdotool key space
expect_still "$audio" "$take"
xdotool key ctrl+s
answer_file_dialog "Save As" "$work/take.wav"
wait_title "$window" "take.wav Lirveto"
[ -e "$take" ] && fail "the temporary recording $take is still there after Save As"
soxi "$work/take.wav" >"$work/soxi.txt" 2>&1 || fail "sox cannot read take.wav: $(cat "$work/soxi.txt")"
grep -q "^Channels *: 1$" "$work/soxi.txt" &&
  grep -q "^Sample Rate *: 22050$" "$work/soxi.txt" &&
  grep -q "^Precision *: 8-bit$" "$work/soxi.txt" ||
  fail "take.wav is not 22050 Hz 8-bit mono: $(cat "$work/soxi.txt")"
seconds=$(soxi -D "$work/take.wav")
"$python" -c "import sys; sys.exit(not 1.0 <= $seconds <= 30)" ||
  fail "take.wav lasts $seconds s, not the two stretches played"
sox "$work/take.wav" -t u8 "$work/take.raw" || fail "sox cannot convert take.wav"
"$python" "$here/pitch_steps.py" "$work/take.raw" 22050 "$(wave_hz 384)" "$(wave_hz 896)" ||
  fail "take.wav does not hold the two tones played"
echo "e2e: Ctrl+S named the recording; sox reads $seconds s of 22050 Hz 8-bit mono"

# The Midi tab still holds its unnamed recording: Exit asks, Yes names it in the file dialog.
click_tab "$midi_tab"
wait_title "$window" "[noname.MID] Lirveto"
xdotool key alt+f
sleep 0.5
xdotool key x
box=$(wait_window "MIDI file has changed")
[ -n "$box" ] || fail "Exit did not ask about the unsaved MIDI recording"
xdotool windowfocus --sync "$box"
xdotool key y
answer_file_dialog "Save As" "$work/take.mid"
wait_exit
"$python" "$here/read_midi_take.py" "$work/take.mid" 70 "$tab_note" || fail "mido cannot read take.mid"
ls "$work/tmp"/RIF*.TMP >/dev/null 2>&1 && fail "a temporary recording was left behind"
echo "e2e: passed"
