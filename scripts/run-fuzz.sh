#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus_root=build/fuzz/corpus
shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "run-fuzz: no fuzz targets yet"
  exit 0
fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  mkdir -p "$corpus_root/$name"
  seeds=tests/fuzz/seeds/${name#fuzz_}
  [ -d "$seeds" ] || seeds=
  echo "run-fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus_root/$name" $seeds 2>"build/fuzz/$name.log" ||
    { echo "run-fuzz: $name found a failure:" >&2; tail -n 40 "build/fuzz/$name.log" >&2; exit 1; }
done
echo "run-fuzz: ${#targets[@]} targets ran clean"
