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

Last, the program's .eh_frame keeps each common record (CIE) once: every object, and every
inline function's own section, brings its copy, and the records of the functions point at the
first copy instead (the pointers the unwinder follows are recomputed and compared with the
originals). The map still shows every copy.

Before it is written out, every function kept is checked to have the record it had in the
plain link of pass 1. The copies live in DIR; the program, its map and its import library are written where the
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


# --- common records shared in the image --------------------------------------------------


def read_frame_records(frame, address):
    """The records of an image's .eh_frame (at address), up to its terminator, decoded:
    [(offset, length, kind, fields)] where every pointer the unwinder follows is given as the
    address it points at: a common record (kind 'cie') with its personality routine, a
    function's record (kind 'fde') with its common record's offset, its start and its
    language-specific data. Only the encodings the compiler uses here are read (pc-relative
    4-byte, or absolute); others raise."""
    records, cies, pos = [], {}, 0

    def pointer(encoding, at):
        value, = struct.unpack_from('<i' if encoding & 0x0F == 0x0B else '<I', frame, at)
        if encoding & 0x70 == 0x10:
            value += address + at
        elif encoding & 0x70 != 0 or encoding & 0x0F not in (0x00, 0x03, 0x0B):
            raise ValueError(f'pointer encoding {encoding:#x}')
        return value & 0xFFFFFFFF

    while pos + 8 <= len(frame):
        length, cie_id = struct.unpack_from('<II', frame, pos)
        if length == 0:
            break
        body = pos + 8
        if cie_id == 0:
            aug_end = frame.index(b'\0', body + 1)
            aug = frame[body + 1:aug_end].decode('latin-1')
            q = uleb(frame, uleb(frame, aug_end + 1)[1])[1]
            q = q + 1 if frame[body] == 1 else uleb(frame, q)[1]
            info = {'aug': aug, 'fde': 0, 'lsda': None, 'personality': None}
            if aug.startswith('z'):
                _, q = uleb(frame, q)
                for letter in aug[1:]:
                    if letter == 'P':
                        info['personality'] = (q + 1, frame[q] & 0x7F)
                        info['personality_at'] = pointer(frame[q] & 0x7F, q + 1)
                        q += 5
                    elif letter == 'L':
                        info['lsda'] = frame[q]
                        q += 1
                    elif letter == 'R':
                        info['fde'] = frame[q]
                        q += 1
                    else:
                        raise ValueError(f'augmentation {aug}')
            elif aug:
                raise ValueError(f'augmentation {aug}')
            cies[pos] = info
            records.append((pos, 4 + length, 'cie', info))
        else:
            cie = cies[pos + 4 - cie_id]
            fields = {'cie': pos + 4 - cie_id, 'start': pointer(cie['fde'], body),
                      'lsda_field': None}
            if cie['aug'].startswith('z'):
                _, q = uleb(frame, body + 8)
                if cie['lsda'] is not None and cie['lsda'] != 0xFF:
                    fields['lsda_field'] = q
                    fields['lsda'] = pointer(cie['lsda'], q)
            records.append((pos, 4 + length, 'fde', fields))
        pos += 4 + length
    return records


def frame_meaning(frame, address):
    """What the unwinder reads from the records, independent of where they lie: for each
    function's record its start, its bytes apart from the pointers, its data's address, and
    the same of its common record."""
    records = read_frame_records(frame, address)
    by_offset = {r[0]: r for r in records}
    meaning = []
    for pos, length, kind, f in records:
        if kind != 'fde':
            continue
        cpos, clen, _, c = by_offset[f['cie']]
        cie = bytearray(frame[cpos:cpos + clen])
        if c['personality']:
            cie[c['personality'][0] - cpos:c['personality'][0] - cpos + 4] = b'\0\0\0\0'
        fde = bytearray(frame[pos:pos + length])
        fde[4:12] = bytes(8)
        if f['lsda_field'] is not None:
            fde[f['lsda_field'] - pos:f['lsda_field'] - pos + 4] = b'\0\0\0\0'
        meaning.append((f['start'], bytes(fde), f.get('lsda'), bytes(cie),
                        c.get('personality_at')))
    return sorted(meaning)


