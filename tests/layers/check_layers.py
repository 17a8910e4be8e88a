#!/usr/bin/env python3
"""Checks the program's include graph for circles.

A unit is a file pair (X.h with X.cpp). No two units may include each other,
directly or through others, and no folder may include from a folder that
includes from it. Tests and benchmarks are left out: they sit above
everything they test.
"""
import collections
import os
import re
import sys

SKIPPED = ("build", ".git", "tests", "bench")


def read_includes(root):
    includes = {}
    for folder, subfolders, names in os.walk(root):
        subfolders[:] = [s for s in subfolders if not (folder == root and (s in SKIPPED or s.startswith("build")))]
        for name in names:
            if name.endswith((".h", ".cpp")):
                path = os.path.relpath(os.path.join(folder, name), root)
                with open(os.path.join(root, path), errors="replace") as source:
                    includes[path] = re.findall(r'^\s*#\s*include\s+"([^"]+)"', source.read(), re.M)
    return includes


def graph(includes, key):
    edges = collections.defaultdict(set)
    for path, targets in includes.items():
        for target in targets:
            if target in includes and key(target) != key(path):
                edges[key(path)].add(key(target))
    return edges


def circles(edges):
    """Strongly connected groups of more than one node (Tarjan, iterative)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = 0
    for start in list(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    group = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        group.append(member)
                        if member == node:
                            break
                    if len(group) > 1:
                        found.append(sorted(group))
            elif child not in index:
                index[child] = low[child] = counter
                counter += 1
                stack.append(child)
                on_stack.add(child)
                work.append((child, iter(sorted(edges[child]))))
            elif child in on_stack:
                low[node] = min(low[node], index[child])
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    includes = read_includes(root)
    if not includes:
        print(f"no sources under {root}")
        return 1
    failed = False
    for what, key in (("files", lambda p: os.path.splitext(p)[0]), ("folders", lambda p: p.split("/")[0])):
        for group in circles(graph(includes, key)):
            print(f"include circle between {what}: {' -> '.join(group)}")
            failed = True
    print(f"{len(includes)} source files read")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
