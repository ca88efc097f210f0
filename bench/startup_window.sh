#!/usr/bin/env bash
# Start-up time: from starting Lirveto to its main window being shown, on a private X server,
# fresh settings for every start; nine starts (three for a quick run), each and the median.
# LIRVETO_BENCH_BASELINE names another build of the program (the one-page build, say) whose
# starts are interleaved with these on the same server, so that both meet the same load; its
# median and the ratio of the two are reported too. Usage: startup_window.sh LIRVETO
set -uo pipefail
program=$1
baseline=${LIRVETO_BENCH_BASELINE:-}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=bench_row.sh
source "$here/bench_row.sh"
# shellcheck source-path=SCRIPTDIR source=x_server.sh
source "$here/x_server.sh"

starts=$(bench_length 9 3)
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "startup: $baseline is not a program" >&2; exit 1; }
[ -z "$baseline" ] || bench_command="LIRVETO_BENCH_BASELINE=$baseline $bench_command"

# PROGRAM LABEL RUN: one start; prints the milliseconds to the window shown. The probe waits for
# the X server to tell of the window's map (make bench builds it); without it xdotool polls.
startOnce() {
  local start shown window probed
  export XDG_CONFIG_HOME="$work/config-$2-$3"
  if [ -x "${LIRVETO_WINDOW_PROBE:-}" ]; then
    probed=$("$LIRVETO_WINDOW_PROBE" Lirveto 20000 "$1" 2>/dev/null)
    lirveto=${probed#* }
    [ -n "$probed" ] && kill "$lirveto" 2>/dev/null
    # Not our child: wait for it to go before the next start.
    while [ -n "$probed" ] && kill -0 "$lirveto" 2>/dev/null; do sleep 0.02; done
    lirveto=
    [ -n "$probed" ] || { echo "startup: $1: no window" >&2; exit 1; }
    printf '%.0f\n' "${probed%% *}"
    return
  fi
  start=$(date +%s%N)
  "$1" >/dev/null 2>&1 &
  lirveto=$!
  window=$(wait_window Lirveto)
  shown=$(date +%s%N)
  kill "$lirveto" 2>/dev/null
  wait "$lirveto" 2>/dev/null
  lirveto=
  [ -n "$window" ] || { echo "startup: $1: no window" >&2; exit 1; }
  echo $(((shown - start) / 1000000))
}

median() {
  printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"
}

times=()
baseTimes=()
# With a baseline the two take turns at starting first, so that neither always follows the other.
for run in $(seq "$starts"); do
  if [ -n "$baseline" ] && [ $((run % 2)) -eq 0 ]; then
    baseTimes+=("$(startOnce "$baseline" baseline "$run")") || exit 1
  fi
  times+=("$(startOnce "$program" this "$run")") || exit 1
  if [ -n "$baseline" ] && [ $((run % 2)) -eq 1 ]; then
    baseTimes+=("$(startOnce "$baseline" baseline "$run")") || exit 1
  fi
done

slowest() {
  printf '%s\n' "$@" | sort -n | tail -n1
}
echo "startup: window shown after ${times[*]} ms; median $(median "${times[@]}") ms"
bench_row "start-up to the window shown, fresh settings, $starts starts" "" "$(median "${times[@]}")" \
  "$(slowest "${times[@]}")" "ms (slowest as p99)" "< 300"
if [ -n "$baseline" ]; then
  echo "startup: $baseline: window shown after ${baseTimes[*]} ms; median $(median "${baseTimes[@]}") ms"
  bench_row "start-up to the window shown, fresh settings, $starts starts, the baseline build" "" \
    "$(median "${baseTimes[@]}")" "$(slowest "${baseTimes[@]}")" "ms (slowest as p99)" ""
  ratio=$(awk -v a="$(median "${times[@]}")" -v b="$(median "${baseTimes[@]}")" \
    'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  bench_row "start-up to the window shown, median against the baseline build's, interleaved" "" \
    "" "$ratio" "x" "<= 1.1"
fi
echo "startup: load average $(cut -d' ' -f1-3 /proc/loadavg)"
