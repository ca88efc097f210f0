#!/usr/bin/env bash
# A long run of Lirveto as a user would drive it, under a private X server with SDL's disk audio
# driver: every page in turn plays, records, saves and closes its take; the View menu and the
# settings files change the settings between rounds. The program must stay up the whole time and
# end with no leak, no sanitizer report and no underrun of the sound output.
# Usage: SOAK_SECONDS=3600 soak.sh LIRVETO [OUTPUT_FOLDER]   (LIRVETO built with the dev preset:
# ASan + UBSan; the program's log is kept as OUTPUT_FOLDER/soak-lirveto.log)
set -uo pipefail

program=$1
seconds=${SOAK_SECONDS:-3600}
output=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=../e2e/lirveto/x_session.sh
source "$here/../e2e/lirveto/x_session.sh"

still_running() {
  kill -0 "$lirveto" 2>/dev/null || fail "Lirveto ended during round $round ($1)"
}

# Any window but the main one at a quiet moment is a box nobody expected: a fault.
no_stray_window() {
  local titles
  titles=$(xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r id; do
    xdotool getwindowname "$id" 2>/dev/null
  done | grep -v -e '^Lirveto$' -e ' Lirveto$' -e '^$' | sort -u)
  [ -z "$titles" ] || fail "an unexpected window is open after $1: $titles"
}

start_x_server

mkdir -p "$work/config" "$work/tmp" "$work/run" "$work/takes"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
# The disk driver keeps real time; the sound itself is not kept, an hour of it is too much.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null QT_QPA_PLATFORM=xcb
export LIRVETO_REPORT_UNDERRUNS=1
# Leaks are checked at exit; the suppressions name only libraries under the program that keep
# memory to the end by design (fontconfig's cache, D-Bus's connection), never our code.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
unset WAYLAND_DISPLAY

"$program" >"$work/lirveto.log" 2>&1 &
lirveto=$!
window=$(wait_window Lirveto)
[ -n "$window" ] || fail "no window named Lirveto appeared"
# The tabs: Wave first, Midi right of it, DirectSound the last.
choose_last_tab
wave_tab=$((X + 30))
midi_tab=$((X + 85))
dsound_tab=$last_tab

choose_page() {  # TAB_X
  xdotool windowfocus --sync "$window"
  xdotool mousemove "$1" "$tab_row" click 1
  sleep 0.4
}

play_across() {  # SECONDS_PER_PLACE: Space, the pointer across the screen and back, Space
  xdotool mousemove 64 100
  xdotool windowfocus --sync "$window"
  xdotool key space
  for x in 64 400 800 1200 600 200; do
    xdotool mousemove "$x" $((100 + RANDOM % 600))
    sleep "$1"
  done
  xdotool key space
  sleep 0.3
}

file_menu_item() {  # KEY...: keys after the File menu opens
  xdotool windowfocus --sync "$window"
  xdotool key alt+f
  sleep 0.4
  xdotool key "$@"
  sleep 0.3
}

record_and_save() {  # EXTENSION: File New, play, Save As through the file dialog, Close
  local take="$work/takes/take-$round.$1"
  xdotool key ctrl+n
  sleep 0.3
  play_across 0.4
  file_menu_item a
  answer_file_dialog 'Save As' "$take"
  # Saved once the window carries the file's name (a loaded machine may take a while).
  wait_title "$window" "$(basename "$take") Lirveto"
  file_menu_item c
  sleep 0.3
  [ -s "$take" ] || fail "round $round: Save As wrote nothing to $take"
  [ "$(xdotool getwindowname "$window")" = "Lirveto" ] || fail "round $round: Close left a file open"
  rm -f "$take"
}

change_view() {  # the View menu's check items, each toggled
  for key in n f v; do
    xdotool windowfocus --sync "$window"
    xdotool key alt+v
    sleep 0.3
    xdotool key "$key"
    sleep 0.2
  done
}

settings_round_trip() {  # Save settings as an INI file, then Open settings file with it
  local ini="$work/takes/settings-$round.ini"
  # Up from a freshly opened File menu lands on Exit at its bottom; above it are Save settings
  # as and then Open settings file (neither has an access key).
  file_menu_item Up Up Return
  answer_file_dialog 'Save settings as' "$ini"
  # Each key is written on its own: wait until the file has settled.
  for _ in $(seq 50); do
    local size
    size=$(file_size "$ini")
    sleep 0.2
    [ "$size" -gt 0 ] && [ "$(file_size "$ini")" -eq "$size" ] && break
  done
  [ -s "$ini" ] || fail "round $round: Save settings as wrote nothing to $ini"
  file_menu_item Up Up Up Return
  answer_file_dialog 'Open settings file' "$ini"
  sleep 0.5
  rm -f "$ini"
}

