#!/usr/bin/env python3
"""Writes a Windows icon file that holds the given square PNG files as they are.

    png_ico.py OUT.ico A.png B.png ...
"""
import struct
import sys

out, pngs = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
entries, offset = [], 6 + 16 * len(pngs)
for png in pngs:
    side = struct.unpack(">I", png[16:20])[0]  # the width in the IHDR chunk
    entries.append(struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(png), offset))
    offset += len(png)
with open(out, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(pngs)) + b"".join(entries) + b"".join(pngs))
