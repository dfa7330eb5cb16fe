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
    try:
        names = sorted({dll for dll, _, _ in read_imports(args.exe)})
    except ValueError as error:
        fail(str(error))
    foreign = [n for n in names if n not in SYSTEM_DLLS]
    if foreign:
        fail(f"imports from {', '.join(foreign)}")
    print(f"OK: {args.exe}: PE32 i386 GUI {subsystem_version[0]}.{subsystem_version[1]}, "
          f"DYNAMIC_BASE without NX_COMPAT, {len(data)} bytes, imports {', '.join(sorted(names))}")


if __name__ == "__main__":
    main()
