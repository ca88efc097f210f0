#!/usr/bin/env bash
# Under a private X server with SDL's disk driver: with PlayOnStart on, only the page on top
# plays, so after Space stops it the sound output stops growing. A take is played on the Wave
# tab, then on the Midi tab, where Ctrl+S on the unnamed take asks for a name; cancelled, and the
# program ended by SIGTERM, both takes are kept under recovered/ (the Midi one a file mido reads),
# and so are the plays, each of which renders again through its page to its take's bytes.
# Usage: start_and_rescue.sh LIRVETO
set -uo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_x_server
use_private_folders
mkdir -p "$work/config/Quillhorn"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"PlayOnStart"=hex:01\n' \
  >"$work/config/Quillhorn/Lirveto.reg"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
start_lirveto
xdotool windowfocus --sync "$window"
wait_growth "$work/audio.raw"

# Space stops the page on top; no other page may go on sounding.
xdotool key space
sleep 0.5
stopped=$(file_size "$work/audio.raw")
sleep 1.5
[ "$(file_size "$work/audio.raw")" -eq "$stopped" ] ||
  fail "the output grew from $stopped to $(file_size "$work/audio.raw") bytes after Space stopped the page on top"

# A take on the Wave tab, on top.
play_a_take "[noname.WAV] Lirveto"

# The Midi tab (right of "Wave"): a take, then Ctrl+S, which must ask for a name.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove "$((X + 85))" "$((Y + 33))" click 1
sleep 0.5
xdotool windowfocus --sync "$window"
play_a_take "[noname.MID] Lirveto"
xdotool key ctrl+s
dialog=$(wait_window "Save As")
[ -n "$dialog" ] || fail "Ctrl+S on an unnamed take opened no file dialog"
xdotool windowfocus --sync "$dialog"
xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Save As$' >/dev/null 2>&1 || break; sleep 0.1; done
sleep 0.3

kill -TERM "$lirveto"
wait_exit
kept=$(ls "$work/data/Lirveto/recovered"/*.mid 2>/dev/null | head -n1)
[ -n "$kept" ] || fail "the take was not kept in $work/data/Lirveto/recovered"
"$python" "$here/read_midi_take.py" "$kept" 50 70 || fail "mido cannot read the kept take"

# The plays were kept as well, and rendered again through their pages they are the takes, byte
# for byte.
for page in wave:wav midi:mid; do
  take=$(ls "$work/data/Lirveto/recovered"/*."${page#*:}" 2>/dev/null | head -n1)
  performance=$(ls "$work/data/Lirveto/recovered"/*"${page%:*}.performance" 2>/dev/null | head -n1)
  [ -n "$take" ] && [ -n "$performance" ] || fail "the ${page%:*} take or play was not kept"
  "$(dirname "$program")/lirveto-render" --performance "$performance" --out "$work/again.${page#*:}" ||
    fail "lirveto-render could not render the kept ${page%:*} performance"
  cmp "$take" "$work/again.${page#*:}" || fail "the kept ${page%:*} performance renders otherwise than its take"
done
echo "e2e: passed"
