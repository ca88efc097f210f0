#!/usr/bin/env bash
# A real libFuzzer target that stops on one of its seeds, run as the fuzz runs run every target:
# the input it stops on must land in the artifacts folder, and nothing in the working folder
# (which is the source tree's root for scripts/run-fuzz.sh).
# Usage: fuzz_artifacts_test.sh FUZZ_ONE
set -uo pipefail
fuzz_one=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT

cat >"$work/stops.cpp" <<'CODE'
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == 'x') {
        __builtin_trap();
    }
    return 0;
}
CODE
if ! command -v clang++ >/dev/null 2>&1 ||
   ! clang++ -fsanitize=fuzzer -o "$work/stops" "$work/stops.cpp" 2>"$work/compile.log"; then
  echo "SKIPPED: no clang++ with libFuzzer"
  exit 77
fi
mkdir -p "$work/seeds" "$work/root"
printf 'xyz' >"$work/seeds/stopper"

cd "$work/root" || exit 1
if "$fuzz_one" "$work/stops" "$work/seeds" "$work/corpus" "$work/artifacts" "$work/log" -runs=10; then
  echo "FAILED: the target stops on its seed, but the run passed"
  exit 1
fi
if [ -n "$(ls -A "$work/root")" ]; then
  echo "FAILED: the run left files in its working folder:"
  ls -A "$work/root"
  exit 1
fi
shopt -s nullglob
kept=("$work"/artifacts/crash-*)
if [ ${#kept[@]} -ne 1 ] || [ "$(cat "${kept[0]}")" != xyz ]; then
  echo "FAILED: the stopping input is not kept in the artifacts folder:"
  ls -A "$work/artifacts" 2>&1
  exit 1
fi
echo "PASSED"
