#!/usr/bin/env bash
# Runs every benchmark executable of a bench build.
set -euo pipefail
build=${1:-build/bench}
shopt -s nullglob
for bench in "$build"/bin/bench_*; do
  echo "== $(basename "$bench")"
  "$bench"
done
