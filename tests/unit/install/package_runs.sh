#!/usr/bin/env bash
# Unpacks the Debian package `make package` built into a scratch root and runs both programs
# from it. Skipped (77) when no package was built: `make package-test` builds one and runs this.
# Usage: package_runs.sh PACKAGE_DIR
set -uo pipefail
folder=$1
deb=$(ls -t "$folder"/lirveto_*.deb 2>/dev/null | head -n1)
if [ -z "$deb" ]; then
  echo "package_runs: no package in $folder (it needs a Release build): run 'make package-test'; skipped"
  exit 77
fi
root=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-package-XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() { echo "package_runs: FAILED: $*"; exit 1; }
echo "package_runs: $deb, built $(date -r "$deb" '+%F %T')"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libsdl2 libfluidsynth libasound2; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library (shared library dependencies): $depends"
done
dpkg -x "$deb" "$root" || fail "dpkg -x could not unpack $deb"

bin=$root/usr/bin
[ -x "$bin/lirveto" ] && [ -x "$bin/lirveto-render" ] || fail "the package holds no programs in usr/bin"
[ -f "$root/usr/share/lirveto/help/index.html" ] || fail "the package holds no help bundle"
grep -qx "Exec=/usr/bin/lirveto" "$root/usr/share/applications/lirveto.desktop" ||
  fail "the desktop entry does not start /usr/bin/lirveto"

version=$("$bin/lirveto" --version) || fail "lirveto --version failed"
[[ $version =~ ^Lirveto\ [0-9]+\.[0-9]+ ]] || fail "lirveto --version printed: $version"
echo "package_runs: $version"

printf '0 0 100\n200 960 100\n400 1919 100\n' >"$root/sweep.gesture"
"$bin/lirveto-render" --engine wave --gesture "$root/sweep.gesture" --out "$root/sweep.wav" ||
  fail "lirveto-render could not render a gesture"
[ "$(head -c 4 "$root/sweep.wav")" = RIFF ] || fail "lirveto-render wrote no WAV file"
bytes=$(stat -c %s "$root/sweep.wav")
[ "$bytes" -gt 4000 ] || fail "the 400 ms render holds only $bytes bytes"
"$bin/lirveto-render" --engine wave >/dev/null 2>&1
[ $? -eq 2 ] || fail "lirveto-render accepted an incomplete command line"
echo "package_runs: both programs run from the unpacked package"
