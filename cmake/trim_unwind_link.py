#!/usr/bin/env python3
"""Links a Windows program so that it carries unwind records only for the code it keeps.

    trim_unwind_link.py --work DIR -- COMPILER LINK-ARGUMENTS...

The GNU linker for Windows keeps every .eh_frame section (KEEP in its script), and each record
in there names its function, so --gc-sections never drops a function that has a record: whole
explicit instantiations of the standard library stay, with their records. This script links in
passes instead, with copies of the input objects whose .eh_frame sections hold only the records
of functions the program keeps:

1. the link as given, with a map: which archive members and objects take part;
2. the same inputs without any records: what the program reaches through its code alone;
3. records kept for exactly those functions; if the linker then keeps a function whose record
   was left out (reached from a record that stays, e.g. the personality routine), its record is
   put back and the pass repeats, until every function kept has its record again.

The copies live in DIR; the program, its map and its import library are written where the
command line says, from the last pass. Objects this script does not understand (another file
format, records it cannot parse) are passed through untouched, which only keeps more. Exits with
the linker's status; a pass that fails fails the link.
"""
import argparse
import collections
import os
import re
import shutil
import struct
import subprocess
import sys

REL32 = 0x14
DIR32 = 0x06
# Startup objects the compiler driver adds: the first and last .eh_frame of the program (the
# frame table's start marker and its terminator) stay exactly as they are.
UNTOUCHED = ('crtbegin.o', 'crtend.o')


class CoffObject:
    """The sections, relocations and symbols of a COFF object, enough to rewrite .eh_frame."""

    def __init__(self, data):
        self.data = data
        (machine, nsec, _, self.symtab, self.nsym, opt, _) = struct.unpack_from('<HHIIIHH', data, 0)
        if machine != 0x14C or opt != 0:
            raise ValueError('not an i386 object')
        self.strtab = self.symtab + 18 * self.nsym
        self.sections = []
        for i in range(nsec):
            off = 20 + 40 * i
            (_, _, size, raw, relocs, _, nrel, _, flags) = struct.unpack_from('<IIIIIIHHI', data,
                                                                              off + 8)
            if flags & 0x01000000:  # IMAGE_SCN_LNK_NRELOC_OVFL
                raise ValueError('relocation count overflow')
            self.sections.append({'header': off, 'name': self.name_at(data[off:off + 8]),
                                  'size': size, 'raw': raw, 'relocs': relocs, 'nrel': nrel})
        # Symbol index -> section index (0-based), and the aux record of each section symbol.
        self.symbol_section = {}
        self.section_aux = {}
        i = 0
        while i < self.nsym:
            off = self.symtab + 18 * i
            (value, secnum, _, storage, naux) = struct.unpack_from('<IhHBB', data, off + 8)
            if secnum > 0:
                self.symbol_section[i] = secnum - 1
                if storage == 3 and naux >= 1 and value == 0:  # static: the section's symbol
                    self.section_aux.setdefault(secnum - 1, off + 18)
                elif value != 0 and self.sections[secnum - 1]['name'].startswith('.eh_frame'):
                    raise ValueError('symbol inside .eh_frame')
            i += 1 + naux

    def name_at(self, raw):
        name = raw.rstrip(b'\0').decode('latin-1')
        if name.startswith('/'):
            start = self.strtab + int(name[1:])
            name = self.data[start:self.data.index(b'\0', start)].decode('latin-1')
        return name

    def relocations(self, index):
        sec = self.sections[index]
        for r in range(sec['nrel']):
            yield struct.unpack_from('<IIH', self.data, sec['relocs'] + 10 * r)


def eh_frame_records(obj, index):
    """[(offset, length, cie offset or None)] of one .eh_frame section; raises on what it does
    not know (a terminator, 64-bit lengths, a record past the end)."""
    sec = obj.sections[index]
    data = obj.data[sec['raw']:sec['raw'] + sec['size']]
    records, pos = [], 0
    while pos < len(data):
        (length,) = struct.unpack_from('<I', data, pos)
        if length == 0 or length == 0xFFFFFFFF or pos + 4 + length > len(data) or length < 4:
            raise ValueError('unexpected .eh_frame record')
        (cie_id,) = struct.unpack_from('<I', data, pos + 4)
        records.append((pos, 4 + length, None if cie_id == 0 else pos + 4 - cie_id))
        pos += 4 + length
    return records


