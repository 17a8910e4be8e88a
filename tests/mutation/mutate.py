#!/usr/bin/env python3
"""Mutation check for one module: do its tests notice small faults?

Reads a hand-written mutant list (tests/mutation/lists/<module>.txt), applies one
mutant at a time to the source tree, rebuilds only the module's test targets,
runs the module's tests and reports each mutant as killed or survived.

List format (blank lines and lines starting with "#" are ignored):

    targets: archive_tests                 test targets to rebuild
    tests: ^archive_tests$                 ctest -R regular expression
    file: archive/vmFunctions.cpp          the file of the mutants below
    - if (dos.year < 1980 || dos.year > 2107)
    + if (dos.year < 1980 || dos.year > 2106)

A mutant is a "- " line (exact original text, unique in the file) followed by
a "+ " line (its replacement). The original is matched with any amount of
blanks and line breaks between its words, so it may span several source
lines. The text is found by content, not by line number, so the list
survives edits elsewhere in the file; a mutant whose text is gone or no
longer unique is reported as "stale" and not counted.

The source file is always restored: on normal exit, on an error, on Ctrl+C
or SIGTERM, and after a hard kill by the next run (a journal in the build
folder holds the original until it has been written back). A final rebuild
leaves the build folder matching the restored sources.

Usage: tests/mutation/mutate.py tests/mutation/lists/archive.txt [--build build] [--only N]
"""

import argparse
import base64
import json
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


class Mutant:
    def __init__(self, number, file, original, replacement):
        self.number = number
        self.file = file
        self.original = original
        self.replacement = replacement


def parse_list(path):
    targets, tests, mutants = [], None, []
    current_file, pending = None, None
    for line_no, raw in enumerate(Path(path).read_text().splitlines(), 1):
        line = raw.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        if line.startswith("targets:"):
            targets = line.split(":", 1)[1].split()
        elif line.startswith("tests:"):
            tests = line.split(":", 1)[1].strip()
        elif line.startswith("file:"):
            current_file = line.split(":", 1)[1].strip()
        elif line.startswith("- "):
            pending = line[2:]
        elif line.startswith("+ ") or line == "+":
            if pending is None or current_file is None:
                sys.exit(f"{path}:{line_no}: '+' without a preceding file and '-' line")
            mutants.append(Mutant(len(mutants) + 1, current_file, pending, line[2:]))
            pending = None
        else:
            sys.exit(f"{path}:{line_no}: unreadable line: {line}")
    if not targets or not tests:
        sys.exit(f"{path}: needs 'targets:' and 'tests:' lines")
    return targets, tests, mutants


class Journal:
    """Keeps the original of the file being mutated until it is restored."""

    def __init__(self, build_dir):
        self.path = Path(build_dir) / "mutate-journal.json"

    def recover(self):
        if not self.path.exists():
            return
        entry = json.loads(self.path.read_text())
        Path(entry["file"]).write_bytes(base64.b64decode(entry["content"]))
        self.path.unlink()
        print(f"restored {entry['file']} left mutated by an interrupted run")

    def hold(self, file, content):
        tmp = self.path.with_suffix(".tmp")
        tmp.write_text(json.dumps({"file": str(file), "content": base64.b64encode(content).decode()}))
        os.replace(tmp, self.path)

    def release(self, file, content):
        file.write_bytes(content)
        self.path.unlink(missing_ok=True)


def run(command, log):
    return subprocess.run(command, cwd=ROOT, stdout=log, stderr=subprocess.STDOUT).returncode


def build(build_dir, targets, log):
    return run(["cmake", "--build", build_dir, "--target", *targets], log) == 0


def tests_pass(build_dir, regex, log, timeout):
    command = ["ctest", "--test-dir", build_dir, "-R", regex, "--stop-on-failure", "--timeout", str(timeout)]
    return run(command, log) == 0


def apply(mutant):
    """The mutated text, or a reason why the mutant can't be applied."""
    file = ROOT / mutant.file
    if not file.exists():
        return None, "stale (no such file)"
    text = file.read_text()
    # Blanks and line breaks between the words don't matter, so the text may
    # span lines and keep matching after the code is re-indented.
    pattern = re.compile(r"\s*".join(re.escape(word) for word in mutant.original.split()))
    found = list(pattern.finditer(text))
    if len(found) != 1:
        return None, "stale (text found %d times)" % len(found)
    start, end = found[0].span()
    return text[:start] + mutant.replacement.strip() + text[end:], None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("mutants", help="mutant list, e.g. tests/mutation/lists/archive.txt")
    parser.add_argument("--build", default="build", help="configured build folder (default: build)")
    parser.add_argument("--only", type=int, action="append", help="run only mutant N (repeatable)")
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test program")
    parser.add_argument("--check", action="store_true", help="only check that every mutant applies")
    args = parser.parse_args()

    targets, regex, mutants = parse_list(args.mutants)
    build_dir = str((ROOT / args.build).resolve())
    journal = Journal(build_dir)
    journal.recover()

    # SIGTERM and SIGHUP end the run like Ctrl+C, through the restoring path.
    def interrupt(signum, frame):
        raise KeyboardInterrupt
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, interrupt)

    log_path = Path(build_dir) / "mutate.log"
    results = []
    with open(log_path, "w") as log:
        if not args.check:
            print("baseline build and tests ...", flush=True)
            if not build(build_dir, targets, log) or not tests_pass(build_dir, regex, log, args.timeout):
                sys.exit(f"the unmutated module fails its own tests; see {log_path}")
        for mutant in mutants:
            if args.only and mutant.number not in args.only:
                continue
            mutated, problem = apply(mutant)
            label = f"#{mutant.number:<3} {mutant.file}: {mutant.original.strip()}  ->  {mutant.replacement.strip()}"
            if problem:
                results.append((mutant, "stale"))
                print(f"{label}\n      {problem}", flush=True)
                continue
            if args.check:
                continue
            file = ROOT / mutant.file
            original = file.read_bytes()
            started = time.monotonic()
            try:
                journal.hold(file, original)
                file.write_text(mutated)
                log.write(f"\n==== mutant {mutant.number}\n")
                log.flush()
                if not build(build_dir, targets, log):
                    outcome = "no build"
                elif tests_pass(build_dir, regex, log, args.timeout):
                    outcome = "SURVIVED"
                else:
                    outcome = "killed"
            except KeyboardInterrupt:
                journal.release(file, original)
                print("\ninterrupted; source restored, rebuilding ...", flush=True)
                build(build_dir, targets, log)
                sys.exit(130)
            finally:
                journal.release(file, original)
            results.append((mutant, outcome))
            print(f"{label}\n      {outcome} ({time.monotonic() - started:.0f} s)", flush=True)
        if not args.check:
            build(build_dir, targets, log)  # objects match the restored sources again

    counted = [r for r in results if r[1] in ("killed", "SURVIVED")]
    killed = sum(1 for r in counted if r[1] == "killed")
    if counted:
        print(f"\n{Path(args.mutants).stem}: {killed}/{len(counted)} killed "
              f"({100.0 * killed / len(counted):.0f}%)")
    for mutant, outcome in results:
        if outcome != "killed":
            print(f"  {outcome}: #{mutant.number} {mutant.file}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