def share_common_records(frame, address):
    """The records with each common record kept once: the functions' records point at the
    first copy, their pc-relative pointers recomputed where they now lie. Ends with the
    terminator."""
    records = read_frame_records(frame, address)
    common = {pos: f for pos, _, kind, f in records if kind == 'cie'}
    out = bytearray()
    placed = {}   # old offset of a common record -> new offset
    first = {}    # meaning of a common record -> new offset

    def repoint(record, field, old_base, target):
        struct.pack_into('<i', record, field, (target - (address + old_base + field) + 2**31)
                         % 2**32 - 2**31)

    for pos, length, kind, f in records:
        record = bytearray(frame[pos:pos + length])
        new = len(out)
        if kind == 'cie':
            key = bytearray(record)
            if f['personality']:
                key[f['personality'][0] - pos:f['personality'][0] - pos + 4] = b'\0\0\0\0'
            key = (bytes(key), f.get('personality_at'))
            if key in first:
                placed[pos] = first[key]
                continue
            first[key] = placed[pos] = new
            if f['personality'] and f['personality'][1] & 0x70 == 0x10:
                repoint(record, f['personality'][0] - pos, new, f['personality_at'])
        else:
            struct.pack_into('<I', record, 4, new + 4 - placed[f['cie']])
            cie = common[f['cie']]
            if cie['fde'] & 0x70 == 0x10:
                repoint(record, 8, new, f['start'])
            if f['lsda_field'] is not None and cie['lsda'] & 0x70 == 0x10:
                repoint(record, f['lsda_field'] - pos, new, f['lsda'])
        out += record
    return bytes(out) + bytes(4)


def pe_checksum(data, field):
    """The PE header's checksum of an image, its own field counted as zero."""
    total = 0
    padded = data + b'\0' * (len(data) & 1)
    for i, (word,) in enumerate(struct.iter_unpack('<H', padded)):
        if i * 2 in (field, field + 2):
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16)) + len(data)


def compact_image_frames(path):
    """Rewrites a PE image so that its .eh_frame holds each common record once; the sections
    after it move down in the file by what that saves, their addresses in memory stay.
    Returns the bytes saved in the file; raises when the records do not mean the same after."""
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    nsec, = struct.unpack_from('<H', data, pe + 6)
    opt_size, = struct.unpack_from('<H', data, pe + 20)
    opt = pe + 24
    base, = struct.unpack_from('<I', data, opt + 28)
    file_align, = struct.unpack_from('<I', data, opt + 36)
    headers = [opt + opt_size + 40 * i for i in range(nsec)]
    frame_header = next((h for h in headers if data[h:h + 8].startswith(b'.eh_fram')), None)
    if frame_header is None:
        return 0
    vsize, rva, size, raw = struct.unpack_from('<IIII', data, frame_header + 8)
    frame = bytes(data[raw:raw + min(vsize, size)])
    shared = share_common_records(frame, base + rva)
    if frame_meaning(shared, base + rva) != frame_meaning(frame, base + rva):
        raise ValueError('the shared records differ from the originals')
    new_size = -(-len(shared) // file_align) * file_align
    saved = size - new_size
    if saved <= 0:
        return 0
    if any(struct.unpack_from('<I', data, h + 20)[0] > raw and
           struct.unpack_from('<I', data, h + 20)[0] < raw + size for h in headers):
        raise ValueError('a section lies inside .eh_frame in the file')
    last_end = max(sum(struct.unpack_from('<II', data, h + 16)) for h in headers)
    if last_end != len(data):
        raise ValueError('data after the last section')
    body = shared + bytes(new_size - len(shared))
    data[raw:raw + size] = body
    struct.pack_into('<III', data, frame_header + 8, len(shared), rva, new_size)
    for h in headers:
        pointer, = struct.unpack_from('<I', data, h + 20)
        if pointer > raw:
            struct.pack_into('<I', data, h + 20, pointer - saved)
    initialized, = struct.unpack_from('<I', data, opt + 8)
    struct.pack_into('<I', data, opt + 8, initialized - saved)
    struct.pack_into('<I', data, opt + 64, pe_checksum(bytes(data), opt + 64))
    with open(path, 'wb') as f:
        f.write(data)
    return saved


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


def image_frame(data):
    """(the bytes of a PE image's .eh_frame, its address); (b'', 0) when it has none."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    nsec, = struct.unpack_from('<H', data, pe + 6)
    opt_size, = struct.unpack_from('<H', data, pe + 20)
    base, = struct.unpack_from('<I', data, pe + 24 + 28)
    for i in range(nsec):
        off = pe + 24 + opt_size + 40 * i
        if data[off:off + 8].startswith(b'.eh_fram'):
            vsize, rva, size, raw = struct.unpack_from('<IIII', data, off + 8)
            return bytes(data[raw:raw + min(vsize, size)]), base + rva
    return b'', 0


def image_fde_starts(path):
    """Start addresses of the functions the unwinder finds records for in a PE image: the
    records from the start of its .eh_frame up to the first terminator, as the run time
    reads them."""
    with open(path, 'rb') as f:
        frame, address = image_frame(f.read())
    return {f['start'] for _, _, kind, f in read_frame_records(frame, address) if kind == 'fde'}


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
    saved = compact_image_frames(out)
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
          f'({number - 2} passes after the first two); common records shared: {saved} bytes less '
          f'(the map shows them before)')


if __name__ == '__main__':
    main()
