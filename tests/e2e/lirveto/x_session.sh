# Sourced by the end-to-end scripts: the tools they need, a scratch folder cleaned up at exit,
# fail(), and start_x_server for a private X server. Expects $program and $python.

for tool in Xvfb xdotool xwd "$python"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "e2e: $tool is missing (scripts/install-deps.sh installs it): skipped"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-e2e-XXXXXX")
xvfb=
wm=
lirveto=
cleanup() {
  [ -n "$lirveto" ] && kill "$lirveto" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e: FAILED: $*"
  [ -f "$work/lirveto.log" ] && sed 's/^/e2e: lirveto: /' "$work/lirveto.log" | tail -20
  exit 1
}

# A display of our own (-displayfd picks a free number), used once a client can connect:
# another test's server may be going away. -noreset: a script that starts the program again
# would otherwise meet the server resetting after its last client left.
start_x_server() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
}

# openbox on the private display, for the tests that need a window manager (stacking, focus,
# hints); skips the test (77) where it is missing.
start_window_manager() {
  command -v openbox >/dev/null 2>&1 || { echo "e2e: openbox is missing: skipped"; exit 77; }
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && return 0
    sleep 0.1
  done
  fail "openbox did not start"
}

# WINDOW: keys go to the focused window, so wait until the window manager has given it the focus.
focus_window() {
  for _ in $(seq 150); do
    xdotool windowactivate "$1" 2>/dev/null
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && { sleep 0.2; return 0; }
    sleep 0.1
  done
  fail "window $1 never took the focus"
}

# NAME: the id of the visible window of exactly that name, or nothing after 15 s.
wait_window() {
  local found=
  for _ in $(seq 150); do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$found" ] && break
    sleep 0.1
  done
  echo "$found"
}

# WINDOW TITLE: waits up to 10 s for the window to carry that title; fails if it never does.
wait_title() {
  local title=
  for _ in $(seq 100); do
    title=$(xdotool getwindowname "$1" 2>/dev/null)
    [ "$title" = "$2" ] && return 0
    sleep 0.1
  done
  fail "the window is titled '$title', not '$2'"
}

# FILE: its size in bytes, 0 while it does not exist.
file_size() {
  stat -c %s "$1" 2>/dev/null || echo 0
}

# FILE: waits up to 10 s for FILE to grow by a tenth of a second of sound (22050 Hz, 8-bit mono).
wait_growth() {
  local before
  before=$(file_size "$1")
  for _ in $(seq 100); do
    [ "$(file_size "$1")" -gt "$((before + 2205))" ] && return 0
    sleep 0.1
  done
  fail "$1 stays at $(file_size "$1") bytes: nothing plays"
}

# Private settings, temporary and runtime folders under $work, and the X session for Qt.
use_private_folders() {
  mkdir -p "$work/config" "$work/data" "$work/tmp" "$work/run"
  chmod 700 "$work/run"
  export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
  export XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
  # Libraries under the program (fontconfig, D-Bus) keep memory to the end; that is not ours.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  unset WAYLAND_DISPLAY
}

# Starts $program and sets $lirveto and $window once its main window shows.
start_lirveto() {
  "$program" >>"$work/lirveto.log" 2>&1 &
  lirveto=$!
  window=$(wait_window Lirveto)
  [ -n "$window" ] || fail "no window named Lirveto appeared"
}

# After a request to quit: waits up to 10 s for the program to end, and for exit status 0.
wait_exit() {
  local status
  for _ in $(seq 100); do kill -0 "$lirveto" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$lirveto" 2>/dev/null && fail "Lirveto is still running"
  wait "$lirveto"
  status=$?
  lirveto=
  [ "$status" -eq 0 ] || fail "Lirveto exited with $status"
}

# NAME PATH: waits for the Qt file dialog titled NAME, types PATH into its file name field (which
# has the focus when it opens) and presses Return; fails if the dialog does not close.
answer_file_dialog() {
  local dialog
  dialog=$(wait_window "$1")
  [ -n "$dialog" ] || fail "no '$1' file dialog"
  xdotool windowfocus --sync "$dialog"
  sleep 0.2
  xdotool key ctrl+a
  xdotool type --delay 10 "$2"
  xdotool key Return
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the '$1' dialog did not take $2"
}

# Clicks along the main window's tab row from the right until a click changes the window: the
# rightmost tab (DirectSound) is hit first, the empty part of the row does nothing. Sets $tab_row
# and $last_tab (screen x of the click that chose it); fails when no click changes anything.
choose_last_tab() {
  xdotool windowfocus --sync "$window"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  tab_row=$((Y + 33))
  xwd -root -silent >"$work/before.xwd"
  last_tab=
  for x in $(seq $((X + WIDTH - 10)) -15 $((X + 10))); do
    xdotool mousemove "$x" "$tab_row" click 1
    sleep 0.3
    xwd -root -silent >"$work/after.xwd"
    if ! cmp -s "$work/before.xwd" "$work/after.xwd"; then last_tab=$x; break; fi
  done
  rm -f "$work/before.xwd" "$work/after.xwd"
  [ -n "$last_tab" ] || fail "no tab could be chosen"
}

# File > New on the page on top, whose window must then be titled TITLE; a second low (x 320),
# a second high (x 960), then Stop.
play_a_take() {
  xdotool key ctrl+n
  wait_title "$window" "$1"
  xdotool mousemove 320 100
  xdotool key space
  sleep 1
  xdotool mousemove 960 100
  sleep 1
  xdotool key space
  sleep 0.3
}
