#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop and `man` will look for there.
# Usage: installed_layout.sh BUILD_DIR
set -uo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-install-XXXXXX")
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "installed_layout: FAILED: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$root" >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
rm -f "$root.log"

for program in lirveto lirveto-render; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not installed"
done
# The program looks for its help beside its own folder: bin/../share/lirveto/help.
[ -f "$root/bin/../share/lirveto/help/index.html" ] || fail "no help bundle where lirveto looks"

apps=$root/share/icons/hicolor
for size in 16 32 48 256; do
  icon=$apps/${size}x${size}/apps/lirveto.png
  if [ ! -f "$icon" ]; then
    fail "no ${size}px icon"
  elif ! file "$icon" | grep -q "PNG image data, $size x $size"; then
    fail "$icon is not a ${size}x${size} PNG: $(file -b "$icon")"
  fi
done
grep -q '<svg' "$apps/scalable/apps/lirveto.svg" 2>/dev/null || fail "no scalable icon"

desktop=$root/share/applications/lirveto.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
  grep -q '^Icon=lirveto$' "$desktop" || fail "the entry does not name the installed icon"
else
  fail "no desktop entry"
fi

metainfo=$(ls "$root"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n1)
if [ -z "$metainfo" ]; then
  fail "no AppStream metainfo"
elif command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$metainfo" >"$root/appstream.log" 2>&1 ||
    { cat "$root/appstream.log"; fail "appstreamcli refuses $metainfo"; }
  id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
  [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "metainfo file is not named after its id $id"
  grep -q '<launchable type="desktop-id">lirveto.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch the installed desktop entry"
fi

for page in lirveto lirveto-render; do
  man=$root/share/man/man1/$page.1
  if [ ! -f "$man" ]; then
    fail "no manual page $page(1)"
    continue
  fi
  warnings=$(groff -man -z -ww "$man" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page.1: $warnings"
  lexgrog "$man" | grep -q "\"$page - " || fail "$page.1 has no NAME line whatis can read"
done

version=$("$root/bin/lirveto" --version 2>&1)
[[ $version == "Lirveto "* ]] || fail "installed lirveto --version printed: $version"

[ "$failures" -eq 0 ] || exit 1
echo "installed_layout: programs, help, icons, desktop entry, metainfo and manual pages in place"
