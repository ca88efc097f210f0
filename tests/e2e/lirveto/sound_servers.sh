#!/usr/bin/env bash
# The real program through private sound servers (PulseAudio, and PipeWire both natively and
# through its PulseAudio layer), heard on the null sink's monitor: each page plays 20 s on each
# route, its pitch steady on each hold and rising with the pointer; on PulseAudio every gap heard
# was counted as an underrun, a stopped
# program is heard and counted, and a server that goes away mid-take shows one box, stops the
# page, and the take is kept when the program is then ended. Skipped (77) without the servers.
# Usage: sound_servers.sh LIRVETO
set -uo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
support=$(cd "$here/../../support" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"
# shellcheck source=../../support/sound_server.sh
source "$support/sound_server.sh"

command -v parec >/dev/null 2>&1 || { echo "e2e: parec is missing: skipped"; exit 77; }

start_x_server
start_window_manager
use_private_folders
server=
trap '[ -n "$server" ] && sound_server_stop "$server"; cleanup' EXIT
# The pointer positions below are screen pixels; the program must not be played through SDL.
export QT_SCALE_FACTOR=1 LIRVETO_REPORT_UNDERRUNS=1
unset SDL_AUDIODRIVER

# Of 1280: every page's tone stays well within the pitches heard.py finds without octave errors.
hold_x=(48 128 208 288)
hold_seconds=5
page_names=(wave midi dsound)
play_y=300

# The monitor, recorded with a long latency: a short one changes the server's timing.
start_recording() {
  parec -d out.monitor --format=s16le --rate=48000 --channels=1 --raw --latency-msec=200 \
    >"$work/$1.raw" &
  recorder=$!
  sleep 0.5
}

stop_recording() {
  sleep 0.3
  kill "$recorder"
  wait "$recorder" 2>/dev/null
  "$python" "$support/heard.py" "$work/$1.raw" >"$work/$1.json" || fail "heard.py cannot read $1"
}

# NAME: the gaps heard in the recording, as "COUNT [LENGTHS_MS] at [STARTS]". A note's attack and
# release are quiet enough to round to runs of zeros, so the first 0.1 s and the last 0.3 s of
# sound do not count.
gaps() {
  "$python" - "$work/$1.json" <<'EOF'
import json, sys
report = json.load(open(sys.argv[1]))
g = report["gaps"]
inside = [(s, l) for s, l in zip(g["starts"], g["lengths_ms"])
          if report["first_sound"] + 0.1 <= s <= report["last_sound"] - 0.3]
print(len(inside), [l for _, l in inside], "at", [s for s, _ in inside])
EOF
}

# PAGE: clicks its tab (0 Wave, 1 Midi, 2 DirectSound).
choose_page() {
  focus_window "$window"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 20 + 60 * $1)) $((Y + 15)) click 1
  sleep 1
}

# Ends the program with Alt+F4 and sets $underruns from what it reported at its exit.
quit_and_count() {
  focus_window "$window"
  xdotool key alt+F4
  wait_exit
  underruns=$(sed -n 's/^lirveto: audio underruns: \([0-9]*\)$/\1/p' "$work/lirveto.log" | tail -n1)
  [ -n "$underruns" ] || fail "no underrun count at exit"
  : >"$work/lirveto.log"
}