def fde_targets(obj):
    """{(eh_frame section index, record offset): target section index or None} for every
    record describing a function (None: its start is not a section of this object)."""
    targets = {}
    for index, sec in enumerate(obj.sections):
        if not sec['name'].startswith('.eh_frame') or sec['size'] == 0:
            continue
        starts = {va: sym for va, sym, kind in obj.relocations(index)}
        for pos, _, cie in eh_frame_records(obj, index):
            if cie is not None:
                sym = starts.get(pos + 8)
                targets[(index, pos)] = obj.symbol_section.get(sym) if sym is not None else None
    return targets


def trimmed(obj, keep):
    """The object's bytes with the records of functions whose section keep(index) refuses taken
    out, and every common record no remaining one uses; the object itself when nothing goes."""
    targets = fde_targets(obj)
    out = bytearray(obj.data)
    changed = False
    for index, sec in enumerate(obj.sections):
        if not sec['name'].startswith('.eh_frame') or sec['size'] == 0:
            continue
        records = eh_frame_records(obj, index)
        kept = []
        for pos, length, cie in records:
            if cie is not None:
                target = targets[(index, pos)]
                if target is None or keep(target):
                    kept.append((pos, length, cie))
        if len(kept) == sum(1 for r in records if r[2] is not None):
            continue
        changed = True
        used_cies = {cie for _, _, cie in kept}
        layout = [(p, n, c) for p, n, c in records if (c is None and p in used_cies) or
                  (c is not None and (p, n, c) in kept)]
        moved, body = {}, bytearray()
        src = obj.data[sec['raw']:sec['raw'] + sec['size']]
        for pos, length, cie in layout:
            moved[pos] = len(body)
            record = bytearray(src[pos:pos + length])
            if cie is not None:
                struct.pack_into('<I', record, 4, moved[pos] + 4 - moved[cie])
            body += record
        relocs = bytearray()
        nrel = 0
        for va, sym, kind in obj.relocations(index):
            owner = next((p for p, n, _ in layout if p <= va < p + n), None)
            if owner is None:
                continue
            relocs += struct.pack('<IIH', moved[owner] + va - owner, sym, kind)
            nrel += 1
        # The new contents and relocations go at the end of the file; the old bytes stay
        # where they were, unread.
        raw = len(out) if body else 0
        out += body
        rel = len(out) if nrel else 0
        out += relocs
        struct.pack_into('<III', out, sec['header'] + 16, len(body), raw, rel)
        struct.pack_into('<H', out, sec['header'] + 32, nrel)
        aux = obj.section_aux.get(index)
        if aux is not None:
            struct.pack_into('<IH', out, aux, len(body), nrel)
    return bytes(out) if changed else obj.data


# --- archives ------------------------------------------------------------------------------


def archive_members(path):
    """[(member name, bytes)] of a GNU ar archive, symbol index left out."""
    with open(path, 'rb') as f:
        data = f.read()
    if not data.startswith(b'!<arch>\n'):
        raise ValueError(f'{path}: not an ar archive')
    members, longnames, pos = [], b'', 8
    while pos + 60 <= len(data):
        header = data[pos:pos + 60]
        name = header[:16].decode('latin-1').rstrip()
        size = int(header[48:58].decode().strip())
        body = data[pos + 60:pos + 60 + size]
        pos += 60 + size + (size & 1)
        if name in ('/', '/SYM64/'):
            continue
        if name == '//':
            longnames = body
            continue
        if name.startswith('/') and name[1:].isdigit():
            start = int(name[1:])
            name = longnames[start:longnames.index(b'/\n', start)].decode('latin-1')
        elif name.endswith('/'):
            name = name[:-1]
        members.append((name, body))
    return members


