#!/usr/bin/env bash
# Start-up time: from starting Lirveto to its main window being shown, on a private X server,
# with the built-in synth's SoundFont loading at the same time and with none to load. Five
# starts each (three for a quick run); prints each and the median. Usage: startup_window.sh LIRVETO
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=bench_row.sh
source "$here/bench_row.sh"
# shellcheck source-path=SCRIPTDIR source=x_server.sh
source "$here/x_server.sh"

starts=$(bench_length 5 3)

# LABEL SOUNDFONT: fresh settings for every start; SOUNDFONT empty: the default one.
measure() {
  local label=$1 soundFont=$2 times=() run start shown window median
  for run in $(seq "$starts"); do
    export XDG_CONFIG_HOME="$work/config-$label-$run"
    if [ -n "$soundFont" ]; then
      mkdir -p "$XDG_CONFIG_HOME/Quillhorn"
      printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"SoundFont"="%s"\n' \
        "$soundFont" >"$XDG_CONFIG_HOME/Quillhorn/Lirveto.reg"
    fi
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    lirveto=$!
    window=$(wait_window Lirveto)
    shown=$(date +%s%N)
    kill "$lirveto" 2>/dev/null
    wait "$lirveto" 2>/dev/null
    lirveto=
    [ -n "$window" ] || { echo "startup: no window"; exit 1; }
    times+=($(((shown - start) / 1000000)))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((starts + 1) / 2))p")
  echo "startup: $label: window shown after ${times[*]} ms; median $median ms"
  bench_row "start-up to the window shown, $label, $starts starts" "" "$median" \
    "$(printf '%s\n' "${times[@]}" | sort -n | tail -n1)" "ms (slowest as p99)" "< 300"
}

measure "SoundFont loading" ""
measure "no SoundFont to load" "$work/missing.sf2"
echo "startup: load average $(cut -d' ' -f1 /proc/loadavg)"
