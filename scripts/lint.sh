#!/usr/bin/env bash
# Runs clang-tidy (rules in .clang-tidy) over src/ and tools/; fails on any warning or error.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LINT_BUILD_DIR:-build/lint}
jobs=${LINT_JOBS:-2}

runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$runner" ] || [ -z "$tidy" ]; then
  echo "lint: clang-tidy (and run-clang-tidy) not found; install the clang-tidy package" >&2
  exit 1
fi

[ -f "$build/compile_commands.json" ] || cmake --preset dev -B "$build" >/dev/null
# Qt sources include moc output, so the autogen targets must have run; nothing else is built.
mapfile -t autogen < <(ninja -C "$build" -t targets all | sed -n 's/^\([A-Za-z0-9_-]*_autogen\): .*/\1/p' | sort -u)
if [ ${#autogen[@]} -gt 0 ]; then
  cmake --build "$build" -j"$jobs" --target "${autogen[@]}" >/dev/null
fi

# clang cannot read g++'s precompiled headers, so point each -include at a copy of the header
# in a folder without the .gch beside it.
tidy_db="$build/tidy"
mkdir -p "$tidy_db"
python3 - "$build/compile_commands.json" "$tidy_db" <<'EOF'
import json, os, re, shutil, sys
source, out = sys.argv[1], os.path.abspath(sys.argv[2])
entries = json.load(open(source))
copies = {}
def plain_header(match):
    header = match.group(1)
    if header not in copies:
        folder = os.path.join(out, "pch", str(len(copies)))
        os.makedirs(folder, exist_ok=True)
        copies[header] = os.path.join(folder, os.path.basename(header))
        shutil.copyfile(header, copies[header])
    return "-include " + copies[header]
for entry in entries:
    entry["command"] = re.sub(r"-include (\S+cmake_pch\.hxx)", plain_header, entry["command"])
json.dump(entries, open(os.path.join(out, "compile_commands.json"), "w"), indent=1)
EOF

root=$(pwd)
log="$tidy_db/clang-tidy.log"
status=0
"$runner" -clang-tidy-binary "$tidy" -p "$tidy_db" -j "$jobs" -quiet \
  "^$root/(src|tools)/" >"$log" 2>&1 || status=$?
# Strip colours so the log greps cleanly, and show each finding once (headers repeat them).
sed -i 's/\x1b\[[0-9;]*m//g' "$log"
findings=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):|^error:' "$log" | sort -u || true)
if [ -n "$findings" ]; then
  echo "$findings"
  echo "lint: $(echo "$findings" | wc -l) finding(s); full output in $log" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "lint: clang-tidy failed (exit $status); see $log" >&2
  exit 1
fi
echo "lint: clang-tidy found nothing in src/ and tools/"
