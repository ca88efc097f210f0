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
export XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS=detect_leaks=0
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
