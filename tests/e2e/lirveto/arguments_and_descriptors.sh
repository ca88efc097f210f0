#!/usr/bin/env bash
# The real program started as a desktop would start it with extra arguments: an unknown argument
# does not stop it, Qt's own "-platform offscreen" reaches Qt (there is no display otherwise),
# every descriptor it opens is close-on-exec so the browsers and mixers it starts inherit none,
# and SIGTERM still ends it with status 0.
# Usage: arguments_and_descriptors.sh LIRVETO
set -uo pipefail

program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-fds-XXXXXX")
lirveto=
cleanup() {
  [ -n "$lirveto" ] && kill -KILL "$lirveto" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  sed 's/^/lirveto: /' "$work/lirveto.log" | tail -20
  exit 1
}

mkdir -p "$work/config" "$work/tmp" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# Start it with only 0, 1 and 2 open, so whatever else it holds is its own.
(
  for fd in /proc/self/fd/*; do
    fd=${fd##*/}
    [ "$fd" -gt 2 ] && eval "exec $fd>&-"
  done
  exec "$program" --no-such-option -platform offscreen stray-word
) >"$work/lirveto.log" 2>&1 &
lirveto=$!

# Up once it listens for later starts and for signals: three sockets.
sockets=0
for _ in $(seq 300); do
  kill -0 "$lirveto" 2>/dev/null || { wait "$lirveto"; fail "it exited with $? instead of running"; }
  sockets=$(find "/proc/$lirveto/fd" -lname 'socket:*' 2>/dev/null | wc -l)
  [ "$sockets" -ge 3 ] && break
  sleep 0.1
done
[ "$sockets" -ge 3 ] || fail "it did not come up within 30 seconds"
sleep 1

inherited=()
for info in "/proc/$lirveto"/fdinfo/*; do
  fd=${info##*/}
  [ "$fd" -le 2 ] && continue
  flags=$(sed -n 's/^flags:[[:space:]]*//p' "$info" 2>/dev/null) || continue
  [ -n "$flags" ] || continue
  # O_CLOEXEC is octal 02000000 in the flags the kernel shows.
  if (( (8#$flags & 8#2000000) == 0 )); then
    inherited+=("$fd -> $(readlink "/proc/$lirveto/fd/$fd")")
  fi
done
[ ${#inherited[@]} -eq 0 ] || fail "descriptors a started program would inherit: ${inherited[*]}"

kill -TERM "$lirveto"
wait "$lirveto"
status=$?
lirveto=
[ "$status" -eq 0 ] || fail "SIGTERM ended it with status $status"
echo "it ran with unknown arguments and Qt's -platform, held no inheritable descriptor, and SIGTERM ended it"
