#!/usr/bin/env bash
# Resident memory of Lirveto on a private X server with SDL's dummy driver: VmRSS and its peak
# VmHWM after start-up, and after a minute (ten seconds for a quick run) of playing each page
# with the pointer moving across the screen. A fresh start with fresh settings for each page.
# The built-in synth and its SoundFont load when the Midi page is first shown, so only that
# page's figures after playing hold them. LIRVETO_BENCH_BASELINE names another build whose
# memory after start-up is measured the same way, for comparison. Usage: resident_memory.sh LIRVETO
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=bench_row.sh
source "$here/bench_row.sh"
# shellcheck source-path=SCRIPTDIR source=x_server.sh
source "$here/x_server.sh"

playing=$(bench_length 60 10)

# "VmRSS / VmHWM" of the program in MiB, one decimal.
memory() {
  awk '/^VmRSS:/ { rss = $2 } /^VmHWM:/ { hwm = $2 }
       END { printf "%.1f / %.1f\n", rss / 1024, hwm / 1024 }' "/proc/$lirveto/status"
}

fail() {
  echo "memory: $*" >&2
  exit 1
}

# PAGE TAB_OFFSET: start, note the memory, choose the tab (its offset from the window's left
# edge; empty: the first tab, shown at start), play with the pointer moving, note it again.
measure() {
  local page=$1 tabOffset=$2 end x=0
  start_lirveto_for "$page" 3 || exit 1 # whatever start-up leaves to the background is done
  startup+=("$(memory)")
  play_page "$page" "$tabOffset" || exit 1
  end=$((SECONDS + playing))
  while [ "$SECONDS" -lt "$end" ]; do
    x=$(((x + 97) % 1280))
    xdotool mousemove "$x" 100
    sleep 0.2
  done
  local after
  after=$(memory)
  xdotool key space
  sleep 0.3
  stop_lirveto
  echo "memory: $page page: after start-up ${startup[-1]} MiB, after $playing s playing $after MiB (VmRSS / VmHWM)"
  bench_row "resident memory, after $playing s playing, VmRSS / VmHWM" "$page" "" "$after" "MiB" ""
}

baseline=${LIRVETO_BENCH_BASELINE:-}
[ -z "$baseline" ] || [ -x "$baseline" ] || fail "$baseline is not a program"
[ -z "$baseline" ] || bench_command="LIRVETO_BENCH_BASELINE=$baseline $bench_command"

startup=()
measure Wave ""
measure Midi 85
measure DirectSound 150
# After start-up: the start with the median VmRSS.
bench_row "resident memory, after start-up, VmRSS / VmHWM, median of ${#startup[@]} starts" "" "" \
  "$(printf '%s\n' "${startup[@]}" | sort -n | sed -n "$(((${#startup[@]} + 1) / 2))p")" "MiB" \
  "< 40 (no Midi page yet)"

if [ -n "$baseline" ]; then
  baseStartup=()
  for run in 1 2 3; do
    program=$baseline start_lirveto_for "baseline-$run" 3 || exit 1
    baseStartup+=("$(memory)")
    stop_lirveto
  done
  echo "memory: $baseline: after start-up ${baseStartup[*]} MiB (VmRSS / VmHWM)"
  bench_row "resident memory, after start-up, VmRSS / VmHWM, median of 3 starts, the baseline build" \
    "" "" "$(printf '%s\n' "${baseStartup[@]}" | sort -n | sed -n 2p)" "MiB" ""
fi