def write_archive(path, members, ar):
    """An archive of (name, bytes) members in that order, with its symbol index."""
    tmp = path + '.d'
    shutil.rmtree(tmp, ignore_errors=True)
    files = []
    for i, (name, body) in enumerate(members):
        os.makedirs(os.path.join(tmp, str(i)))
        files.append(os.path.join(tmp, str(i), name))
        with open(files[-1], 'wb') as f:
            f.write(body)
    if os.path.exists(path):
        os.remove(path)
    subprocess.run([ar, 'qcs', path] + files, check=True)
    shutil.rmtree(tmp)


# --- the check of the result -------------------------------------------------------------


def map_sections(path):
    """{(object, section name): address} of every input code section a map places; an
    object is named by its file (an archive member by archive file and member), so that maps
    of the plain and the trimmed link compare. Names that occur twice are left out."""
    found, twice = {}, set()
    pending = None
    with open(path, errors='replace') as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith('Linker script and memory'))
    for line in lines[start:]:
        m = re.match(r'^ (\.text[^\s]*)\s*$', line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r'^ (\.[^\s]+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$', line)
        section, pending = (m.group(1) or pending) if m else None, None
        if not m or not section or not section.startswith('.text') or int(m.group(3), 16) == 0:
            continue
        obj = m.group(4).strip()
        member = re.match(r'^(.*)\(([^()]*)\)$', obj)
        obj = (os.path.basename(member.group(1)) + '(' + member.group(2) + ')' if member
               else os.path.basename(obj))
        key = (obj, section)
        if key in found:
            twice.add(key)
        found[key] = int(m.group(2), 16)
    return {k: v for k, v in found.items() if k not in twice}


def uleb(data, pos):
    value = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, pos


def image_fde_starts(path):
    """Start addresses of the functions the unwinder finds records for in a PE image: the
    records from the start of its .eh_frame up to the first terminator, as the run time
    reads them."""
    with open(path, 'rb') as f:
        data = f.read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    nsec, = struct.unpack_from('<H', data, pe + 6)
    opt_size, = struct.unpack_from('<H', data, pe + 20)
    base, = struct.unpack_from('<I', data, pe + 24 + 28)
    for i in range(nsec):
        off = pe + 24 + opt_size + 40 * i
        if data[off:off + 8].startswith(b'.eh_fram'):
            vsize, rva, size, raw = struct.unpack_from('<IIII', data, off + 8)
            break
    else:
        return set()
    frame = data[raw:raw + min(vsize, size)]
    encodings, starts, pos = {}, set(), 0
    while pos + 8 <= len(frame):
        length, cie_id = struct.unpack_from('<II', frame, pos)
        if length == 0:
            break
        body = pos + 8
        if cie_id == 0:
            aug_end = frame.index(b'\0', body + 1)
            aug = frame[body + 1:aug_end].decode('latin-1')
            q = aug_end + 1
            _, q = uleb(frame, q)                      # code alignment
            _, q = uleb(frame, q)                      # data alignment (its sign is no matter)
            q = q + 1 if frame[body] == 1 else uleb(frame, q)[1]
            encoding = 0
            if aug.startswith('z'):
                _, q = uleb(frame, q)
                for letter in aug[1:]:
                    if letter == 'P':
                        q += 1 + 4
                    elif letter == 'L':
                        q += 1
                    elif letter == 'R':
                        encoding = frame[q]
                        q += 1
            encodings[pos] = encoding
        else:
            encoding = encodings[pos + 4 - cie_id]
            value, = struct.unpack_from('<i' if encoding & 0x0F == 0x0B else '<I', frame, body)
            if encoding & 0x70 == 0x10:
                value += base + rva + body
            starts.add(value & 0xFFFFFFFF)
        pos += 4 + length
    return starts


