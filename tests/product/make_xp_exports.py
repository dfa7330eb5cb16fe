#!/usr/bin/env python3
"""Makes xp_exports.txt: what 32-bit Windows XP SP3 exports from each system DLL our programs
import, the data check_xp_imports.py judges every import by.

    make_xp_exports.py SOURCES > xp_exports.txt

Sources, both public and machine-readable, both marking the Windows version of each export:

1. The export tables of an NT 5.x-compatible system's sources, ReactOS (github.com/reactos/
   reactos): one export definition file per DLL, listed in DLLS below. Their lines read
   `<ordinal> <type> [-flags] <name>(<args>) [<forward>]`; `-version=0x600+` marks an export
   that came with Vista (0x600), `-version=0x501-0x502` one that exists from XP to Server 2003
   only, `-arch=`/`-i386` one that exists on some processors only, `-noname` one exported by
   ordinal only, and a comment "missing in XP SP3" one that Server 2003 has and XP lacks. An
   export is kept when its version range holds 0x501 (XP) and its processors hold i386.
2. ReactOS builds for Server 2003 (NT 5.2), so its unmarked exports include those that came
   with 5.2. These are taken away with the tables of "Exports Added For <DLL> 5.2" of Geoff
   Chappell's study of the Windows DLLs (geoffchappell.com, studies/windows/win32/<dll>/
   history/names52.htm), where they exist (kernel32, advapi32; ADDED_IN_5_2 below). A
   function listed there that a later XP service pack took over is refused as well: the check
   errs on the side of refusing.

SOURCES is a folder holding each DLL's export definition file (named after the DLL, as in its tree)
and <dll>.names52.htm (or a plain list of names, one a line, <dll>.names52) where ADDED_IN_5_2 names it. The data of the committed
xp_exports.txt came from reactos/reactos as stored on 2026-12-10 (the files' folders are in
DLLS) and the two history pages of the same day, copied reduced to the columns read here
(ordinal, flags, name, the "missing in XP SP3" comment) and without the lines for other
processors; the script reads the full files alike.

Ordinals are kept only where they are the DLL's interface (ORDINALS_ARE_INTERFACE): elsewhere
the numbers in the definition files are ReactOS' own, and an import by ordinal from such a DLL is
refused."""
import os
import re
import sys

# DLL -> the folder of its export definition file in the ReactOS tree (the file bears the DLL's
# name with the tree's own extension; the files are read from one folder, named so).
DLLS = {
    "advapi32.dll": "dll/win32/advapi32",
    "gdi32.dll": "win32ss/gdi/gdi32",
    "kernel32.dll": "dll/win32/kernel32",
    "mpr.dll": "dll/win32/mpr",
    "msimg32.dll": "dll/win32/msimg32",
    "msvcrt.dll": "dll/win32/msvcrt",
    "ole32.dll": "dll/win32/ole32",
    "oleaut32.dll": "dll/win32/oleaut32",
    "shell32.dll": "dll/win32/shell32",
    "user32.dll": "win32ss/user/user32",
}
ADDED_IN_5_2 = {"kernel32.dll", "advapi32.dll"}
ORDINALS_ARE_INTERFACE = {"mpr.dll", "oleaut32.dll", "shell32.dll"}
XP = 0x501
CALL_TYPES = {"stdcall", "cdecl", "varargs", "fastcall", "thiscall", "stub", "extern", "equate"}


def version_holds(text, version):
    """True when a -version= range ("0x600+", "0x501-0x502", "0x502") holds version."""
    if text.endswith("+"):
        return version >= int(text[:-1], 16)
    low, _, high = text.partition("-")
    return int(low, 16) <= version <= int(high or low, 16)


def arch_holds(text):
    """True when an -arch= list ("i386", "x86_64,arm", "!x86_64") takes in 32-bit x86."""
    items = text.split(",")
    if all(item.startswith("!") for item in items):
        return "!i386" not in items and "!win32" not in items
    return any(item in ("i386", "win32") for item in items)


def read_definitions(path):
    """[(ordinal or None, name or None, kept)] of a definition file, kept meaning "on 32-bit XP"."""
    entries = []
    for line in open(path, encoding="utf-8"):
        mark = re.search(r"[#;]", line)
        text, comment = (line[:mark.start()], line[mark.start():]) if mark else (line, "")
        tokens = text.split()
        if not tokens:
            continue
        ordinal = None
        if tokens[0] == "@" or tokens[0].isdigit():
            ordinal = None if tokens[0] == "@" else int(tokens[0])
            tokens = tokens[1:]
        if tokens and tokens[0] in CALL_TYPES:
            tokens = tokens[1:]
        kept, noname = True, False  # -i386 (x86 only), -stub, -private: exported on XP
        while tokens and tokens[0].startswith("-"):
            flag = tokens.pop(0)
            if flag.startswith("-version="):
                kept &= version_holds(flag[9:], XP)
            elif flag.startswith("-arch="):
                kept &= arch_holds(flag[6:])
            elif flag == "-noname":
                noname = True
        if not tokens:
            continue
        name = tokens[0].split("(")[0]
        if "missing in XP SP3" in comment:
            kept = False
        entries.append((ordinal, None if noname or name == "@" else name, kept))
    return entries


def read_added_in_5_2(folder, dll):
    """The names of the 5.2 history page (or of a plain list copied from it)."""
    base = os.path.join(folder, dll.replace(".dll", "") + ".names52")
    if os.path.exists(base + ".htm"):
        page = open(base + ".htm", encoding="utf-8").read()
        return set(re.findall(r'<tr>\s*<td><span class="[^"]*function">(\w+)</span>', page))
    return {line.strip() for line in open(base, encoding="utf-8") if line.strip()}


def wrapped(words, prefix=""):
    """Lines of at most 100 columns holding words in order."""
    lines, line = [], prefix
    for word in words:
        if len(line) + len(word) + 1 > 100 and line.strip():
            lines.append(line.rstrip())
            line = prefix
        line += word + " "
    if line.strip():
        lines.append(line.rstrip())
    return lines


def definition_file(folder, dll):
    """The export definition file of `dll` in `folder`: the one whose name is the DLL's without
    its extension, with the tree's own extension (not a history page's)."""
    stem = dll[:-len(".dll")]
    for name in sorted(os.listdir(folder)):
        base, ext = os.path.splitext(name)
        if base == stem and ext and not ext.startswith(".names"):
            return os.path.join(folder, name)
    sys.exit(f"no export definition file for {dll} in {folder}")


def main():
    folder = sys.argv[1]
    out = ["# What 32-bit Windows XP SP3 exports, one section per DLL: names, then the ordinals",
           "# that are the DLL's interface. Made by make_xp_exports.py (sources and method",
           "# there); do not edit by hand."]
    for dll in sorted(DLLS):
        entries = read_definitions(definition_file(folder, dll))
        later = read_added_in_5_2(folder, dll) if dll in ADDED_IN_5_2 else set()
        names = sorted({n for _, n, kept in entries if kept and n and n not in later})
        ordinals = sorted({o for o, n, kept in entries
                           if kept and o is not None and n not in later}) \
            if dll in ORDINALS_ARE_INTERFACE else []
        out.append(f"[{dll}]")
        out += wrapped(names)
        out += wrapped([str(o) for o in ordinals], "ordinals: ")
    print("\n".join(out))


if __name__ == "__main__":
    main()
