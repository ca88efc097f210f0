#!/usr/bin/env bash
# Runs every measuring tool of a bench build (bin/bench_*), each printing its own report, then
# prints the rows they reported (lines "ROW<tab>...", see bench/bench_row.h) as one table, also
# written in Markdown to BUILD/table.md with the machine and its load. A tool joins the table by
# printing ROW lines. LIRVETO_BENCH_QUICK=1 shortens every run: for trying the tools only.
# Usage: run-bench.sh [BUILD] (build/bench)
set -uo pipefail
build=${1:-build/bench}
here=$(cd "$(dirname "$0")" && pwd)
logs="$build/bench-logs"
mkdir -p "$logs"
rm -f "$logs"/*.log

machine() {
  local model cores
  model=$(LC_ALL=C lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -n1)
  cores=$(nproc)
  echo "${model:-unknown CPU}, $cores cores, $(uname -sr)"
}

quickNote=
if [ -n "${LIRVETO_BENCH_QUICK:-}" ] && [ "$LIRVETO_BENCH_QUICK" != 0 ]; then
  quickNote=" (quick run: not for figures)"
fi
loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
failed=()
shopt -s nullglob
for bench in "$build"/bin/bench_*; do
  name=$(basename "$bench")
  echo "== $name"
  "$bench" 2>&1 | tee "$logs/$name.log"
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed+=("$name (exit $status)")
done
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)

table="$build/table.md"
{
  echo "Taken $(date -u +%Y-%m-%d) on $(machine); Release build; load average" \
    "$loadBefore before and $loadAfter after the run$quickNote."
  echo
  cat "$logs"/*.log | python3 "$here/bench-table.py" || failed+=("the table")
} >"$table"
echo
echo "== All figures ($table)"
cat "$table"
if [ "${#failed[@]}" -gt 0 ]; then
  printf 'run-bench: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
