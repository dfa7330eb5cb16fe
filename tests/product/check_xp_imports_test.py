#!/usr/bin/env python3
"""The XP import check fails on what XP lacks, names it, and passes what XP has.
    check_xp_imports_test.py COMPILER"""
import os
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
compiler = sys.argv[1]
cases = [
    # (source, expect failure, text the report must hold)
    ("#include <windows.h>\nint main(){return (int)GetTickCount();}", False, "exist on Windows XP SP3"),
    ("#define _WIN32_WINNT 0x0600\n#include <windows.h>\nint main(){return (int)GetTickCount64();}",
     True, "GetTickCount64 (kernel32.dll)"),
    ("#define _WIN32_WINNT 0x0600\n#include <windows.h>\n"
     "int main(){InitializeSRWLock(0);return (int)GetTickCount();}", True, "InitializeSRWLock"),
    ("#define MINGW_HAS_SECURE_API 1\n#include <string.h>\n"
     "int main(int c,char**v){char b[8];return strcpy_s(b,8,v[0]);}", True, "strcpy_s (msvcrt.dll)"),
]
failures = 0
with tempfile.TemporaryDirectory() as folder:
    for index, (source, should_fail, expected) in enumerate(cases):
        src = os.path.join(folder, f"p{index}.cpp")
        exe = os.path.join(folder, f"p{index}.exe")
        open(src, "w").write(source)
        subprocess.run([compiler, "-O1", "-static", src, "-o", exe], check=True)
        run = subprocess.run([sys.executable, os.path.join(here, "check_xp_imports.py"),
                              "--compiler", compiler, exe], capture_output=True, text=True)
        if (run.returncode != 0) != should_fail or expected not in run.stdout:
            failures += 1
            print(f"case {index}: status {run.returncode}, report: {run.stdout}{run.stderr}")
print("failures:", failures)
sys.exit(1 if failures else 0)
