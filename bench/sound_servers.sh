#!/usr/bin/env bash
# The real program through private sound servers, heard on the null sink's monitor: each page on
# each route (PipeWire natively and through its PulseAudio layer, and PulseAudio) at Auto latency,
# 44100 Hz 16-bit.
# - Cursor to sound: the pointer jumps between two places and the recording shows when the new
#   tone came; the recorder's own delay, measured with a click, is taken off.
# - Dropouts: the page plays with the pointer moving, idle and then under `stress-ng --cpu 2`;
#   gaps of 1 ms or more heard, per minute, beside the program's own count.
# Usage: sound_servers.sh LIRVETO
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
support=$(cd "$here/../tests/support" && pwd)
python=/usr/bin/python3
# shellcheck source-path=SCRIPTDIR source=bench_row.sh
source "$here/bench_row.sh"
# shellcheck source-path=SCRIPTDIR source=x_server.sh
source "$here/x_server.sh"
# shellcheck source=../tests/support/sound_server.sh
source "$support/sound_server.sh"

for tool in parec pacat; do
  command -v "$tool" >/dev/null 2>&1 || { echo "bench: $tool is missing: skipped" >&2; exit 0; }
done
unset SDL_AUDIODRIVER
export LIRVETO_REPORT_UNDERRUNS=1 QT_SCALE_FACTOR=1
server=
trap '[ -n "$server" ] && sound_server_stop "$server"; cleanup' EXIT

playing=$(bench_length 30 5)
trials=$(bench_length 20 6)
# Two places on row 300 of the 1280-pixel screen and the tones they ask for (Wave and DirectSound:
# 20 Hz + 10 kHz over the width; Midi: notes 40 to 80 over the width).
x1=128
x2=512
tone_hz() { # PAGE X
  case $1 in
    Midi) "$python" -c "print(440 * 2 ** ((40 + 40 * $2 / 1280 - 69) / 12))" ;;
    *) "$python" -c "print(20 + 10000 * $2 / 1280)" ;;
  esac
}
declare -A tab_offset=([Wave]="" [Midi]=85 [DirectSound]=150)
# How a change is told (0: the pure tone's period leaves the old one, as its glide begins; else the
# window in ms over which the notes' levels are weighed) and how long each place is held.
declare -A window_ms=([Wave]=0 [Midi]=12 [DirectSound]=0)
declare -A hold_ms=([Wave]=1500 [Midi]=500 [DirectSound]=1000)

# NAME: the recording's gaps of 1 ms or more while it sounds.
gaps_heard() {
  "$python" "$support/heard.py" "$work/$1.raw" |
    "$python" -c 'import json, sys; print(json.load(sys.stdin)["gaps"]["count"])'
}

# Plays the page on with the pointer moving for $playing s, recorded as NAME.
play_recorded() {
  local x=0 end
  parec -d out.monitor --format=s16le --rate=48000 --channels=1 --raw --latency-msec=200 \
    >"$work/$1.raw" &
  local recorder=$!
  end=$((SECONDS + playing))
  while [ "$SECONDS" -lt "$end" ]; do
    x=$(((x + 97) % 1024 + 64))
    xdotool mousemove "$x" 300
    sleep 0.25
  done
  kill "$recorder"
  wait "$recorder" 2>/dev/null
}

# NAME: ends the program and sets $counted to the underruns it reported at its exit.
stop_counted() {
  kill -TERM "$lirveto" 2>/dev/null
  wait "$lirveto" 2>/dev/null
  lirveto=
  counted=$(sed -n 's/^lirveto: audio underruns: \([0-9]*\)$/\1/p' "$work/lirveto-$1.log" |
    tail -n1)
  counted=${counted:-0}
}

per_minute() { # COUNT
  "$python" -c "print(f'{$1 * 60 / $playing:.1f}')"
}

# NAME: fresh settings for that run, playing at 44100 Hz 16-bit.
settings_for() {
  mkdir -p "$work/config-$1/Quillhorn"
  printf '%s\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Quillhorn\Lirveto]' \
    '"SampleRate"="44kHz"' '"Resolution"="16bit"' >"$work/config-$1/Quillhorn/Lirveto.reg"
}

