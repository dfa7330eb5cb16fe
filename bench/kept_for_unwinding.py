#!/usr/bin/env python3
"""Functions a program would carry only because their object's unwind tables name them.

    kept_for_unwinding.py PLAIN_MAP MAP [--top N]

The GNU linker for Windows drops unused sections (--gc-sections), but every function's record
in its object's .eh_frame refers to it, and the linker keeps every .eh_frame, so once an object
is linked all of its functions stay. INSTALL.EXE is linked through cmake/trim_unwind_link.py,
whose first pass is that plain link (PLAIN_MAP) and whose last keeps records only for the code
reached otherwise (MAP): what the first keeps and the last drops is what the trimming saves.
"""
import argparse
import collections
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from size_report import read_map, part_of  # noqa: E402


def ours(path):
    kept = {}
    for section, size, obj in read_map(path):
        if not section.startswith('.text$'):
            continue
        part, member = part_of(obj)
        kept[(part, member, section)] = kept.get((part, member, section), 0) + size
    return kept


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('map')
    ap.add_argument('trimmed_map')
    ap.add_argument('--top', type=int, default=30)
    args = ap.parse_args()
    full, bare = ours(args.map), ours(args.trimmed_map)
    extra = {k: v for k, v in full.items() if k not in bare}
    total = sum(extra.values())
    print(f'{len(extra)} functions kept in the plain link only for their unwind records: '
          f'{total / 1024:.1f} KB of code, their unwind records on top')
    by_file = collections.Counter()
    for (part, member, _), size in extra.items():
        by_file[f'{part}: {member}'] += size
    print('by file (KB):')
    for name, size in by_file.most_common(args.top):
        print(f'  {size / 1024:6.1f}  {name}')
    print('largest (bytes):')
    for (part, member, section), size in sorted(extra.items(), key=lambda kv: -kv[1])[:args.top]:
        print(f'  {size:6d}  {member}  {section.split("$", 1)[1][:110]}')


if __name__ == '__main__':
    main()
