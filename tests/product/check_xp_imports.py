#!/usr/bin/env python3
"""Fails when a Windows program imports a function that Windows XP SP3 lacks.

    check_xp_imports.py --compiler i686-w64-mingw32-g++-posix FILE...

XP's loader refuses a program with an unresolved import before any of its code runs, so one
such import keeps the whole program from starting. The system DLLs' functions are judged by the
Windows headers themselves: a probe that names every imported function is compiled with the
headers set to XP (_WIN32_WINNT=0x0501), so their own version guards hide whatever came later.
The C runtime (msvcrt.dll) is not declared by those headers; its imports are judged by the list
below of what XP's msvcrt.dll lacks. A function the headers do not declare at all must be named
in KNOWN_ON_XP (with where XP has it), so nothing unknown passes unseen."""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile

# Headers that declare the functions of the DLLs our programs may import.
HEADERS = ["windows.h", "shellapi.h", "shlobj.h", "winnetwk.h", "ddeml.h", "commctrl.h",
           "commdlg.h", "objbase.h", "mmsystem.h", "shlwapi.h", "winver.h", "uxtheme.h",
           "tlhelp32.h"]
LIBRARIES_JUDGED_BY_HEADERS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msimg32.dll", "shlwapi.dll", "version.dll",
    "winmm.dll", "uxtheme.dll", "mpr.dll",
}
# Imports the headers leave undeclared (or declare only as macros) that XP SP3 does have.
KNOWN_ON_XP = {
    # kernel32.dll: declared only inside the interlocked intrinsics' macros on x86.
    "InterlockedIncrement", "InterlockedDecrement", "InterlockedExchange",
    "InterlockedCompareExchange", "InterlockedExchangeAdd",
}
# msvcrt.dll functions that came after XP's msvcrt.dll: the secure-CRT family (names ending
# in "_s") and the 64-bit time and size functions added with Vista.
CRT_AFTER_XP = re.compile(r"(_s$|^_(gmtime|localtime|mktime|time|ctime|difftime)32|"
                          r"^_(aligned_msize|wcsnicmp_l|strtoi64_l|create_locale|free_locale)$|"
                          r"^__p___argc$|^_get_(errno|doserrno|fmode|pgmptr|wpgmptr)$)")


def read_imports(path):
    """{dll name (lower case): [function names]} of a PE32 or PE32+ file; ordinals as '#n'."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path}: no PE signature")
    sections, opt_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
    import_rva = struct.unpack_from("<I", data, opt + (112 if plus else 96) + 8)[0]
    table = opt + opt_size
    section_list = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for _, vsize, vaddr, rsize, raw in section_list:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise ValueError(f"{path}: RVA 0x{rva:x} outside every section")

    def text(at):
        return data[at:data.index(b"\0", at)].decode("ascii")

    imports = {}
    if not import_rva:
        return imports
    at = offset(import_rva)
    while True:
        lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", data, at)
        if not any((lookup, name_rva, thunks)):
            break
        names = imports.setdefault(text(offset(name_rva)).lower(), [])
        entry = offset(lookup or thunks)
        size, flag = (8, 1 << 63) if plus else (4, 1 << 31)
        while True:
            value = struct.unpack_from("<Q" if plus else "<I", data, entry)[0]
            if not value:
                break
            names.append(f"#{value & 0xFFFF}" if value & flag else text(offset(value & 0x7FFFFFFF) + 2))
            entry += size
        at += 20
    return imports


def undeclared_on_xp(compiler, names):
    """The names the Windows headers, set to XP, do not declare."""
    with tempfile.TemporaryDirectory() as folder:
        probe = os.path.join(folder, "probe.cpp")
        with open(probe, "w") as out:
            out.write("#define _WIN32_WINNT 0x0501\n#define WINVER 0x0501\n#define _WIN32_IE 0x0600\n")
            out.write("#define NTDDI_VERSION 0x05010300\n")
            out.writelines(f"#include <{h}>\n" for h in HEADERS)
            out.write("void Probe() {\n")
            out.writelines(f"  (void)&::{n};\n" for n in names)
            out.write("}\n")
        run = subprocess.run([compiler, "-fsyntax-only", "-fmax-errors=0", "-w", probe],
                             capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"))
        missing = set(re.findall(r"'::(\w+)' has not been declared", run.stderr))
        missing |= set(re.findall(r"'(\w+)' (?:was not declared|has not been declared)", run.stderr))
        if run.returncode != 0 and not missing:
            raise RuntimeError("the probe did not compile:\n" + run.stderr[-2000:])
        return missing & set(names)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--compiler", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    failed = False
    for path in args.files:
        imports = read_imports(path)
        judged = sorted({n for dll, names in imports.items() if dll in LIBRARIES_JUDGED_BY_HEADERS
                         for n in names if not n.startswith("#")} - KNOWN_ON_XP)
        missing = undeclared_on_xp(args.compiler, judged) if judged else set()
        bad = [f"{n} ({dll})" for dll, names in imports.items() if dll in LIBRARIES_JUDGED_BY_HEADERS
               for n in sorted(missing & set(names))]
        bad += [f"{n} (msvcrt.dll)" for n in imports.get("msvcrt.dll", []) if CRT_AFTER_XP.search(n)]
        unknown = sorted(set(imports) - LIBRARIES_JUDGED_BY_HEADERS - {"msvcrt.dll"})
        name = os.path.basename(path)
        if bad:
            failed = True
            print(f"{name}: imports what Windows XP SP3 lacks: {', '.join(bad)}")
        elif unknown:
            print(f"{name}: XP check: functions of {', '.join(unknown)} not judged (not a system DLL)")
        else:
            count = sum(len(v) for v in imports.values())
            print(f"{name}: all {count} imports exist on Windows XP SP3")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