# KIND ROUTE PAGE RECORDER_DELAY_MS
measure() {
  local kind=$1 route=$2 page=$3 delay=$4 name="$1-$2-$3" hz1 hz2 report idle_counted heard
  local stressed_heard stressed_counted stress
  hz1=$(tone_hz "$page" "$x1")
  hz2=$(tone_hz "$page" "$x2")
  settings_for "$name"
  LIRVETO_SOUND_ROUTE=$route start_lirveto_for "$name" 2 &&
    play_page "$page" "${tab_offset[$page]}" || return 1
  report=$("$python" "$here/heard_timing.py" jumps "$x1" "$x2" 300 "$hz1" "$hz2" \
    "${window_ms[$page]}" "$trials" "${hold_ms[$page]}") || return 1
  play_recorded "$name"
  stop_counted "$name"
  idle_counted=$counted
  heard=$(gaps_heard "$name")

  settings_for "$name-stress"
  LIRVETO_SOUND_ROUTE=$route start_lirveto_for "$name-stress" 2 &&
    play_page "$page" "${tab_offset[$page]}" || return 1
  stress-ng --cpu 2 --timeout "$((playing + 2))s" >/dev/null 2>&1 &
  stress=$!
  play_recorded "$name-stress"
  stop_counted "$name-stress"
  stressed_counted=$counted
  wait "$stress" 2>/dev/null
  stressed_heard=$(gaps_heard "$name-stress")

  "$python" - "$report" "$delay" >"$work/latency" <<'EOF'
import json, statistics, sys
report, delay = json.loads(sys.argv[1]), float(sys.argv[2])
ms = sorted(m - delay for m in report["ms"])
if not ms:
    print("- - %d 0" % report["missed"])
else:
    p99 = ms[min(len(ms) - 1, round(0.99 * (len(ms) - 1)))]
    print(f"{statistics.median(ms):.1f} {p99:.1f} {report['missed']} {len(ms)}")
EOF
  read -r p50 p99 missed count <"$work/latency"
  echo "servers: $kind, $route route, $page page: cursor to sound p50 $p50 ms, p99 $p99 ms" \
    "($count moves heard, $missed not; recorder's delay $delay ms taken off);" \
    "idle: $heard gaps heard, $idle_counted underruns counted in $playing s;" \
    "stress-ng --cpu 2: $stressed_heard heard, $stressed_counted counted"
  local where="$route route"
  [ "$kind" = pipewire ] && where="PipeWire, $where"
  bench_row "cursor-to-sound latency from the monitor, $where, Auto, 44100 Hz, $count moves" \
    "$page" "$p50" "$p99" "ms" ""
  bench_row "dropouts heard (counted by the program), $where, Auto, idle, per minute" \
    "$page" "" "$(per_minute "$heard") ($(per_minute "$idle_counted"))" "per minute" "0"
  bench_row "dropouts heard (counted by the program), $where, Auto, stress-ng --cpu 2, per minute" \
    "$page" "" "$(per_minute "$stressed_heard") ($(per_minute "$stressed_counted"))" \
    "per minute" "0"
}

for kind in pipewire pulseaudio; do
  server=$work/$kind
  sound_server_start "$kind" "$server"
  case $? in
    0) ;;
    77) echo "bench: $kind is not installed: skipped"; server=; continue ;;
    *) echo "bench: the $kind server did not start" >&2; exit 1 ;;
  esac
  delay=$("$python" "$here/heard_timing.py" click) || exit 1
  echo "servers: $kind: the recorder's delay, from a click: $delay ms"
  routes=(PulseAudio)
  [ "$kind" = pipewire ] && routes=(PipeWire PulseAudio)
  for route in "${routes[@]}"; do
    for page in Wave Midi DirectSound; do
      measure "$kind" "$route" "$page" "$delay" || exit 1
    done
  done
  sound_server_stop "$server"
  server=
done
