#!/usr/bin/env python3
"""Timings of the Python module `vorn` (a benchmark, not a test).

    PYTHONPATH=build/python python3 bench/bench_python.py list NAMES.vmres
        walk() over every entry (bench_find make writes a 1,000,000-entry
        archive), best of five, and the memory the entry objects take.
    PYTHONPATH=build/python python3 bench/bench_python.py read ARCHIVE PATH VORNTOOL
        archive.read(PATH) against `vorntool cat ARCHIVE PATH` into
        /dev/null (make_big_entry writes a big chunked file), best of five
        each, taken in turns.
"""

import gc
import os
import subprocess
import sys
import time

import vorn


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def best_of(runs, work, clock=time.perf_counter):
    times = []
    for _ in range(runs):
        start = clock()
        work()
        times.append(clock() - start)
    return min(times)


def bench_list(path):
    with vorn.open(path) as archive:
        # Memory first, in a process that has not held the entries before.
        gc.collect()
        before = resident_bytes()
        entries = archive.walk()
        after = resident_bytes()
        count = len(entries)
        path_bytes = sum(len(e.path) for e in entries) / count
        del entries
        seconds = best_of(5, lambda: archive.walk())
        cpu = best_of(5, lambda: archive.walk(), time.process_time)
        iterate = best_of(3, lambda: sum(1 for _ in archive))
    print(f"entries: {count:,}")
    print(f"walk() to a list: {seconds:.3f} s wall, {cpu:.3f} s CPU ({cpu / count * 1e9:.0f} ns per entry)")
    print(f"for entry in archive: {iterate:.3f} s")
    print(f"memory per entry object: {(after - before) / count:.0f} bytes (mean path {path_bytes:.1f} characters)")


def bench_read(path, member, vorntool):
    with vorn.open(path) as archive:
        size = archive.stat(member).size

        def python_read():
            data = archive.read(member)
            assert len(data) == size

        def tool_cat():
            with open(os.devnull, "wb") as null:
                subprocess.run([vorntool, "cat", path, member], stdout=null, check=True)

        python_read()  # the archive into the page cache
        python, tool = [], []
        for _ in range(5):
            python.append(best_of(1, python_read))
            tool.append(best_of(1, tool_cat))
    print(f"file: {member}, {size / 1e6:.0f} MB decoded")
    print(f"archive.read: {min(python):.3f} s ({size / min(python) / 1e6:.0f} MB/s)")
    print(f"vorntool cat: {min(tool):.3f} s ({size / min(tool) / 1e6:.0f} MB/s)")
    print(f"read / cat: {min(python) / min(tool):.2f}")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "list":
        bench_list(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "read":
        bench_read(*sys.argv[2:])
    else:
        sys.exit(__doc__)
