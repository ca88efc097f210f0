#!/usr/bin/env bash
# CPU of the real program on a private X server with SDL's dummy driver: each page plays for a
# minute (ten seconds for a quick run) while xdotool moves the pointer every 250 ms, then stands
# stopped and idle. Whole process and per thread (GUI, timer, audio, X events, the rest), from
# the CPU time the kernel counts for each thread (/proc/PID/task/TID/schedstat). A fresh start
# with fresh settings for each page. Usage: program_cpu.sh LIRVETO
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
# audio threads SDLAudio*; Qt's X event reader is QXcbEventQueue.
shares() {
  awk -F '\t' -v pid="$lirveto" -v seconds="$(awk -v from="$3" -v to="$4" 'BEGIN { print to - from }')" '
    function share(ns) { return ns / (seconds * 1e9) * 100 }
    FNR == NR { before[$1] = $2; next }
    {
      used = $2 - ($1 in before ? before[$1] : 0)
      if ($1 == pid) kind = "gui"
      else if ($3 == "lirveto-timer") kind = "timer"
      else if ($3 ~ /^SDLAudio/) kind = "audio"
      else if ($3 == "QXcbEventQueue") kind = "x"
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

# PAGE TAB_OFFSET TARGET: start, choose the tab (its offset from the window's left edge; empty:
# the first tab, shown at start), play with the pointer moving, stop, stand idle.
measure() {
  local page=$1 tabOffset=$2 target=$3 start end x=0 figures
  { start_lirveto_for "$page" 2 && play_page "$page" "$tabOffset"; } || exit 1

  snapshot >"$work/before"
  start=$(now)
  end=$((SECONDS + playing))
  while [ "$SECONDS" -lt "$end" ]; do
    x=$(((x + 97) % 1280))
    xdotool mousemove "$x" $((300 + x % 500))
    sleep 0.25
  done
  snapshot >"$work/after"
  figures=$(shares "$work/before" "$work/after" "$start" "$(now)")
  read -r whole gui timer audio x other <<<"$(head -n1 <<<"$figures")"
  echo "cpu: $page page playing, pointer moving, % of a core per thread (tid name share):"
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
  bench_row "CPU of the program, playing, pointer moving every 250 ms, $playing s, whole process" \
    "$page" "" "$whole" "% of a core" "< $target"
  bench_row "CPU of the program, playing, pointer moving every 250 ms, $playing s, GUI thread" \
    "$page" "" "$gui" "% of a core" "< 0.5"
  bench_row "CPU of the program, playing, pointer moving every 250 ms, $playing s, timer / audio / X events / other threads" \
    "$page" "" "$timer / $audio / $x / $other" "% of a core" ""
  bench_row "CPU of the program, stopped and idle after playing, $idle s, whole process" \
    "$page" "" "$stopped" "% of a core" "0"
}

measure Wave "" 0.5
measure Midi 85 2.5
measure DirectSound 150 2
echo "cpu: load average $(cut -d' ' -f1-3 /proc/loadavg)"
