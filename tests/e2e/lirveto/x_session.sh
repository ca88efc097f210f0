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
lirveto=
cleanup() {
  [ -n "$lirveto" ] && kill "$lirveto" 2>/dev/null
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
# another test's server may be going away.
start_x_server() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
}
