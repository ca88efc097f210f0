#!/usr/bin/env python3
"""run-bench.sh over a build folder of stand-in tools: every tool's rows end up in one aligned
table (printed and written as Markdown), grouped by what they measure, and a tool that fails or
prints a broken row makes the run fail instead of vanishing from the table.
Usage: run_bench_test.py RUN_BENCH_SH"""

import os
import subprocess
import sys
import tempfile
import unittest

RUN_BENCH = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None


def tool(folder, name, body):
    path = os.path.join(folder, "bin", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write("#!/bin/sh\n" + body + "\n")
    os.chmod(path, 0o755)


def row(*fields):
    return "printf 'ROW" + "".join("\\t" + field for field in fields) + "\\n'"


class RunBench(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.build = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def run_bench(self, **environment):
        env = dict(os.environ)
        env.pop("LIRVETO_BENCH_QUICK", None)
        env.update(environment)
        return subprocess.run(["bash", RUN_BENCH, self.build], capture_output=True, text=True,
                              env=env, timeout=60)

    def table_lines(self):
        with open(os.path.join(self.build, "table.md")) as table:
            return [line for line in table.read().splitlines() if line.startswith("|")]

    def test_rows_of_every_tool_form_one_aligned_table(self):
        # Tools run in name order; the table groups rows by what they measure and puts the
        # pages in tab order.
        tool(self.build, "bench_a_dsound",
             "echo 'a report of its own'\n"
             + row("cursor-to-sound latency, 128 frames", "DirectSound", "11.20", "13.70", "ms",
                   "<= 15", "bin/bench_a_dsound 60") + "\n"
             + row("CPU while playing", "DirectSound", "-", "3.70", "%% of a core", "< 0.5",
                   "bin/bench_a_dsound 60"))
        tool(self.build, "bench_b_wave",
             row("CPU while playing", "Wave", "-", "0.50", "%% of a core", "< 0.5",
                 "bin/bench_b_wave") + "\n"
             + row("cursor-to-sound latency, 44100 Hz", "Wave", "380.5", "452.0", "ms", "-",
                   "bin/bench_b_wave"))
        tool(self.build, "bench_c_paint", row("paint a|b", "", "1.5", "2.0", "ms", "-", "x | y"))
        result = self.run_bench()
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("a report of its own", result.stdout)

        lines = self.table_lines()
        self.assertEqual(len(lines), 2 + 5)
        self.assertTrue(all(len(line) == len(lines[0]) for line in lines), "\n".join(lines))
        self.assertTrue(all(line.rstrip() == line and line.endswith("|") for line in lines))
        pipes = [i for i, c in enumerate(lines[0]) if c == "|"]
        self.assertEqual(len(pipes), 8)
        for line in lines[2:]:
            self.assertEqual([i for i in pipes if line[i] == "|"], pipes, line)
        self.assertRegex(lines[1], r"^(\|-+)+\|$")
        cells = [[cell.strip() for cell in line[1:-1].split(" | ")] for line in lines]
        self.assertEqual(cells[0][:4], ["What", "Page", "Median", "p99 / value"])
        self.assertEqual([(c[0].split(",")[0], c[1]) for c in cells[2:6]],
                         [("cursor-to-sound latency", "Wave"),
                          ("cursor-to-sound latency", "DirectSound"),
                          ("CPU while playing", "Wave"), ("CPU while playing", "DirectSound")])
        self.assertEqual(cells[2][2:], ["380.5", "452.0", "ms", "-", "`bin/bench_b_wave`"])
        self.assertIn("paint a\\|b", lines[6])
        self.assertIn("`x \\| y`", lines[6])

        self.assertIn("\n".join(lines), result.stdout)
        with open(os.path.join(self.build, "table.md")) as table:
            note = table.readline()
        self.assertRegex(note, r"cores.*load average [0-9.]+ [0-9.]+ [0-9.]+ before")
        self.assertNotIn("quick", note)

    def test_a_failing_tool_fails_the_run_and_keeps_the_others(self):
        tool(self.build, "bench_a_broken",
             row("timer lateness, 5 ms tick", "Midi", "46", "3600", "us", "p99 < 300", "t")
             + "\necho 'no device' >&2\nexit 3")
        tool(self.build, "bench_b_fine", row("start-up", "-", "945", "1100", "ms", "< 300", "s"))
        result = self.run_bench()
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("bench_a_broken (exit 3)", result.stderr)
        self.assertIn("no device", result.stdout)
        self.assertEqual(len(self.table_lines()), 2 + 2)

    def test_a_broken_row_is_reported_not_dropped_silently(self):
        tool(self.build, "bench_a_short", "printf 'ROW\\tonly\\tthree\\n'")
        tool(self.build, "bench_b_fine", row("start-up", "-", "945", "1100", "ms", "< 300", "s"))
        result = self.run_bench()
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("2 fields instead of 7", result.stderr)
        self.assertIn("the table", result.stderr)
        self.assertEqual(len(self.table_lines()), 2 + 1)

    def test_no_rows_at_all_is_a_failure(self):
        tool(self.build, "bench_a_silent", "echo 'figures in its own words only'")
        result = self.run_bench()
        self.assertNotEqual(result.returncode, 0)

    def test_a_quick_run_says_so_in_the_table(self):
        tool(self.build, "bench_a", row("start-up", "-", "945", "1100", "ms", "< 300", "s"))
        for value, quick in (("1", True), ("0", False)):
            result = self.run_bench(LIRVETO_BENCH_QUICK=value)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(self.build, "table.md")) as table:
                self.assertEqual("quick run" in table.readline(), quick, value)


if __name__ == "__main__":
    unittest.main()