def check(plain_image, plain_map, image, image_map):
    """The functions that had a record in the plain link and are still in the program: those
    that lost theirs (an exception could not pass them)."""
    plain_starts, starts = image_fde_starts(plain_image), image_fde_starts(image)
    plain, trimmed_map = map_sections(plain_map), map_sections(image_map)
    return sorted(f'{obj}: {section}' for (obj, section), address in trimmed_map.items()
                  if plain.get((obj, section)) in plain_starts and address not in starts)


# --- the link ------------------------------------------------------------------------------


def included_members(map_path):
    """{archive path: set of member names} from the map's list of archive members linked."""
    members = collections.defaultdict(set)
    with open(map_path, errors='replace') as f:
        for line in f:
            if line.startswith('Linker script and memory map') or line.startswith('Memory Config'):
                break
            m = re.match(r'^(\S.*)\(([^()]+)\)$', line.rstrip('\n'))
            if m:
                members[m.group(1)].add(m.group(2))
    return members


def removed_sections(stderr):
    """Counter of (file, section name) the linker reported removing, and the other lines."""
    removed, rest = collections.Counter(), []
    for line in stderr.splitlines():
        m = re.search(r"removing unused section '([^']*)' in file '([^']*)'$", line)
        if m:
            removed[(m.group(2), re.sub(r'\[.*\]$', '', m.group(1)))] += 1
        else:
            rest.append(line)
    return removed, rest