# The server ends mid-take: one box, the page stops, and a new server plays at the next Play; the
# take is kept when the program is ended.
server_goes_away() {
  local box boxes kept first
  start_lirveto
  choose_page 0
  xdotool key ctrl+n
  wait_title "$window" "[noname.WAV] Lirveto"
  xdotool mousemove "${hold_x[1]}" "$play_y"
  xdotool key space
  sleep 1
  sound_server_stop "$server"
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Lirveto$' 2>/dev/null | grep -vx "$window")
    [ -n "$box" ] && break
    sleep 0.1
  done
  boxes=$(echo "$box" | grep -c .)
  [ "$boxes" -eq 1 ] || fail "$boxes boxes when the server went away instead of one"
  xdotool windowactivate --sync "$box" 2>/dev/null
  xdotool key Return
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Lirveto$' 2>/dev/null | grep -qvx "$window" || break
    sleep 0.1
  done

  sound_server_start "$kind" "$server" || fail "$kind did not start again"
  start_recording "$kind-again"
  sleep 1
  focus_window "$window"
  xdotool key space
  sleep 1
  xdotool key space
  stop_recording "$kind-again"
  first=$("$python" -c 'import json, sys; print(json.load(open(sys.argv[1]))["first_sound"])' \
    "$work/$kind-again.json")
  [ "$first" != None ] || fail "nothing was heard at Play once the server was back"
  "$python" -c 'import sys; sys.exit(float(sys.argv[1]) < 1.3)' "$first" ||
    fail "the page went on playing after the server went away (heard from $first s)"

  kill -TERM "$lirveto"
  wait_exit
  kept=("$work/data/Lirveto/recovered"/*.[Ww][Aa][Vv])
  [ -f "${kept[0]}" ] || fail "the take was not kept in $work/data/Lirveto/recovered"
  "$python" -c 'import sys, wave; sys.exit(wave.open(sys.argv[1]).getnframes() == 0)' \
    "${kept[0]}" ||
    fail "the kept take ${kept[0]} is empty or not a WAV file"
  # The next start would show what was kept.
  rm -rf "$work/data/Lirveto/recovered" "$work/data/Lirveto/recovered-note.txt"
  echo "e2e: $kind: the server went away mid-take: one box, and the take was kept"
}

# Each page in turn on ROUTE (one program run); sets $heard to the gaps heard.
play_every_page() {
  local route=$1 page name count lengths range
  LIRVETO_SOUND_ROUTE=$route start_lirveto
  heard=0
  for page in 0 1 2; do
    name=${page_names[page]}
    choose_page "$page"
    xdotool mousemove "${hold_x[0]}" "$play_y"
    start_recording "$kind-$route-$name"
    xdotool key space
    for x in "${hold_x[@]}"; do xdotool mousemove "$x" "$play_y"; sleep "$hold_seconds"; done
    xdotool key space
    stop_recording "$kind-$route-$name"
    read -r count lengths <<<"$(gaps "$kind-$route-$name")"
    echo "e2e: $kind, $route route, $name page: $count gaps $lengths"
    heard=$((heard + count))
    if [ "$page" -eq 1 ]; then   # notes 40..80 over the width
      range=(77 880)
    else                         # 20 Hz + 10 kHz over the width
      range=(20 10020)
    fi
    "$python" "$here/held_pitches.py" "$work/$kind-$route-$name.json" "${#hold_x[@]}" \
      "$hold_seconds" "${range[@]}" ||
      fail "$kind, $route route, $name page: the pitch did not follow the pointer"
  done
  quit_and_count
  echo "e2e: $kind, $route route: $underruns underruns counted over 3 pages, $heard gaps heard"
}

ran=0
for kind in pipewire pulseaudio; do
  server=$work/$kind
  sound_server_start "$kind" "$server"
  case $? in
    0) ;;
    77) echo "e2e: $kind is not installed: its part skipped"; server=; continue ;;
    *) fail "the $kind server did not start" ;;
  esac
  ran=$((ran + 1))

  if [ "$kind" = pipewire ]; then
    play_every_page PipeWire
    play_every_page PulseAudio
  else
    play_every_page PulseAudio
    # The program counts every late refill, most of which the server's buffer covers, and a
    # loaded machine makes some; a gap heard but not counted is a failure unreported. On PipeWire
    # the two part ways: its PulseAudio layer reports underruns its queue covers, and its null
    # sink, run by its own timer, now and then drops a quantum (5.3 ms) no client is told of.
    [ "$heard" -le "$underruns" ] || fail "$heard gaps heard but $underruns underruns counted"
  fi

  # --- A stopped program: the server runs dry, which is counted and, on PulseAudio, heard.
  # PipeWire's PulseAudio layer reports the underrun yet often covers even half a second from
  # its own queue, so there nothing need be heard.
  start_lirveto
  choose_page 0
  xdotool mousemove "${hold_x[1]}" "$play_y"
  start_recording "$kind-stopped"
  xdotool key space
  sleep 1
  kill -STOP "$lirveto"; sleep 0.1; kill -CONT "$lirveto"
  sleep 1
  xdotool key space
  stop_recording "$kind-stopped"
  quit_and_count
  read -r count lengths <<<"$(gaps "$kind-stopped")"
  echo "e2e: $kind, stopped for 0.1 s: $count gaps $lengths, $underruns underruns"
  [ "$kind" = pipewire ] || [ "$count" -ge 1 ] ||
    fail "$kind: no gap heard while the program was stopped"
  [ "$underruns" -ge 1 ] || fail "$kind: the program counted no underrun while it was stopped"

  server_goes_away
  sound_server_stop "$server"
  server=
done
[ "$ran" -gt 0 ] || { echo "e2e: no sound server is installed: skipped"; exit 77; }
echo "e2e: passed"
