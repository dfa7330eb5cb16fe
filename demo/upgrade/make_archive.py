#!/usr/bin/env python3
"""make_archive.py <archive> <file> <name in archive>: a ZIP holding one Deflate member,
with a fixed time stamp so that equal inputs give equal archives."""
import sys
import zipfile

archive, source, name = sys.argv[1:4]
with open(source, "rb") as f:
    data = f.read()
info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
info.compress_type = zipfile.ZIP_DEFLATED
info.external_attr = 0o644 << 16
with zipfile.ZipFile(archive, "w") as z:
    z.writestr(info, data)
