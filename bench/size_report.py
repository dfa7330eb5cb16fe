#!/usr/bin/env python3
"""Where the bytes of a linked program go, read off the GNU linker's map (-Wl,-Map).

    size_report.py MAP [--image FILE] [--limit BYTES] [--line] [--top N]

Every input section the linker kept is counted once, under its object: our own code by
subsystem folder ("toolkit", "deploy", ...), libraries by archive ("libstdc++", "zlib").
Sections are grouped as .text, .rdata, .eh_frame, .data/.bss and other. --line prints one
line (total and headroom under --limit); otherwise the table by part, the sections, and the
largest files and functions.
"""
import argparse
import collections
import os
import re
import sys

SECTION_GROUPS = (
    ('.text', '.text'),
    ('.rdata', '.rdata'),
    ('.eh_frame', '.eh_frame'),
    ('.data', '.data'),
    ('.bss', '.bss'),
    ('.rsrc', '.rsrc'),
    ('.idata', '.idata'),
)
LIBRARY_NAMES = {
    'libz.a': 'zlib', 'libkolvar_zlib.a': 'zlib',
    'libstdc++.a': 'libstdc++', 'libgcc.a': 'libgcc', 'libgcc_eh.a': 'libgcc',
    'libpthread.a': 'winpthread', 'libwinpthread.a': 'winpthread', 'libuuid.a': 'libuuid',
    'libmingw32.a': 'crt', 'libmingwex.a': 'crt', 'libmsvcrt.a': 'crt', 'libmoldname.a': 'crt',
}


def group_of(section):
    for prefix, group in SECTION_GROUPS:
        if section == prefix or section.startswith(prefix + '.') or section.startswith(prefix + '$'):
            return group
    if section.startswith('.gcc_except_table'):
        return '.eh_frame'
    if section.startswith('.ctors') or section.startswith('.dtors') or section.startswith('.tls'):
        return '.data'
    return 'other'


def part_of(obj):
    """The part an input object belongs to: a subsystem folder or a library."""
    archive = re.match(r'(.*?)\(([^)]*)\)$', obj)
    if archive:
        path, member = archive.groups()
        base = os.path.basename(path)
        if base in LIBRARY_NAMES:
            return LIBRARY_NAMES[base], member
        m = re.match(r'lib(\w+?)(_pure)?\.a$', base)
        norm = '/' + path.replace('\\', '/')
        if m and '/src/' in norm:
            folder = norm.split('/src/')[-1].split('/')[0]
            return folder, member
        if base.startswith('lib') and base.endswith('.a'):
            name = base[3:-2]
            return ('system imports' if name in ('kernel32', 'user32', 'gdi32', 'advapi32', 'shell32',
                                                 'ole32', 'oleaut32', 'comctl32', 'comdlg32',
                                                 'msimg32', 'mpr', 'winspool', 'psapi')
                    else name), member
        return base, member
    norm = obj.replace('\\', '/')
    if '/src/' in norm:
        rest = norm.split('/src/')[-1]
        return rest.split('/')[0], rest
    if norm.endswith('.res'):
        return 'resources', os.path.basename(norm)
    return 'crt', os.path.basename(norm)


def read_map(path):
    """(section, size, object, symbol) for every input section kept in the image."""
    kept = []
    with open(path, errors='replace') as f:
        lines = f.read().splitlines()
    try:
        start = next(i for i, line in enumerate(lines) if line.startswith('Linker script and memory map'))
    except StopIteration:
        sys.exit(f'{path}: not a GNU linker map')
    pending = None
    for line in lines[start:]:
        if line.startswith('/DISCARD/'):
            break
        m = re.match(r'^ (\.[^\s]+)\s*$', line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r'^ (\.[^\s]+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$', line)
        if m:
            section = m.group(1) or pending
            pending = None
            size = int(m.group(3), 16)
            obj = m.group(4).strip()
            if section and size and not obj.startswith('load address'):
                kept.append((section, size, obj))
            continue
        pending = None if not line.startswith(' .') else pending
    return kept


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('map')
    ap.add_argument('--image', help='the linked file, for its size on disk')
    ap.add_argument('--limit', type=int, default=0)
    ap.add_argument('--line', action='store_true')
    ap.add_argument('--top', type=int, default=20)
    args = ap.parse_args()
    kept = read_map(args.map)
    total_file = os.path.getsize(args.image) if args.image else None
    name = os.path.basename(args.image) if args.image else os.path.basename(args.map)
    if args.line:
        text = f'{name}: {total_file if total_file is not None else sum(s for _, s, _ in kept):,} bytes'
        if args.limit and total_file is not None:
            text += f', {args.limit - total_file:,} bytes of room under the limit of {args.limit:,}'
        print(text)
        return
    parts = collections.defaultdict(lambda: collections.Counter())
    files = collections.Counter()
    functions = collections.Counter()
    for section, size, obj in kept:
        part, member = part_of(obj)
        group = group_of(section)
        parts[part][group] += size
        files[(part, member)] += size
        if '$' in section:
            functions[section.split('$', 1)[1]] += size
    print(f'{name}' + (f': {total_file:,} bytes on disk' if total_file is not None else ''))
    if args.limit and total_file is not None:
        print(f'room under the limit of {args.limit:,}: {args.limit - total_file:,} bytes')
    print()
    groups = ['.text', '.rdata', '.eh_frame', '.data', '.bss', '.rsrc', '.idata', 'other']
    print(f'{"part":<16}{"KB":>7}  ' + ''.join(f'{g:>10}' for g in groups))
    for part, counter in sorted(parts.items(), key=lambda kv: -sum(kv[1].values())):
        print(f'{part:<16}{sum(counter.values()) / 1024:7.1f}  ' +
              ''.join(f'{counter[g] / 1024:10.1f}' for g in groups))
    sums = collections.Counter()
    for counter in parts.values():
        sums.update(counter)
    print(f'{"all":<16}{sum(sums.values()) / 1024:7.1f}  ' + ''.join(f'{sums[g] / 1024:10.1f}' for g in groups))
    print(f'\nlargest files (KB):')
    for (part, member), size in files.most_common(args.top):
        print(f'  {size / 1024:7.1f}  {part}: {member}')
    print(f'\nlargest functions and constants (KB, by section name):')
    for symbol, size in functions.most_common(args.top):
        print(f'  {size / 1024:7.1f}  {symbol[:100]}')


if __name__ == '__main__':
    main()
