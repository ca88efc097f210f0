# shellcheck shell=bash
# Sourced by the measuring scripts: rows in the form of bench_row.h, and the quick setting.
# Expects BENCH_COMMAND (set by the bench_* wrapper) or falls back to the script's own command.

bench_quick() {
  [ -n "${LIRVETO_BENCH_QUICK:-}" ] && [ "${LIRVETO_BENCH_QUICK}" != 0 ]
}

# FULL QUICK: the run length for this run.
bench_length() {
  if bench_quick; then echo "$2"; else echo "$1"; fi
}

bench_command=${BENCH_COMMAND:-$0 $*}
bench_quick && bench_command="LIRVETO_BENCH_QUICK=1 $bench_command"

# WHAT PAGE MEDIAN VALUE UNIT TARGET: one row; an empty field prints "-", tabs become spaces.
bench_row() {
  local line=ROW field
  for field in "$@" "$bench_command"; do
    field=${field//$'\t'/ }
    line+=$'\t'"${field:--}"
  done
  printf '%s\n' "$line"
}
