#!/usr/bin/env python3
"""Functions of ours that a program carries only because their object's unwind tables name
them.

    kept_for_unwinding.py MAP MAP_WITHOUT_UNWIND_TABLES [--top N]

The GNU linker for Windows drops unused sections (--gc-sections), but every function's record
in its object's one .eh_frame section refers to it, so once an object is linked all of its
functions stay. The second map is of the same link with .eh_frame and .gcc_except_table taken
out of our objects (bench/size does that link): what the first keeps and the second drops is
reached by nothing but its unwind record. Moving it into an object of its own, or deleting it
when nothing calls it at all, takes it out of the program.
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
        obj = obj.replace('/build/size-unwinding/', '/')
        part, member = part_of(obj)
        if part in ('zlib', 'libstdc++', 'libgcc', 'winpthread', 'crt', 'system imports'):
            continue
        kept[(part, member, section)] = kept.get((part, member, section), 0) + size
    return kept


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('map')
    ap.add_argument('bare_map')
    ap.add_argument('--top', type=int, default=30)
    args = ap.parse_args()
    full, bare = ours(args.map), ours(args.bare_map)
    extra = {k: v for k, v in full.items() if k not in bare}
    total = sum(extra.values())
    print(f'{len(extra)} functions of ours kept only for their unwind records: '
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
