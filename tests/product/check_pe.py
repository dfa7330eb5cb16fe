#!/usr/bin/env python3
"""Checks a built Windows program: PE32 for i386, the GUI subsystem, operating system and
subsystem versions XP accepts (at most 5.1), address space layout randomisation on and no
opt-in to data execution prevention (the program hosts the database engine's and the upgrade
library's old code, which the user could not exempt), imports only from DLLs that Windows
itself ships, and (with --max-bytes) its size."""
import argparse
import struct
import sys

from check_xp_imports import read_imports

# DLLs present on every Windows from XP SP3 on.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "msimg32.dll", "shlwapi.dll",
    "version.dll", "winmm.dll", "uxtheme.dll", "mpr.dll",
}


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def group_icon_sizes(data, pe, opt):
    """The (width, bits per pixel) of the images of the first icon group, read off the resource
    directory; empty when there is none."""
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    table = opt + struct.unpack_from("<H", data, pe + 20)[0]

    def offset(rva):
        for i in range(sections):
            va, raw_size, raw = struct.unpack_from("<III", data, table + 40 * i + 12)
            if va <= rva < va + max(raw_size, 1):
                return raw + rva - va
        raise ValueError(f"RVA 0x{rva:x} outside every section")

    rsrc_rva = struct.unpack_from("<I", data, opt + 96 + 8 * 2)[0]
    if not rsrc_rva:
        return []
    base = offset(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            yield name, target

    for name, target in entries(0):
        if name == 14 and target & 0x80000000:  # the icon groups
            _, inner = next(entries(target & 0x7FFFFFFF))
            _, leaf = next(entries(inner & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", data, base + leaf)
            group = offset(rva)
            count = struct.unpack_from("<H", data, group + 4)[0]
            return [(data[group + 6 + 14 * i] or 256,
                     struct.unpack_from("<H", data, group + 6 + 14 * i + 6)[0])
                    for i in range(count)]
    return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--max-bytes", type=int, default=0)
    args = parser.parse_args()
    try:
        data = open(args.exe, "rb").read()
    except OSError as error:
        fail(f"cannot read {args.exe}: {error}")
    if args.max_bytes and len(data) > args.max_bytes:
        fail(f"{len(data)} bytes, over {args.max_bytes}")
    if data[:2] != b"MZ":
        fail("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    if machine != 0x14C:
        fail(f"machine 0x{machine:x}, not i386")
    opt = pe + 24
    if struct.unpack_from("<H", data, opt)[0] != 0x10B:
        fail("not PE32")
    subsystem = struct.unpack_from("<H", data, opt + 68)[0]
    if subsystem != 2:
        fail(f"subsystem {subsystem}, not GUI")
    os_version = struct.unpack_from("<HH", data, opt + 40)
    subsystem_version = struct.unpack_from("<HH", data, opt + 48)
    for what, version in (("operating system", os_version), ("subsystem", subsystem_version)):
        if version > (5, 1):
            fail(f"{what} version {version[0]}.{version[1]}: Windows XP refuses more than 5.1")
    characteristics = struct.unpack_from("<H", data, opt + 70)[0]
    if characteristics & 0x0100:
        fail("marked NX_COMPAT: Windows would force data execution prevention on it")
    if not characteristics & 0x0040:
        fail("not marked DYNAMIC_BASE: address space layout randomisation is off")
    # The version resource Explorer shows: the product's name and version, in Romanian.
    for key, value in (("ProductName", "KOLVAR"), ("ProductVersion", "3200879.02"),
                       ("FileDescription", "Instalarea si actualizarea programului KOLVAR")):
        text = key.encode("utf-16-le") + b"\0\0"
        at = data.find(text)
        if at < 0:
            fail(f"no version resource value {key}")
        start = at + len(text)
        start += (4 - start % 4) % 4  # values are aligned to 32 bits
        if not data[start:].startswith((value + "\0").encode("utf-16-le")):
            fail(f"version resource {key} is not {value!r}")
    # The icon Explorer shows: 16, 32 and 48 pixels in 256 colours, the small one in true colour too.
    icons = group_icon_sizes(data, pe, opt)
    for wanted in ((16, 8), (32, 8), (48, 8), (16, 32)):
        if wanted not in icons:
            fail(f"no {wanted[0]}-pixel {wanted[1]}-bit image in the icon (has {icons})")
    try:
        names = sorted({dll for dll, _, _ in read_imports(args.exe)})
    except ValueError as error:
        fail(str(error))
    foreign = [n for n in names if n not in SYSTEM_DLLS]
    if foreign:
        fail(f"imports from {', '.join(foreign)}")
    print(f"OK: {args.exe}: PE32 i386 GUI {subsystem_version[0]}.{subsystem_version[1]}, "
          f"DYNAMIC_BASE without NX_COMPAT, icon {len(icons)} images, {len(data)} bytes, imports {', '.join(sorted(names))}")


if __name__ == "__main__":
    main()
