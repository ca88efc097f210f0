#!/usr/bin/env bash
# Renders every case of tests/data/reference_renders/cases.txt with lirveto-render and compares
# the result byte for byte with the stored WAV or MIDI file; with --update it stores the new
# renders instead (after an intended change of the sound; listen to them before committing).
# Usage: reference-renders.sh [--update] LIRVETO_RENDER
set -euo pipefail

update=false
if [ "${1:-}" = "--update" ]; then
  update=true
  shift
fi
if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: reference-renders.sh [--update] LIRVETO_RENDER" >&2
  exit 2
fi
render=$1
cases=$(cd "$(dirname "$0")/../tests/data/reference_renders" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-renders-XXXXXX")
trap 'rm -rf "$work"' EXIT

count=0
differ=()
while read -r name screen duration engine; do
  case "$name" in '' | '#'*) continue ;; esac
  engine=${engine:-wave}
  file=$name.wav
  [ "$engine" = midi ] && file=$name.mid
  settings=()
  [ -f "$cases/$name.ini" ] && settings=(--settings "$cases/$name.ini")
  "$render" --engine "$engine" --gesture "$cases/$name.gesture" --out "$work/$file" \
    --screen "$screen" --duration "$duration" "${settings[@]}"
  count=$((count + 1))
  if $update; then
    cp "$work/$file" "$cases/$file"
  elif ! cmp -s "$work/$file" "$cases/$file"; then
    differ+=("$name")
  fi
done <"$cases/cases.txt"

if [ "$count" -eq 0 ]; then
  echo "reference-renders: no cases in $cases/cases.txt" >&2
  exit 1
fi
if $update; then
  echo "reference-renders: stored $count renders in $cases"
  exit 0
fi
if [ ${#differ[@]} -gt 0 ]; then
  echo "reference-renders: these renders differ from the stored ones: ${differ[*]}" >&2
  echo "reference-renders: after an intended change of the sound, run: make reference-renders" >&2
  exit 1
fi
echo "reference-renders: all $count renders match"
