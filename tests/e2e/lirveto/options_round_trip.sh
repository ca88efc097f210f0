#!/usr/bin/env bash
# The Options sheet as a user meets it, under a private X server with a window manager: opened
# from the menu, "Always on top" and "QuickLaunch icon" ticked, OK. The window is kept above at
# once, the launcher is a valid desktop entry that starts this program, and after Exit the
# per-user store holds the choice.
# Usage: options_round_trip.sh LIRVETO
set -uo pipefail

program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

# shellcheck source=x_session.sh
source "$here/x_session.sh"
for tool in xprop desktop-file-validate; do
  command -v "$tool" >/dev/null 2>&1 || { echo "e2e: $tool is missing: skipped"; exit 77; }
done

start_x_server
start_window_manager
use_private_folders
export SDL_AUDIODRIVER=dummy

# Options > Preferences from the main window, the boxes of the given letters toggled, OK.
toggle_in_options() {
  focus_window "$window"
  xdotool key --clearmodifiers alt+o
  sleep 0.3
  xdotool key p
  local sheet
  sheet=$(wait_window Options)
  [ -n "$sheet" ] || fail "Options did not open from the menu"
  focus_window "$sheet"
  for letter in "$@"; do xdotool key --clearmodifiers "alt+$letter"; done
  sleep 0.2
  xdotool key Return
  for _ in $(seq 50); do xdotool search --onlyvisible --name '^Options$' >/dev/null 2>&1 || break; sleep 0.1; done
  xdotool search --onlyvisible --name '^Options$' >/dev/null 2>&1 && fail "OK did not close the sheet"
}

start_lirveto
focus_window "$window"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && fail "kept above before asked"

# Always on top and the launcher.
toggle_in_options a q

# Kept above at once, without a restart.
above=
for _ in $(seq 50); do
  xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && { above=yes; break; }
  sleep 0.1
done
[ -n "$above" ] || fail "the window is not kept above after OK: $(xprop -id "$window" _NET_WM_STATE)"
echo "e2e: the main window is kept above"

launcher="$work/data/applications/Lirveto.desktop"
[ -f "$launcher" ] || fail "no launcher at $launcher"
desktop-file-validate "$launcher" || fail "the launcher does not validate"
exec_program=$(sed -n 's/^Exec=//p' "$launcher" | head -n1)
[ "$exec_program" = "$program" ] || fail "the launcher starts '$exec_program', not $program"
"$exec_program" --version | grep -q '^Lirveto' || fail "the launcher's program is not Lirveto"
echo "e2e: the launcher validates and starts this program"

# Off again at once (and the sound kept on focus loss), the fixed-size window still offering
# no resizing.
toggle_in_options a c
for _ in $(seq 30); do
  xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || break
  sleep 0.1
done
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && fail "still kept above after unticking"
xprop -id "$window" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x2c' ||
  fail "the window manager hints lost the fixed size: $(xprop -id "$window" _MOTIF_WM_HINTS)"
echo "e2e: kept above no more; no resizing offered"
# The launcher stays: its box was left ticked.
[ -f "$launcher" ] || fail "the launcher went away with its box still ticked"

focus_window "$window"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key x
wait_exit

store="$work/config/Quillhorn/Lirveto.reg"
[ -f "$store" ] || fail "no settings store at $store"
grep '"OnTop"' "$store" | grep -q 'hex:00' || fail "the store does not hold OnTop off: $(grep OnTop "$store")"
grep '"StopFocus"' "$store" | grep -q 'hex:01' ||
  fail "the store does not hold StopFocus on: $(grep StopFocus "$store")"
echo "e2e: $(grep -E '"(OnTop|StopFocus)"' "$store" | tr '\n' ' ') kept after Exit"
echo "e2e: PASSED"
