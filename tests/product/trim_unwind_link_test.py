#!/usr/bin/env python3
"""The trimmed link drops a function nothing calls together with its unwind record, from an
object and from an archive member, keeps the record of every function the program keeps, and
shares common records without changing what the unwinder reads.
    trim_unwind_link_test.py COMPILER AR"""
import os
import re
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, '..', '..', 'cmake'))
import trim_unwind_link as trim  # noqa: E402

compiler, ar = sys.argv[1], sys.argv[2]
sources = {
    'main.cpp': '#include <stdexcept>\n#include <string>\n'
                'int Thrower(int); std::string Named(int);\n'
                'int main(int c, char**) { try { return Thrower(c) + (int)Named(c).size(); }\n'
                '  catch (const std::exception&) { return 3; } }\n',
    'lib.cpp': '#include <stdexcept>\n#include <string>\n'
               'int Thrower(int c) { if (c > 5) throw std::runtime_error("x"); return c; }\n'
               'int NobodyCallsThis(int c) { if (c > 7) throw std::logic_error("y"); return 2; }\n',
    'member.cpp': '#include <string>\n#include <vector>\n'
                  'std::string Named(int c) { return std::string(c, \'a\'); }\n'
                  'std::vector<std::string> NorThis(int c) { return {Named(c), Named(c + 1)}; }\n',
}
failures = []
with tempfile.TemporaryDirectory() as folder:
    objects = {}
    for name, text in sources.items():
        src = os.path.join(folder, name)
        open(src, 'w').write(text)
        objects[name] = src + '.obj'
        subprocess.run([compiler, '-Os', '-ffunction-sections', '-fdata-sections', '-c', src,
                        '-o', objects[name]], check=True)
    archive = os.path.join(folder, 'libmember.a')
    subprocess.run([ar, 'qcs', archive, objects['member.cpp']], check=True)
    exe, map_path = os.path.join(folder, 'p.exe'), os.path.join(folder, 'p.map')
    run = subprocess.run([sys.executable, trim.__file__, '--work', os.path.join(folder, 'work'),
                          '--ar', ar, '--', compiler, '-static', '-s', '-Wl,--gc-sections',
                          objects['main.cpp'], objects['lib.cpp'], archive, '-o', exe,
                          '-Wl,-Map=' + map_path], capture_output=True, text=True)
    if run.returncode != 0:
        failures.append(f'link failed: {run.stdout}{run.stderr}')
    else:
        def placed(path):  # the map's memory map, without its list of discarded sections
            text = open(path, errors='replace').read()
            return text[text.index('Linker script and memory map'):]
        kept = placed(map_path)
        plain = placed(os.path.join(folder, 'work', 'pass1.map'))
        for name in ('NobodyCallsThis', 'NorThis'):
            if not re.search(r'\.text\$\S*' + name, plain):
                failures.append(f'the plain link should have kept {name} (nothing to prove)')
            if re.search(r'\.text\$\S*' + name, kept):
                failures.append(f'{name} is still in the program')
        for name in ('Thrower', 'Named'):
            if not re.search(r'\.text\$\S*' + name, kept):
                failures.append(f'{name} is missing')
        # Every function kept has the record it had in the plain link (the script checks this
        # too; here against the plain program of its first pass).
        lost = trim.check(os.path.join(folder, 'work', 'pass1.exe'),
                          os.path.join(folder, 'work', 'pass1.map'), exe, map_path)
        if lost:
            failures.append(f'records lost: {lost}')
        if 'common records shared' not in run.stdout:
            failures.append(f'no report of the shared records: {run.stdout}')
    # Sharing common records keeps the meaning of every record; a changed pointer is seen.
    with open(os.path.join(folder, 'work', 'pass1.exe'), 'rb') as f:
        image = f.read()
    frame, address = trim.image_frame(image)
    shared = trim.share_common_records(frame, address)
    if trim.frame_meaning(shared, address) != trim.frame_meaning(frame, address):
        failures.append('shared records differ')
    if len(shared) >= len(frame):
        failures.append('no common record was shared')
    broken = bytearray(shared)
    fde = next(p for p, _, kind, _ in trim.read_frame_records(shared, address) if kind == 'fde')
    broken[fde + 8] ^= 1
    if trim.frame_meaning(bytes(broken), address) == trim.frame_meaning(frame, address):
        failures.append('a moved function start goes unseen')
for failure in failures:
    print('FAIL:', failure)
print('failures:', len(failures))
sys.exit(1 if failures else 0)
