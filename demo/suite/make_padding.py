#!/usr/bin/env python3
"""make_padding.py FILE SIZE: SIZE bytes that compress about eight to three, so that the padded
main program is larger than 6,000,000 bytes and still spreads over a few floppy disks. A block
of 64 KB repeats: farther apart than the compressor looks back, so it does not shrink more."""
import sys

path, size = sys.argv[1], int(sys.argv[2])
state, block = 20260101, bytearray()
while len(block) < 65536:
    state = (state * 1103515245 + 12345) & 0x7FFFFFFF
    block.append(b"ACGTacgt"[(state >> 16) & 7])
with open(path, "wb") as f:
    f.write((bytes(block) * (size // len(block) + 1))[:size])
