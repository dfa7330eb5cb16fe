#!/usr/bin/env python3
"""Fails when a Windows program imports what 32-bit Windows XP SP3 does not export.

    check_xp_imports.py FILE...

XP's loader refuses a program with an unresolved import before any of its code runs, and a
delay-loaded one fails at its first call, so one such import keeps the program from working.
Every import is judged, by name or by ordinal, from the import table and from the delay-load
table, against xp_exports.txt beside this script: what XP SP3 exports from each DLL, made by
make_xp_exports.py from export tables that mark the Windows version of each export (never from
the Windows headers, whose version guards let later functions through). An import from a DLL
the list does not know fails too: add the DLL to make_xp_exports.py first. Exit status 1 when
any file fails."""
import os
import struct
import sys

EXPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp_exports.txt")


def read_exports(path=EXPORTS):
    """{dll (lower case): (set of names, set of ordinals)} from xp_exports.txt."""
    exports, names, ordinals = {}, None, None
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            names, ordinals = set(), set()
            exports[line[1:-1].lower()] = (names, ordinals)
        elif line.startswith("ordinals:"):
            ordinals.update(int(n) for n in line.split()[1:])
        else:
            names.update(line.split())
    return exports


def read_imports(path):
    """[(dll (lower case), name or ordinal, delay-loaded)] of a PE32 or PE32+ file."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path}: no PE signature")
    sections, opt_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
    image_base = struct.unpack_from("<Q" if plus else "<I", data, opt + (24 if plus else 28))[0]
    directories = opt + (112 if plus else 96)
    import_rva = struct.unpack_from("<I", data, directories + 8 * 1)[0]
    delay_rva = struct.unpack_from("<I", data, directories + 8 * 13)[0]
    table = opt + opt_size
    section_list = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for _, vsize, vaddr, rsize, raw in section_list:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise ValueError(f"{path}: RVA 0x{rva:x} outside every section")

    def text(at):
        return data[at:data.index(b"\0", at)].decode("ascii")

    def thunks(rva, bias=0):
        size, flag = (8, 1 << 63) if plus else (4, 1 << 31)
        at, found = offset(rva), []
        while True:
            value = struct.unpack_from("<Q" if plus else "<I", data, at)[0]
            if not value:
                return found
            if value & flag:
                found.append(value & 0xFFFF)
            else:
                found.append(text(offset((value & 0x7FFFFFFF) - bias) + 2))
            at += size

    def delay_shaped(at):
        """True when the 32 bytes at `at` read as a delay-load descriptor holding RVAs: a DLL's
        name, and a name table whose first entry is an ordinal or an RVA of a hint and name."""
        try:
            _, name_rva, module_rva, iat_rva, names_rva = struct.unpack_from("<IIIII", data, at)
            name = text(offset(name_rva))
            offset(module_rva), offset(iat_rva)
            first = struct.unpack_from("<Q" if plus else "<I", data, offset(names_rva))[0]
            if not name.lower().endswith(".dll") or not first:
                return False
            return bool(first >> (63 if plus else 31)) or bool(text(offset(first) + 2))
        except (ValueError, UnicodeDecodeError, struct.error):
            return False

    imports = []
    if import_rva:
        at = offset(import_rva)
        while True:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", data, at)
            if not any((lookup, name_rva, first_thunk)):
                break
            dll = text(offset(name_rva)).lower()
            imports += [(dll, item, False) for item in thunks(lookup or first_thunk)]
            at += 20
    # The delay-load descriptors: those the directory entry lists, and those found by their
    # shape, as GNU ld leaves the entry empty for the delay-load libraries of dlltool.
    descriptors = []
    if delay_rva:
        at = offset(delay_rva)
        while struct.unpack_from("<I", data, at + 4)[0]:
            descriptors.append(at)
            at += 32
    for _, vsize, vaddr, rsize, raw in section_list:
        at = data.find(b"\1\0\0\0", raw, raw + rsize)
        while at != -1:
            if (at - raw) % 4 == 0 and at not in descriptors and delay_shaped(at):
                descriptors.append(at)
            at = data.find(b"\1\0\0\0", at + 1, raw + rsize)
    for at in descriptors:
        attributes, name_rva, _, _, names_rva = struct.unpack_from("<IIIII", data, at)
        bias = 0 if attributes & 1 else image_base  # an old-style table holds addresses
        dll = text(offset(name_rva - bias)).lower()
        imports += [(dll, item, True) for item in thunks(names_rva - bias, bias)]
    return imports


def judge(imports, exports):
    """(what XP lacks, DLLs the list does not know), each as sorted report texts."""
    lacking, unknown = set(), set()
    for dll, item, delayed in imports:
        if dll not in exports:
            unknown.add(dll)
            continue
        names, ordinals = exports[dll]
        if item in (ordinals if isinstance(item, int) else names):
            continue
        what = f"ordinal {item}" if isinstance(item, int) else item
        lacking.add(f"{what} ({dll}{', delay-loaded' if delayed else ''})")
    return sorted(lacking), sorted(unknown)


def main():
    exports = read_exports()
    failed = False
    for path in sys.argv[1:]:
        imports = read_imports(path)
        lacking, unknown = judge(imports, exports)
        name = os.path.basename(path)
        if lacking:
            print(f"{name}: imports what Windows XP SP3 lacks: {', '.join(lacking)}")
        if unknown:
            print(f"{name}: imports from {', '.join(unknown)}, which the XP export list does not"
                  " know (add to make_xp_exports.py)")
        if not lacking and not unknown:
            print(f"{name}: all {len(imports)} imports exist on Windows XP SP3")
        failed |= bool(lacking or unknown)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