# Options > Preferences: the Wave format page's sample rate and channels, alternating by round,
# confirmed with OK (the pages take them at their next start).
change_options() {
  local rate=2 channels=m sheet
  [ $((round % 2)) -eq 0 ] && { rate=4; channels=s; }
  xdotool windowfocus --sync "$window"
  xdotool key alt+o
  sleep 0.3
  xdotool key p
  sheet=$(wait_window Options)
  [ -n "$sheet" ] || fail "round $round: Preferences showed no Options sheet"
  xdotool windowfocus --sync "$sheet"
  xdotool key ctrl+Tab
  sleep 0.3
  xdotool key "alt+$rate" "alt+$channels"
  sleep 0.2
  xdotool key Return
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name '^Options$' 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  fail "round $round: OK left the Options sheet open"
}

pages=("$wave_tab wav" "$midi_tab mid" "$dsound_tab wav")
deadline=$((SECONDS + seconds))
round=0
echo "soak: ${seconds}s of rounds; log in $work/lirveto.log"
while [ "$SECONDS" -lt "$deadline" ]; do
  round=$((round + 1))
  read -r tab extension <<<"${pages[$((round % 3))]}"
  choose_page "$tab"
  still_running "choosing a page"
  play_across 0.5
  still_running "playing"
  no_stray_window "playing"
  record_and_save "$extension"
  still_running "recording"
  no_stray_window "recording"
  # Switching pages while playing stops the page that is left.
  xdotool key space
  sleep 0.5
  choose_page "${pages[$(((round + 1) % 3))]%% *}"
  still_running "switching pages while playing"
  xdotool key space
  sleep 0.3
  xdotool key space
  change_view
  change_options
  if [ $((round % 3)) -eq 0 ]; then
    settings_round_trip
    still_running "changing settings"
  fi
  no_stray_window "changing settings"
  [ $((round % 10)) -eq 0 ] && echo "soak: round $round, $((deadline - SECONDS))s left"
done

# Stop whatever plays, then File > Exit; nothing is unsaved, so nothing is asked.
xdotool windowfocus --sync "$window"
file_menu_item x
for _ in $(seq 300); do kill -0 "$lirveto" 2>/dev/null || break; sleep 0.1; done
kill -0 "$lirveto" 2>/dev/null && fail "Lirveto did not quit after $round rounds"
wait "$lirveto"
status=$?
lirveto=

log=$work/lirveto.log
[ -n "$output" ] && mkdir -p "$output" && cp "$log" "$output/soak-lirveto.log"
if grep -q -e 'ERROR: AddressSanitizer' -e 'ERROR: LeakSanitizer' -e 'runtime error:' "$log"; then
  grep -m1 -A60 -e 'ERROR: ' -e 'runtime error:' "$log"
  fail "a sanitizer reported a fault after $round rounds"
fi
[ "$status" -eq 0 ] || fail "Lirveto exited with $status after $round rounds"
underruns=$(sed -n 's/^lirveto: audio underruns: //p' "$log" | tail -n1)
[ -n "$underruns" ] || fail "Lirveto did not report its underruns"
[ "$underruns" -eq 0 ] || fail "the sound output ran dry $underruns times"
# The last round's choice on the Options sheet reached the store at Exit.
rate=22kHz
[ $((round % 2)) -eq 0 ] && rate=44kHz
grep -q "^\"SampleRate\"=\"$rate\"" "$work/config/Quillhorn/Lirveto.reg" ||
  fail "the Options sheet's last sample rate ($rate) is not in the store"
suppressed=$(sed -n '/Suppressions used:/,/^---/s/^ *[0-9][0-9]* *\([0-9][0-9]*\) \(.*\)/\1 bytes in \2/p' \
  "$log" | paste -sd, -)
echo "soak: passed: $round rounds in ${seconds}s, exit 0, no sanitizer report, no leak of ours" \
  "(suppressed: ${suppressed:-none}), 0 underruns"
