#!/usr/bin/env bash
# CPU of the real program on a private X server with SDL's dummy driver: each page plays for a
# minute (ten seconds for a quick run) while xdotool moves the pointer every 250 ms, then stands
# stopped and idle. Whole process and per thread (GUI, timer, audio, X events, the rest), from
# the CPU time the kernel counts for each thread (/proc/PID/task/TID/schedstat). A fresh start
# with fresh settings for each page. Beside each timer-driven page, in the same run and for as
# long, the timer's floor of that page's period (bench_timer_floor --one, named by
# LIRVETO_TIMER_FLOOR): an empty 1 ms step chain for DirectSound, an empty 5 ms tick for Midi;
# the rows give the page less its floor (and, for Midi, less the audio thread, which is the
# built-in synth). LIRVETO_BENCH_BASELINE=PATH names another build of Lirveto whose pages play
# in the same run too, each just after this build's. Usage: program_cpu.sh LIRVETO
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=bench_row.sh
source "$here/bench_row.sh"
# shellcheck source-path=SCRIPTDIR source=x_server.sh
source "$here/x_server.sh"

playing=$(bench_length 60 10)
idle=$(bench_length 10 3)

# One line per thread: "TID<tab>NANOSECONDS ON CPU<tab>NAME".
snapshot() {
  local task ns name
  for task in /proc/"$lirveto"/task/*; do
    read -r ns _ <"$task/schedstat" 2>/dev/null || continue
    name=$(cat "$task/comm" 2>/dev/null) || continue
    printf '%s\t%s\t%s\n' "${task##*/}" "$ns" "$name"
  done
}

# BEFORE AFTER START END: "whole gui timer audio x other" in % of a core, then one line per thread.
# The GUI thread is the main one; the timer thread names itself lirveto-timer; SDL names its
# audio threads SDLAudio*; the X event readers are Qt's QXcbEventQueue and our lirveto-pointer.
shares() {
  awk -F '\t' -v pid="$lirveto" -v seconds="$(awk -v from="$3" -v to="$4" 'BEGIN { print to - from }')" '
    function share(ns) { return ns / (seconds * 1e9) * 100 }
    FNR == NR { before[$1] = $2; next }
    {
      used = $2 - ($1 in before ? before[$1] : 0)
      if ($1 == pid) kind = "gui"
      else if ($3 == "lirveto-timer") kind = "timer"
      else if ($3 ~ /^SDLAudio/) kind = "audio"
      else if ($3 == "QXcbEventQueue" || $3 == "lirveto-pointer") kind = "x"
      else kind = "other"
      total[kind] += used
      whole += used
      line[++n] = sprintf("%s %s %.2f", $1, $3, share(used))
    }
    END {
      printf "%.2f %.2f %.2f %.2f %.2f %.2f\n", share(whole), share(total["gui"]),
        share(total["timer"]), share(total["audio"]), share(total["x"]), share(total["other"])
      for (i = 1; i <= n; ++i) print line[i]
    }' "$1" "$2"
}

# Seconds since the epoch with nanoseconds.
now() {
  date +%s.%N
}

# A - B - C ... with two decimals.
less() {
  awk 'BEGIN { v = ARGV[1]; for (i = 2; i < ARGC; ++i) v -= ARGV[i]; printf "%.2f\n", v }' "$@"
}

# PROGRAM PAGE TAB_OFFSET: start, choose the tab (its offset from the window's left edge; empty:
# the first tab, shown at start), play with the pointer moving, stop, stand idle. Sets whole,
# gui, timer, audio, x, other and stopped (% of a core).
play_measured() {
  local program=$1 page=$2 tabOffset=$3 start end at=0 figures
  rm -rf "$work/config-$page" "$work/data-$page"
  { start_lirveto_for "$page" 2 && play_page "$page" "$tabOffset"; } || exit 1

  snapshot >"$work/before"
  start=$(now)
  end=$((SECONDS + playing))
  while [ "$SECONDS" -lt "$end" ]; do
    at=$(((at + 97) % 1280))
    xdotool mousemove "$at" $((300 + at % 500))
    sleep 0.25
  done
  snapshot >"$work/after"
  figures=$(shares "$work/before" "$work/after" "$start" "$(now)")
  read -r whole gui timer audio x other <<<"$(head -n1 <<<"$figures")"
  echo "cpu: $page page playing ($program), pointer moving, % of a core per thread (tid name share):"
  tail -n +2 <<<"$figures" | sed 's/^/cpu:   /'

  xdotool key space
  sleep 1
  snapshot >"$work/before"
  start=$(now)
  sleep "$idle"
  snapshot >"$work/after"
  read -r stopped _ <<<"$(shares "$work/before" "$work/after" "$start" "$(now)")"
  stop_lirveto
  echo "cpu: $page page: whole $whole, GUI $gui, timer $timer, audio $audio, X events $x," \
    "other $other; stopped and idle $stopped (% of a core)"
}

# PAGE TAB_OFFSET TARGET FLOOR FLOOR_TARGET: this build's rows for the page, then the baseline's;
# FLOOR (step, tick or empty) is the period whose empty floor is measured after this build's play.
measure() {
  local page=$1 tabOffset=$2 target=$3 floorKind=$4 floorTarget=$5 floor floorName above
  local what="CPU of the program, playing, pointer moving every 250 ms, $playing s"
  play_measured "$program" "$page" "$tabOffset"
  bench_row "$what, whole process" "$page" "" "$whole" "% of a core" "< $target"
  bench_row "$what, GUI thread" "$page" "" "$gui" "% of a core" "< 0.5"
  bench_row "$what, timer / audio / X events / other threads" \
    "$page" "" "$timer / $audio / $x / $other" "% of a core" ""
  bench_row "CPU of the program, stopped and idle after playing, $idle s, whole process" \
    "$page" "" "$stopped" "% of a core" "0"
  if [ -n "$floorKind" ] && [ -x "${LIRVETO_TIMER_FLOOR:-}" ]; then
    floor=$("$LIRVETO_TIMER_FLOOR" --one "$floorKind" "$playing")
    if [ "$floorKind" = step ]; then
      floorName="the empty 1 ms step chain's floor"
      above=$(less "$whole" "$floor")
    else
      floorName="the audio thread (the synth) and the empty 5 ms tick's floor"
      above=$(less "$whole" "$audio" "$floor")
    fi
    echo "cpu: $page page: whole $whole, floor $floor, above the floor $above (% of a core)"
    bench_row "$what, whole process less $floorName ($floor, measured just after)" \
      "$page" "" "$above" "% of a core" "<= $floorTarget"
  fi
  if [ -n "${LIRVETO_BENCH_BASELINE:-}" ]; then
    play_measured "$LIRVETO_BENCH_BASELINE" "$page" "$tabOffset"
    bench_row "$what, whole process, the baseline build" "$page" "" "$whole" "% of a core" ""
    if [ -n "${floor:-}" ]; then
      if [ "$floorKind" = step ]; then above=$(less "$whole" "$floor"); else above=$(less "$whole" "$audio" "$floor"); fi
      bench_row "$what, whole process less $floorName ($floor), the baseline build" \
        "$page" "" "$above" "% of a core" ""
    fi
  fi
}

measure Wave "" 0.4 "" ""
measure Midi 85 2.5 tick 0.3
measure DirectSound 150 2 step 0.5
echo "cpu: load average $(cut -d' ' -f1-3 /proc/loadavg)"
