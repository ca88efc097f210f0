#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its committed corpus.
# Usage: run-fuzz.sh RUNS [SECONDS]
#   RUNS     executions per target (make fuzz: 1000000)
#   SECONDS  optional cap per target; the short run in make test uses only this (RUNS = 0 means
#            no limit on executions)
# Prints the executions each target made; new inputs found go to build/fuzz/corpus, so the
# committed seeds under tests/fuzz/corpus stay small, and the inputs a target stops on to
# build/fuzz/artifacts (scripts/fuzz-one.sh), never into the source tree.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
seconds=${2:-0}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus_root=build/fuzz/corpus
artifact_root=build/fuzz/artifacts
shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "run-fuzz: no fuzz targets yet"
  exit 0
fi
limits=()
[ "$runs" -gt 0 ] && limits+=(-runs="$runs")
[ "$seconds" -gt 0 ] && limits+=(-max_total_time="$seconds")
short=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  seeds=tests/fuzz/corpus/$name
  if [ ! -d "$seeds" ]; then
    echo "run-fuzz: $name has no committed corpus in $seeds" >&2
    exit 1
  fi
  log=build/fuzz/$name.log
  scripts/fuzz-one.sh "$target" "$seeds" "$corpus_root/$name" "$artifact_root/$name" "$log" \
    "${limits[@]}" ||
    { echo "run-fuzz: $name found a failure (its input is in $artifact_root/$name):" >&2
      tail -n 40 "$log" >&2; exit 1; }
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  echo "run-fuzz: $name: ${executions:-?} executions"
  if [ "$runs" -gt 0 ] && [ "${executions:-0}" -lt "$runs" ]; then
    short=$((short + 1))
  fi
done
if [ "$short" -gt 0 ]; then
  echo "run-fuzz: $short targets stopped at the time cap before $runs executions" >&2
  exit 1
fi
echo "run-fuzz: ${#targets[@]} targets ran clean"
