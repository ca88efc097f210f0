#!/usr/bin/env bash
# Runs one libFuzzer target over its seeds, keeping all it writes out of the source tree: new
# inputs go to CORPUS, the inputs it stops on (crash-, leak-, timeout-, slow-unit-...) to
# ARTIFACTS, which libFuzzer would otherwise put in the working folder, and its output to LOG.
# Usage: fuzz-one.sh TARGET SEEDS CORPUS ARTIFACTS LOG [libFuzzer options...]
set -euo pipefail
if [ $# -lt 5 ]; then
  echo "usage: fuzz-one.sh TARGET SEEDS CORPUS ARTIFACTS LOG [libFuzzer options...]" >&2
  exit 2
fi
target=$1 seeds=$2 corpus=$3 artifacts=$4 log=$5
shift 5
mkdir -p "$corpus" "$artifacts"
exec "$target" "$@" -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" "$seeds" 2>"$log"
