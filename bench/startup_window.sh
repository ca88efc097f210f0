#!/usr/bin/env bash
# Start-up time: from starting Lirveto to its main window being shown, on a private X server,
# with the built-in synth's SoundFont loading at the same time. Five starts; prints each and
# the median. Usage: startup_window.sh LIRVETO
set -uo pipefail
program=$1
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "startup: $tool is missing: skipped"; exit 0; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-startup-XXXXXX")
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
mkdir -p "$work/run" && chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS=detect_leaks=0
unset WAYLAND_DISPLAY

# Five starts with a fresh settings folder each; SOUNDFONT empty: the default one.
measure() {
  local label=$1 soundFont=$2 times=() run start shown pid
  for run in 1 2 3 4 5; do
    export XDG_CONFIG_HOME="$work/config-$label-$run"
    if [ -n "$soundFont" ]; then
      mkdir -p "$XDG_CONFIG_HOME/Quillhorn"
      printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"SoundFont"="%s"\n' \
        "$soundFont" >"$XDG_CONFIG_HOME/Quillhorn/Lirveto.reg"
    fi
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    pid=$!
    shown=
    for _ in $(seq 2000); do
      if xdotool search --onlyvisible --name '^Lirveto$' >/dev/null 2>&1; then
        shown=$(date +%s%N)
        break
      fi
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -n "$shown" ] || { echo "startup: no window"; exit 1; }
    times+=($(((shown - start) / 1000000)))
  done
  echo "startup: $label: window shown after ${times[*]} ms; median" \
    "$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p) ms"
}

measure "SoundFont loading" ""
measure "no SoundFont to load" "$work/missing.sf2"
echo "startup: target < 300 ms with the SoundFont loading; load average $(cut -d' ' -f1 /proc/loadavg)"
