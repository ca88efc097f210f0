#!/usr/bin/env python3
"""Mutation check: do the tests catch the faults a careless edit makes?

Each mutation in scripts/mutants/*.txt replaces one exact piece of text in one source file. This
script applies them one at a time to a scratch copy of the tree (build/mutants/tree, with its own
dev build reused from run to run), rebuilds, runs the area's tests and, if they all pass, every
test but the end-to-end ones, puts the file back and says which test killed the mutation.

    scripts/mutants.py [--area NAME] [--only ID,ID...] [--equivalent] [--list]

Mutations marked equivalent are listed but not run unless --equivalent asks to check them.

List format (one file per area, blocks separated by blank lines, '#' starts a comment line):
    tests: CTEST-REGEX          once, before the first block: the area's tests
    targets: NAME NAME...       once: the build targets holding every test the regex matches
                                (built first, alone; a test left out would run stale)
    file: PATH                  in the repository
    from: TEXT                  the original, exactly as written, found exactly once
    to: TEXT                    its replacement
    equivalent: WHY             optional: no behaviour can tell it apart
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LIST_DIR = ROOT / "scripts" / "mutants"
WORK = ROOT / "build" / "mutants"
TREE = WORK / "tree"
LOGS = WORK / "logs"
BUILD_TIMEOUT = 1800
TEST_TIMEOUT = 120  # per test; a mutant that hangs is killed by timeout
RUN_TIMEOUT = 3600
FLAKY = []  # tests that failed once and passed again during the present mutation


@dataclass
class Mutation:
    ident: str
    area: str
    tests: str
    targets: list
    file: str
    original: str
    replacement: str
    equivalent: str = ""


def parse_list(path):
    area = path.stem
    tests = ""
    targets = []
    mutations = []
    block = {}
    line_no = 0

    def finish():
        if not block:
            return
        missing = [k for k in ("file", "from", "to") if k not in block]
        if missing:
            sys.exit(f"{path}:{line_no}: a mutation without {', '.join(missing)}")
        if not tests:
            sys.exit(f"{path}: no 'tests:' line before the first mutation")
        mutations.append(Mutation(f"{area}-{len(mutations) + 1}", area, tests, targets, block["file"],
                                  block["from"], block["to"], block.get("equivalent", "")))
        block.clear()

    for line_no, raw in enumerate(path.read_text().splitlines(), 1):
        line = raw.strip()
        if line.startswith("#"):
            continue
        if not line:
            finish()
            continue
        key, sep, value = line.partition(":")
        if not sep or key not in ("tests", "targets", "file", "from", "to", "equivalent"):
            sys.exit(f"{path}:{line_no}: expected 'key: value', got: {raw}")
        if key == "tests":
            tests = value.strip()
        elif key == "targets":
            targets = value.split()
        elif key in block:
            sys.exit(f"{path}:{line_no}: '{key}' twice in one mutation")
        else:
            block[key] = value.strip()
    finish()
    return mutations


def tracked_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                         check=True, capture_output=True).stdout
    return [p for p in out.decode().split("\0") if p and (ROOT / p).is_file()]


def sync_tree():
    """Copies only what differs, so the scratch build stays incremental."""
    files = tracked_files()
    manifest = WORK / "manifest"
    before = set(manifest.read_text().splitlines()) if manifest.exists() else set()
    for rel in files:
        src, dst = ROOT / rel, TREE / rel
        if dst.exists() and dst.read_bytes() == src.read_bytes():
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(src, dst)
        os.utime(dst)  # newer than anything built from the old content
    for gone in before - set(files):
        (TREE / gone).unlink(missing_ok=True)
    manifest.write_text("\n".join(files) + "\n")


def run(cmd, log, timeout):
    env = dict(os.environ, CCACHE_BASEDIR=str(TREE))
    with open(log, "a") as out:
        out.write(f"$ {' '.join(cmd)}\n")
        out.flush()
        try:
            return subprocess.run(cmd, cwd=TREE, stdout=out, stderr=subprocess.STDOUT, env=env,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return None


def build(log, targets=()):
    if not (TREE / "build" / "dev" / "CMakeCache.txt").exists():
        if run(["cmake", "--preset", "dev", "-DLIRVETO_WERROR=OFF"], log, BUILD_TIMEOUT) != 0:
            return False
    only = ["--target", *targets] if targets else []
    return run(["cmake", "--build", "--preset", "dev", *only], log, BUILD_TIMEOUT) == 0


def failed_tests():
    failed = TREE / "build" / "dev" / "Testing" / "Temporary" / "LastTestsFailed.log"
    if not failed.exists():
        return []
    return [line.split(":", 1)[1] for line in failed.read_text().splitlines() if ":" in line]


def ctest(args, log, exclude):
    """None when every test passed, else (first failing tests, timed out?)."""
    stamp = log.stat().st_size if log.exists() else 0
    cmd = ["ctest", "--preset", "dev", "-j2", "--timeout", str(TEST_TIMEOUT), *args]
    if exclude:
        cmd += ["-E", "|".join(f"^{t}$" for t in exclude)]
    failed = TREE / "build" / "dev" / "Testing" / "Temporary" / "LastTestsFailed.log"
    failed.unlink(missing_ok=True)
    code = run(cmd, log, RUN_TIMEOUT)
    if code == 0:
        return None
    with open(log) as f:
        f.seek(stamp)
        timed_out = code is None or "(Timeout)" in f.read()
    failed = failed_tests()
    # The machine is shared and some tests keep time: a test that fails and then passes again
    # with the same build is flaky, and kills nothing.
    if failed and not timed_out:
        rerun = ["ctest", "--preset", "dev", "--rerun-failed", "--timeout", str(TEST_TIMEOUT)]
        if run(rerun, log, RUN_TIMEOUT) == 0:
            FLAKY.extend(failed)
            return None
    return failed or ["(the test run)"], timed_out


def check_texts(mutations):
    """Each original must occur exactly once: after a merge, a moved line is told, not guessed."""
    good, stale = [], []
    for m in mutations:
        path = ROOT / m.file
        count = path.read_text().count(m.original) if path.exists() else -1
        if count == 1:
            good.append(m)
        else:
            where = "no such file" if count < 0 else f"the original text is found {count} times, not once"
            stale.append((m, where))
    return good, stale


def apply(m):
    path = TREE / m.file
    text = path.read_text()
    path.write_text(text.replace(m.original, m.replacement, 1))
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--area", help="only the mutations of scripts/mutants/AREA.txt")
    parser.add_argument("--only", help="only these mutations, e.g. tone-3,files-12")
    parser.add_argument("--equivalent", action="store_true",
                        help="run the mutations marked equivalent too, to check the claim")
    parser.add_argument("--list", action="store_true", help="check the list and print it")
    args = parser.parse_args()

    lists = sorted(LIST_DIR.glob("*.txt"))
    if args.area:
        lists = [p for p in lists if p.stem == args.area]
        if not lists:
            sys.exit(f"mutants: no list scripts/mutants/{args.area}.txt")
    mutations = [m for p in lists for m in parse_list(p)]
    if args.only:
        wanted = set(args.only.replace(",", " ").split())
        mutations = [m for m in mutations if m.ident in wanted]
    good, stale = check_texts(mutations)
    for m, where in stale:
        print(f"{m.ident:12} STALE: {m.file}: {where}; mend the list: {m.original!r}")
    if args.list:
        for m in good:
            print(f"{m.ident:12} {m.file}: {m.original!r} -> {m.replacement!r}"
                  + (f"  [equivalent: {m.equivalent}]" if m.equivalent else ""))
        return 1 if stale else 0

    WORK.mkdir(parents=True, exist_ok=True)
    shutil.rmtree(LOGS, ignore_errors=True)
    LOGS.mkdir()
    started = time.monotonic()
    sync_tree()
    baseline = LOGS / "baseline.log"
    if not build(baseline):
        sys.exit(f"mutants: the unchanged tree does not build, see {baseline}")
    # Tests that already fail unchanged would kill every mutant: leave them out, and say so.
    result = ctest(["-LE", "e2e"], baseline, [])
    broken = result[0] if result else []
    if broken:
        print(f"mutants: left out, failing without any mutation: {', '.join(broken)}")
    if FLAKY:
        print(f"mutants: failed once, then passed, without any mutation: {', '.join(FLAKY)}")
        FLAKY.clear()
    print(f"mutants: baseline built and tested in {time.monotonic() - started:.0f} s", flush=True)

    outcomes = {}
    for m in good:
        if m.equivalent and not args.equivalent:
            outcomes[m.ident] = f"equivalent ({m.equivalent}); not run"
            print(f"{m.ident:12} {outcomes[m.ident]}", flush=True)
            continue
        log = LOGS / f"{m.ident}.log"
        t0 = time.monotonic()
        original = apply(m)
        try:
            # The area's own tests first, built alone; everything only for a mutation they miss.
            if not build(log, m.targets):
                outcome = "killed: does not build"
            elif (result := ctest(["-R", m.tests], log, broken)) is None and not build(log):
                outcome = "killed: does not build"
            else:
                result = result or ctest(["-LE", "e2e"], log, broken)
                if result is None:
                    outcome = "survived"
                else:
                    tests, timed_out = result
                    outcome = ("killed: timeout in " if timed_out else "killed by ") + \
                        ", ".join(tests[:3]) + (f" and {len(tests) - 3} more" if len(tests) > 3
                                                else "")
        finally:
            (TREE / m.file).write_text(original)
        if FLAKY:
            outcome += f" (failed once, then passed: {', '.join(FLAKY)})"
            FLAKY.clear()
        if m.equivalent:
            outcome = f"equivalent ({m.equivalent}); " + (
                "survived as expected" if outcome == "survived" else f"but {outcome}: not equivalent?")
        outcomes[m.ident] = outcome
        print(f"{m.ident:12} {outcome}  [{time.monotonic() - t0:.0f} s]  {m.file}: "
              f"{m.original!r} -> {m.replacement!r}", flush=True)

    counted = [m for m in good if not m.equivalent]
    killed = [m for m in counted if outcomes[m.ident].startswith("killed")]
    survivors = [m.ident for m in counted if outcomes[m.ident].startswith("survived")]
    unbuilt = sum(1 for m in killed if "does not build" in outcomes[m.ident])
    timeouts = sum(1 for m in killed if "timeout" in outcomes[m.ident])
    rate = 100.0 * len(killed) / len(counted) if counted else 100.0
    print(f"\nmutants: {len(killed)} of {len(counted)} non-equivalent mutations killed "
          f"({rate:.1f} %; {unbuilt} by the compiler, {timeouts} by a timeout); "
          f"{len(good) - len(counted)} marked equivalent; {len(stale)} stale; "
          f"{time.monotonic() - started:.0f} s in all")
    if survivors:
        print(f"mutants: survived: {', '.join(survivors)}")
    return 1 if survivors or stale else 0


if __name__ == "__main__":
    sys.exit(main())