class Input:
    """One object that takes part in the link, with its records' targets."""

    def __init__(self, key, data):
        self.key = key          # how the linker names it: 'path' or 'archive(member)'
        self.data = data
        self.obj = None
        try:
            obj = CoffObject(data)
            self.targets = {t for t in fde_targets(obj).values() if t is not None}
            self.obj = obj
        except (ValueError, struct.error):
            self.targets = set()
        names = collections.Counter(s['name'] for s in self.obj.sections) if self.obj else {}
        self.name_count = names

    def bytes_keeping(self, kept):
        """The object with the records of the sections in kept (indices) only."""
        if self.obj is None or not self.targets:
            return self.data
        return trimmed(self.obj, lambda index: index in kept)

    def kept_after(self, removed, linker_name):
        """Indices of record targets the linker kept, given its removal report."""
        kept = set()
        for index in self.targets:
            name = self.obj.sections[index]['name']
            if removed[(linker_name, name)] < self.name_count[name]:
                kept.add(index)
        return kept


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--work', required=True)
    ap.add_argument('--ar', default='ar')
    ap.add_argument('command', nargs=argparse.REMAINDER)
    args = ap.parse_args()
    cmd = args.command[1:] if args.command[:1] == ['--'] else args.command
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)

    out_index = cmd.index('-o') + 1
    output = cmd[out_index]
    map_arg = next((i for i, a in enumerate(cmd) if a.startswith('-Wl,-Map=')), None)
    final_map = cmd[map_arg][len('-Wl,-Map='):] if map_arg is not None else None

    def copy_of(path):
        """Where the trimmed copy of an input named on the command line goes."""
        full = os.path.abspath(path)
        rel = os.path.relpath(full)
        return os.path.join(work, 'inputs', 'root' + full if rel.startswith('..') else rel)

    def link(command, number):
        """Runs one pass into DIR; returns the removal report and the program and map paths.
        The linker's warnings are shown once, from the plain link."""
        out = os.path.join(work, f'pass{number}' + os.path.splitext(output)[1])
        map_path = os.path.join(work, f'pass{number}.map')
        c = list(command)
        c[out_index] = out
        if map_arg is not None:
            c[map_arg] = '-Wl,-Map=' + map_path
        else:
            c.append('-Wl,-Map=' + map_path)
        c.append('-Wl,--print-gc-sections')
        run = subprocess.run(c, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        removed, rest = removed_sections(run.stderr)
        sys.stdout.write(run.stdout)
        if rest and (number == 1 or run.returncode != 0):
            sys.stderr.write('\n'.join(rest) + '\n')
        if run.returncode != 0:
            sys.exit(run.returncode)
        return removed, out, map_path

    # Pass 1: the link as given says which objects and members take part.
    _, first_out, first_map = link(cmd, 1)
    members = included_members(first_map)

    inputs = []          # every Input we may rewrite
    explicit = {}        # argument index -> Input (objects named on the command line)
    archives = {}        # archive path -> (replacement path, [(name, Input or bytes)])
    for i, a in enumerate(cmd):
        if i == out_index or a.startswith('-') or not os.path.isfile(a):
            continue
        if a.endswith(('.o', '.obj')) and os.path.basename(a) not in UNTOUCHED:
            with open(a, 'rb') as f:
                explicit[i] = Input(a, f.read())
            inputs.append(explicit[i])
    seen_names = set()
    for path, names in members.items():
        base = os.path.basename(path)
        on_line = path in cmd
        if not on_line and base in seen_names:
            continue  # two archives of one name on the search path: leave the second alone
        try:
            all_members = archive_members(path)
        except (OSError, ValueError):
            continue
        counts = collections.Counter(n for n, _ in all_members)
        entries = []
        for name, body in all_members:
            if name not in names:
                continue
            if counts[name] == 1:
                entries.append((name, Input(f'{path}({name})', body)))
            else:
                entries.append((name, body))
        if not any(isinstance(item, Input) and item.targets for _, item in entries):
            continue  # no records to trim (import libraries): the linker reads the original
        inputs += [item for _, item in entries if isinstance(item, Input)]
        if on_line:
            replacement = copy_of(path)
        else:
            seen_names.add(base)
            replacement = os.path.join(work, 'lib', base)
        archives[path] = (replacement, entries)

    # The command line of the passes that follow, and how the linker names our copies there.
    command = list(cmd)
    linker_name = {}
    for i, item in explicit.items():
        copy = copy_of(cmd[i])
        command[i] = copy
        linker_name[item.key] = copy
    for path, (replacement, entries) in archives.items():
        command = [replacement if a == path else a for a in command]
        for name, item in entries:
            if isinstance(item, Input):
                linker_name[item.key] = f'{replacement}({name})'
    # GNU ld searches every -L folder for every -l, in the order given, before the compiler's own.
    command.append('-L' + os.path.join(work, 'lib'))

    def write_inputs(kept):
        for i, item in explicit.items():
            path = linker_name[item.key]
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'wb') as f:
                f.write(item.bytes_keeping(kept.get(item.key, set())))
        for path, (replacement, entries) in archives.items():
            os.makedirs(os.path.dirname(replacement), exist_ok=True)
            bodies = [(name, item.bytes_keeping(kept.get(item.key, set()))
                       if isinstance(item, Input) else item) for name, item in entries]
            write_archive(replacement, bodies, args.ar)

    def kept_by(removed):
        return {item.key: item.kept_after(removed, linker_name[item.key]) for item in inputs
                if item.targets}

    def run_pass(kept, number):
        write_inputs(kept)
        return link(command, number)

    # Pass 2: no records at all; what the code reaches by itself.
    removed, _, _ = run_pass({}, 2)
    kept = kept_by(removed)
    number = 3
    while True:
        removed, out, out_map = run_pass(kept, number)
        now = kept_by(removed)
        missing = {key: now[key] - kept.get(key, set()) for key in now}
        missing = {key: value for key, value in missing.items() if value}
        if not missing:
            break
        for key, value in missing.items():
            kept.setdefault(key, set()).update(value)
        number += 1
        if number > 12:
            sys.exit('trim_unwind_link.py: the passes do not settle')
    lost = check(first_out, first_map, out, out_map)
    if lost:
        sys.exit('trim_unwind_link.py: functions kept without their unwind records:\n  ' +
                 '\n  '.join(lost[:20]))
    shutil.copyfile(out, output)
    shutil.copymode(out, output)
    if final_map:
        shutil.copyfile(out_map, final_map)
    dropped = sum(len(item.targets) - len(kept.get(item.key, ())) for item in inputs)
    print(f'{os.path.basename(output)}: unwind records of {dropped} unused functions left out '
          f'({number - 2} passes after the first two)')


if __name__ == '__main__':
    main()
