# shellcheck shell=bash
# Sourced by the measuring scripts that run the program: a private X server, a scratch folder
# removed at exit, the environment of a headless run, and wait_window. Expects $program.

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "bench: $tool is missing: skipped" >&2; exit 0; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-bench-XXXXXX")
xvfb=
lirveto=
cleanup() {
  # The program writes its settings as it ends: the folder goes after it.
  [ -n "$lirveto" ] && kill "$lirveto" 2>/dev/null && wait "$lirveto" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$work/run" && chmod 700 "$work/run"
# The program keeps its plays in XDG_DATA_HOME, and a start after an ending by signal tells of
# them in a box that would take the next key: each run keeps them in its scratch folder.
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" ASAN_OPTIONS=detect_leaks=0
unset WAYLAND_DISPLAY

# The id of the visible window named exactly NAME, polled without pause for up to TRIES
# looks (2000); empty when none appeared.
wait_window() {
  local tries=${2:-2000} window
  for _ in $(seq "$tries"); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$window" ] && { echo "$window"; return; }
  done
}

# PAGE SETTLE: starts $program with fresh settings of its own for the page and waits for its
# window and SETTLE seconds more; sets $lirveto and $window. Returns 1, saying why, without one.
start_lirveto_for() {
  export XDG_CONFIG_HOME="$work/config-$1" XDG_DATA_HOME="$work/data-$1"
  # shellcheck disable=SC2154 # the sourcing script names the program
  "$program" >"$work/lirveto-$1.log" 2>&1 &
  lirveto=$!
  window=$(wait_window Lirveto)
  [ -n "$window" ] || { echo "no window for the $1 page" >&2; return 1; }
  sleep "$2"
}

# PAGE TAB_OFFSET: chooses the tab (its offset from the window's left edge; empty: the first tab,
# shown at start) and presses Space with the pointer on the screen. Returns 1, saying why, when
# the page did not start playing.
play_page() {
  local page=$1 tabOffset=$2 threads X Y
  eval "$(xdotool getwindowgeometry --shell "$window")"
  if [ -n "$tabOffset" ]; then
    xdotool mousemove "$((X + tabOffset))" "$((Y + 33))" click 1
    sleep 0.5
  fi
  xdotool mousemove 640 100
  xdotool windowfocus --sync "$window"
  threads=$(awk '/^Threads:/ { print $2 }' "/proc/$lirveto/status")
  xdotool key space
  # Playing opens an output, and with it at least one audio thread (a busy machine may take a
  # few seconds to start it).
  for _ in $(seq 50); do
    sleep 0.2
    [ "$(awk '/^Threads:/ { print $2 }' "/proc/$lirveto/status")" -gt "$threads" ] && return 0
  done
  echo "the $page page did not start playing" >&2
  return 1
}

# Ends the program started last and waits for it.
stop_lirveto() {
  kill "$lirveto" 2>/dev/null
  wait "$lirveto" 2>/dev/null
  lirveto=
}
