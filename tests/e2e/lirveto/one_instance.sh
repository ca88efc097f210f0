#!/usr/bin/env bash
# The one-instance rule with the real program: several copies started at the same moment leave
# exactly one running, every other start exits 0, and a start after the others have ended still
# finds the survivor. Runs headless (offscreen), so it needs no X server.
# Usage: one_instance.sh LIRVETO [ROUNDS] [COPIES]
set -uo pipefail

program=$1
rounds=${2:-5}
copies=${3:-4}

work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-one-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "one-instance: FAILED: $*"
  for log in "$work"/*.log; do sed "s|^|one-instance: $(basename "$log"): |" "$log" | tail -5; done
  exit 1
}

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$work/config" "$work/data" "$work/tmp" "$work/run"
chmod 700 "$work/run"

alive() { kill -0 "$1" 2>/dev/null; }

# Waits until at most one of the pids runs; prints the survivors.
settle() {
  local survivors=()
  for _ in $(seq 300); do
    survivors=()
    for pid in "$@"; do alive "$pid" && survivors+=("$pid"); done
    [ "${#survivors[@]}" -le 1 ] && break
    sleep 0.1
  done
  echo "${survivors[@]}"
}

for round in $(seq "$rounds"); do
  # The last round has no runtime folder: the private fallback in the temporary folder serves.
  if [ "$round" -eq "$rounds" ]; then unset XDG_RUNTIME_DIR; else export XDG_RUNTIME_DIR="$work/run"; fi
  pids=()
  for copy in $(seq "$copies"); do
    "$program" >"$work/r$round-c$copy.log" 2>&1 &
    pids+=($!)
  done
  survivors=$(settle "${pids[@]}")
  sleep 1  # a copy that wrongly keeps running shows itself here
  running=()
  for pid in "${pids[@]}"; do alive "$pid" && running+=("$pid"); done
  [ "${#running[@]}" -eq 1 ] || fail "round $round: ${#running[@]} of $copies copies run (${survivors})"
  survivor=${running[0]}
  for pid in "${pids[@]}"; do
    [ "$pid" = "$survivor" ] && continue
    wait "$pid"
    status=$?
    [ "$status" -eq 0 ] || fail "round $round: a second start exited $status"
  done

  # A later start, after the others have gone, still finds the survivor.
  "$program" >"$work/r$round-late.log" 2>&1
  status=$?
  [ "$status" -eq 0 ] || fail "round $round: a later start exited $status"
  alive "$survivor" || fail "round $round: the survivor is gone"

  kill -TERM "$survivor"
  for _ in $(seq 100); do alive "$survivor" || break; sleep 0.1; done
  alive "$survivor" && fail "round $round: the survivor does not end on SIGTERM"
  wait "$survivor" 2>/dev/null
  echo "one-instance: round $round: one of $copies copies runs, the others exited 0"
done

fallback="$work/tmp/lirveto-$(id -u)"
[ "$(stat -c %a "$fallback")" = 700 ] || fail "the fallback folder $fallback is not private"
exit 0
