#!/usr/bin/env python3
"""Include cycles of one layer folder.

A unit is a class's file pair (Name.h and Name.cpp, or a header alone).
Unit A depends on unit B when A.h or A.cpp includes B.h from the same
folder. Prints the units of each cycle (strongly connected group of more
than one unit), largest first, and the size of the largest.

    scripts/include-cycles.py scene [--list]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def graph(folder):
    units = {}
    for name in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(name)
        if ext in ('.h', '.cpp'):
            units.setdefault(stem, set())
    for name in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(name)
        if ext not in ('.h', '.cpp'):
            continue
        with open(os.path.join(folder, name), encoding='utf-8') as f:
            text = f.read()
        for included in INCLUDE.findall(text):
            target, target_ext = os.path.splitext(os.path.basename(included))
            if target_ext == '.h' and target in units and target != stem:
                units[stem].add(target)
    return units


def cycles(units):
    # Tarjan's strongly connected components, iteratively.
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    counter = 0
    for root in units:
        if root in index:
            continue
        work = [(root, iter(sorted(units[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(units[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return sorted(groups, key=len, reverse=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip())
        return 2
    groups = cycles(graph(sys.argv[1]))
    largest = len(groups[0]) if groups else 0
    print('largest cycle: %d units; cycles: %s' % (largest, [len(g) for g in groups]))
    if '--list' in sys.argv:
        for group in groups:
            print('  ' + ' '.join(group))
    return 0


if __name__ == '__main__':
    sys.exit(main())
