#!/usr/bin/env bash
# Settings files as a user meets them, under a private X server: "Save settings as..." writes an
# INI file with the settings; "Open settings file..." of a changed copy moves the sliders as a
# start with those settings shows them, and the values reach the per-user store at Exit.
# Usage: settings_files.sh LIRVETO
set -uo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_x_server
use_private_folders
export SDL_AUDIODRIVER=dummy
store="$work/config/Quillhorn/Lirveto.reg"

# The two settings items have no access key: the File menu opens on its first item, Up wraps to
# Exit and each further Up climbs one item past the separator. Which dialog opens tells where the
# keys landed.
settings_item() {  # UPS DIALOG_TITLE PATH
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers alt+f
  sleep 0.5
  for _ in $(seq "$1"); do xdotool key Up; done
  xdotool key Return
  answer_file_dialog "$2" "$3"
}
# The file is written key by key after the dialog closes: wait until it rests for a second.
save_settings_as() {
  local size=-1
  settings_item 2 "Save settings as" "$1"
  for _ in $(seq 20); do
    sleep 1
    [ -f "$1" ] && [ "$(file_size "$1")" = "$size" ] && return 0
    size=$(file_size "$1")
  done
  fail "Save settings as did not finish $1"
}
open_settings_file() { settings_item 3 "Open settings file" "$1"; }

# FILE: the window as it shows, once two dumps half a second apart agree.
dump_window() {
  local previous="$work/previous.xwd"
  xwd -id "$window" -silent >"$previous"
  for _ in $(seq 20); do
    sleep 0.5
    xwd -id "$window" -silent >"$1"
    cmp -s "$previous" "$1" && return 0
    cp "$1" "$previous"
  done
  fail "the window never came to rest"
}

quit_from_menu() {
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers alt+f
  sleep 0.5
  xdotool key x
  wait_exit
}

xdotool mousemove 1200 1000
start_lirveto
# A first start says how to play under the pages; Esc puts it away, as the later starts lack it.
xdotool windowfocus --sync "$window"
xdotool key Escape
sleep 0.3
dump_window "$work/first.xwd"
save_settings_as "$work/first.ini"
"$python" "$here/settings_ini.py" check "$work/first.ini" || fail "the saved settings file is wrong"
grep -qx "Pitch=10" "$work/first.ini" && grep -qx "ViewNoteFreq=1" "$work/first.ini" ||
  fail "the saved settings file does not hold the first settings: $(cat "$work/first.ini")"
[ -f "$store" ] && fail "Save settings as wrote to the per-user store"

# Other wave page values and no frequency in the readout.
sed -e 's/^Volume=.*/Volume=80/' -e 's/^Pitch=.*/Pitch=5/' -e 's/^Timbre=.*/Timbre=6/' \
  -e 's/^ViewNoteFreq=.*/ViewNoteFreq=0/' "$work/first.ini" >"$work/changed.ini"
open_settings_file "$work/changed.ini"
dump_window "$work/opened.xwd"
echo "e2e: the settings file was saved and opened through the file dialogs"
quit_from_menu
[ -f "$store" ] || fail "no per-user store at $store after Exit"
for value in '"Volume"=hex:50' '"Pitch"=hex:05' '"Timbre"=hex:06' '"ViewNoteFreq"="0"'; do
  grep -qF "$value" "$store" || fail "the store lacks $value: $(cat "$store")"
done
echo "e2e: the opened values reached the per-user store"

# Started with those values from the store, the window shows what the opened file showed.
start_lirveto
dump_window "$work/restarted.xwd"
"$python" "$here/same_pixels.py" "$work/first.xwd" "$work/opened.xwd" "$work/restarted.xwd" ||
  fail "the opened settings file does not show as a start with its values does"
save_settings_as "$work/again.ini"
"$python" "$here/settings_ini.py" same "$work/changed.ini" "$work/again.ini" ||
  fail "the settings did not survive the round trip"
quit_from_menu
echo "e2e: passed"
