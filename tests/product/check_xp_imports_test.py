#!/usr/bin/env python3
"""The XP import check refuses what 32-bit XP SP3 lacks and names it, by name, by ordinal and
through the delay-load table, fails on a DLL its list does not know, and passes what XP has.
    check_xp_imports_test.py COMPILER

The probes import through import libraries made here with dlltool from .def files, so what
they import does not depend on which functions the Windows headers declare."""
import os
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
compiler = sys.argv[1]
dlltool = os.path.join(os.path.dirname(compiler),
                       os.path.basename(compiler).split("-g++")[0].split("-gcc")[0] + "-dlltool")

# Functions the headers declare at _WIN32_WINNT=0x0501 or that came with Server 2003 or later;
# none is exported by 32-bit XP SP3.
AFTER_XP = {
    "kernel32.dll": ["GetThreadId", "GetCurrentProcessorNumber", "ReOpenFile",
                     "Wow64DisableWow64FsRedirection", "SetThreadErrorMode",
                     "GetSystemTimePreciseAsFileTime", "AddDllDirectory",
                     "SetDefaultDllDirectories", "GetOverlappedResultEx"],
    "advapi32.dll": ["RegGetValueW", "RegDeleteKeyExW"],
}


def probe(folder, name, libraries, calls):
    """Builds <name>.exe calling `calls`, linked against import libraries made from
    `libraries`: [(dll, [(export, ordinal or None)], delay-loaded)]."""
    flags = []
    for index, (dll, exports, delayed) in enumerate(libraries):
        lines = [f"LIBRARY {dll}", "EXPORTS"]
        lines += [f"{e}@0" + (f" @{o} NONAME" if o else "") for e, o in exports]
        definition = os.path.join(folder, f"{name}{index}.def")
        library = os.path.join(folder, f"lib{name}{index}.a")
        open(definition, "w").write("\n".join(lines) + "\n")
        subprocess.run([dlltool, "-k", "-d", definition, "-y" if delayed else "-l", library],
                       check=True)
        flags.append(library)
    source = os.path.join(folder, f"{name}.cpp")
    with open(source, "w") as out:
        out.writelines(f'extern "C" __declspec(dllimport) int __stdcall {c}(void);\n'
                       for c in calls)
        out.write("int main() { return 0")
        out.writelines(f" + {c}()" for c in calls)
        out.write("; }\n")
    exe = os.path.join(folder, f"{name}.exe")
    subprocess.run([compiler, "-O1", "-static", source, "-o", exe] + flags, check=True)
    return exe


def check(exe):
    run = subprocess.run([sys.executable, os.path.join(here, "check_xp_imports.py"), exe],
                         capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr


failures = 0


def expect(case, exe, fails, present=(), absent=()):
    global failures
    status, report = check(exe)
    wrong = [t for t in present if t not in report] + [t for t in absent if t in report]
    if (status != 0) != fails or wrong:
        failures += 1
        print(f"{case}: status {status}, expected {'failure' if fails else 'success'};"
              f" wrong about {wrong}; report: {report}")


with tempfile.TemporaryDirectory() as folder:
    libraries = [(dll, [(f, None) for f in names], False) for dll, names in AFTER_XP.items()]
    calls = [f for names in AFTER_XP.values() for f in names]
    exe = probe(folder, "later", libraries, calls)
    expect("functions after XP", exe, True,
           [f"{f} ({dll})" for dll, names in AFTER_XP.items() for f in names])

    # What XP has passes, an ordinal among them (oleaut32's SysAllocString is ordinal 2).
    exe = probe(folder, "xp", [("kernel32.dll", [("GetTickCount", None)], False),
                               ("advapi32.dll", [("RegOpenKeyExW", None)], False),
                               ("oleaut32.dll", [("SysAllocString", 2)], False)],
                ["GetTickCount", "RegOpenKeyExW", "SysAllocString"])
    expect("functions of XP", exe, False, ["exist on Windows XP SP3"])

    # An ordinal XP's oleaut32 does not have; an ordinal of a DLL whose ordinals are no
    # interface (kernel32's differ between builds).
    exe = probe(folder, "ordinal", [("oleaut32.dll", [("Far", 999)], False),
                                    ("kernel32.dll", [("Near", 5)], False)], ["Far", "Near"])
    expect("ordinals", exe, True, ["ordinal 999 (oleaut32.dll)", "ordinal 5 (kernel32.dll)"])

    # Delay-loaded: the function after XP is named, the one of XP is not.
    exe = probe(folder, "delayed", [("kernel32.dll", [("GetThreadId", None),
                                                      ("GetTickCount", None)], True)],
                ["GetThreadId", "GetTickCount"])
    expect("delay-loaded", exe, True, ["GetThreadId (kernel32.dll, delay-loaded)"],
           ["GetTickCount"])

    exe = probe(folder, "unknown", [("nowhere.dll", [("Anything", None)], False)], ["Anything"])
    expect("unknown DLL", exe, True, ["nowhere.dll", "does not know"])
print("failures:", failures)
sys.exit(1 if failures else 0)
