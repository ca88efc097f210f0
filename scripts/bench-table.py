#!/usr/bin/env python3
"""Gathers the ROW lines of the measuring tools (bench/bench_row.h) into one aligned Markdown
table. Rows whose `what` starts alike (up to its first comma) stand together, in the order the
first of them came: first the row for no page in particular, then the pages in tab order. Usage: bench-table.py [ROWS_FILE...] (stdin without)."""

import fileinput
import sys

HEADER = ("What", "Page", "Median", "p99 / value", "Unit", "Target", "Command")
PAGE_ORDER = ("Wave", "Midi", "DirectSound")


def parse(lines):
    rows, errors = [], []
    for line in lines:
        line = line.rstrip("\n")
        if not line.startswith("ROW\t"):
            continue
        fields = line.split("\t")[1:]
        if len(fields) != len(HEADER):
            errors.append(f"a row with {len(fields)} fields instead of {len(HEADER)}: {line!r}")
            continue
        rows.append([field.strip() or "-" for field in fields])
    return rows, errors


def ordered(rows):
    groups = {}
    for row in rows:
        groups.setdefault(row[0].split(",")[0], []).append(row)

    def page_rank(row):  # a row for no page in particular comes first
        if row[1] == "-":
            return -1
        return PAGE_ORDER.index(row[1]) if row[1] in PAGE_ORDER else len(PAGE_ORDER)

    return [row for group in groups.values() for row in sorted(group, key=page_rank)]


def cell(text, column):
    text = text.replace("|", "\\|")
    return f"`{text}`" if column == len(HEADER) - 1 and text != "-" else text


def table(rows):
    cells = [list(HEADER)] + [[cell(text, i) for i, text in enumerate(row)] for row in rows]
    widths = [max(len(line[i]) for line in cells) for i in range(len(HEADER))]

    def render(line):
        return "| " + " | ".join(text.ljust(widths[i]) for i, text in enumerate(line)) + " |"

    rule = "|" + "|".join("-" * (width + 2) for width in widths) + "|"
    return "\n".join([render(cells[0]), rule] + [render(line) for line in cells[1:]]) + "\n"


def main():
    rows, errors = parse(fileinput.input(sys.argv[1:]))
    sys.stdout.write(table(ordered(rows)))
    for error in errors:
        print(f"bench-table: {error}", file=sys.stderr)
    return 1 if errors or not rows else 0


if __name__ == "__main__":
    sys.exit(main())
