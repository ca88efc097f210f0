#!/usr/bin/env bash
# Lirveto under a private X server with a window manager (openbox), where pop-ups grab the
# pointer and keyboard and window hints are read: help pop-ups close, Exit and signals end the
# program whatever else is open, a signal keeps the unsaved recording, a failing recording
# write shows one box, and the fixed-size window offers no maximise.
# Usage: window_manager_faults.sh LIRVETO
set -uo pipefail

program=$1

for tool in Xvfb xdotool xprop openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "e2e: $tool is missing (scripts/install-deps.sh installs it): skipped"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-wm-XXXXXX")
xvfb=
wm=
lirveto=
cleanup() {
  [ -n "$lirveto" ] && kill -9 "$lirveto" 2>/dev/null
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

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

mkdir -p "$work/config" "$work/tmp" "$work/run" "$work/data"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
export XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
unset WAYLAND_DISPLAY

window=
start_lirveto() {
  "$program" >"$work/lirveto.log" 2>&1 &
  lirveto=$!
  window=
  for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name '^Lirveto$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window named Lirveto appeared"
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 0.3
}

# Waits until the program has ended; fails unless it did so with status 0.
expect_end() {
  local why=$1
  for _ in $(seq 100); do kill -0 "$lirveto" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$lirveto" 2>/dev/null && fail "Lirveto is still running after $why"
  wait "$lirveto"
  local status=$?
  lirveto=
  [ "$status" -eq 0 ] || fail "Lirveto exited with $status after $why"
}

# Counts visible windows whose name matches, after giving the program a moment.
visible() {
  sleep 0.5
  xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l
}

# Shows the context help of the Volume slider by a right-click on it.
right_click_volume() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove "$((X + 43))" "$((Y + 90))"
  sleep 0.2
  xdotool click 3
}

# --- The fixed-size window: the window manager offers no maximise.
start_lirveto
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
motif=$(xprop -id "$window" _MOTIF_WM_HINTS)
echo "$actions" | grep -q MINIMIZE || fail "the window manager's actions are unknown: $actions"
echo "$actions" | grep -q MAXIMIZE && fail "maximise is offered: $actions"
minimum=$(echo "$hints" | sed -n 's/.*minimum size: //p')
maximum=$(echo "$hints" | sed -n 's/.*maximum size: //p')
[ -n "$minimum" ] && [ "$minimum" = "$maximum" ] || fail "the size is not fixed: $hints"
functions=$(echo "$motif" | sed -n 's/.*= 0x[0-9a-f]*, \(0x[0-9a-f]*\),.*/\1/p')
[ -n "$functions" ] && [ $((functions & 0x12)) -eq 0 ] ||
  fail "the Motif hints offer resizing or maximising: $motif"
echo "e2e: no maximise offered ($minimum fixed)"

# --- Help pop-ups close on keys and clicks, inside and outside, and the program answers after.
right_click_volume
[ "$(visible '^Lirveto help$')" -eq 1 ] || fail "right-click on a slider showed no help pop-up"
xdotool key Escape
[ "$(visible '^Lirveto help$')" -eq 0 ] || fail "Escape did not close the help pop-up"
right_click_volume
[ "$(visible '^Lirveto help$')" -eq 1 ] || fail "no help pop-up the second time"
xdotool key space
[ "$(visible '^Lirveto help$')" -eq 0 ] || fail "Space did not close the help pop-up"
xdotool key alt+t F1
[ "$(visible '^Lirveto help$')" -eq 1 ] || fail "Alt+T then F1 showed no help pop-up"
xdotool mousemove 20 1000 click 1
[ "$(visible '^Lirveto help$')" -eq 0 ] || fail "a click outside did not close the help pop-up"
right_click_volume
[ "$(visible '^Lirveto help$')" -eq 1 ] || fail "no help pop-up the fourth time"
xdotool click 1
[ "$(visible '^Lirveto help$')" -eq 0 ] || fail "a click inside did not close the help pop-up"
echo "e2e: help pop-ups close on Escape, Space, clicks inside and outside"

# --- File > Exit with the Help window and the About box open ends the program. The menu
# answering is also the sign that the pop-ups gave the keyboard back.
xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key alt+h c
[ "$(visible '^Lirveto Help$')" -eq 1 ] || fail "Help > Contents showed no help window"
xdotool windowactivate --sync "$window" 2>/dev/null
sleep 0.3
xdotool key alt+f x
expect_end "File > Exit with the Help window open"
echo "e2e: Exit ends the program with the Help window open"

start_lirveto
xdotool key alt+h a
[ "$(visible '^About Lirveto$')" -eq 1 ] || fail "Help > About showed no box"
kill -TERM "$lirveto"
expect_end "SIGTERM with the About box open"
echo "e2e: SIGTERM ends the program with the About box open"

# --- SIGTERM while recording, with a help pop-up up: nothing asked, the recording kept.
start_lirveto
xdotool key ctrl+n
sleep 0.3
xdotool key space
sleep 2
right_click_volume
[ "$(visible '^Lirveto help$')" -eq 1 ] || fail "no help pop-up while recording"
kill -TERM "$lirveto"
expect_end "SIGTERM while recording"
kept=$(ls "$work/data/Lirveto/recovered/"recording-*.wav 2>/dev/null | head -n1)
[ -n "$kept" ] || fail "the recording was not kept in $work/data/Lirveto/recovered"
[ "$(stat -c %s "$kept")" -gt 1000 ] || fail "the kept recording is empty"
ls "$work/tmp"/RIF*.TMP >/dev/null 2>&1 && fail "a temporary recording was left behind"
grep -q '^"Pitch"' "$work/config/Quillhorn/Lirveto.reg" || fail "the settings were not saved"
echo "e2e: SIGTERM kept the recording as $(basename "$kept")"

# --- A full disk while recording: one box, the tone goes on, SIGTERM still ends it.
rm -f "$work/data/Lirveto/recovered-note.txt"
trap '' XFSZ
(ulimit -f 40; exec "$program") >"$work/lirveto.log" 2>&1 &
lirveto=$!
window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Lirveto$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  sleep 0.1
done
trap - XFSZ
[ -n "$window" ] || fail "no window with the file size limit"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.3
xdotool key ctrl+n
sleep 0.3
xdotool key space
sleep 6
# The box has the program's caption, as the main window had before the take named it.
boxes=$(xdotool search --onlyvisible --name '^Lirveto$' 2>/dev/null | grep -vx "$window" | wc -l)
[ "$boxes" -eq 1 ] || fail "$boxes boxes about the failed write instead of one"
kill -0 "$lirveto" 2>/dev/null || fail "Lirveto is gone after the failed write"
kill -TERM "$lirveto"
expect_end "SIGTERM with the failed-write box open"
echo "e2e: a failing write showed one box and SIGTERM still ended the program"
echo "e2e: passed"
