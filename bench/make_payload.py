#!/usr/bin/env python3
"""Writes the extraction benchmark's payload: several thousand files, about
100 MB, text (compressible), records (partly compressible) and noise
(incompressible), in nested folders. A fixed seed makes every run identical.

Usage: make_payload.py OUTPUT_DIR [FILES] [TOTAL_BYTES]
"""
import math
import os
import random
import sys

SEED = 20231211


def main():
    out = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 4000
    total = int(sys.argv[3]) if len(sys.argv) > 3 else 100_000_000
    rng = random.Random(SEED)

    words = [b"install", b"archive", b"kestrel", b"folder", b"shortcut", b"product", b"entry",
             b"deflate", b"window", b"registry", b"progress", b"uninstall", b"\n", b"the", b"a"]
    text = bytearray()
    while len(text) < 4 << 20:
        text += rng.choice(words) + b" "
    records = bytearray()
    while len(records) < 4 << 20:
        records += b"REC" + rng.getrandbits(32).to_bytes(4, "little") + bytes(8) + rng.choice(words).ljust(12, b"\0")

    # Log-uniform sizes from 256 bytes to 512 KB, scaled to the total.
    sizes = [math.exp(rng.uniform(math.log(256), math.log(512 << 10))) for _ in range(files)]
    scale = total / sum(sizes)
    sizes = [max(1, int(s * scale)) for s in sizes]
    sizes[-1] += total - sum(sizes)

    for i, size in enumerate(sizes):
        kind = rng.random()
        if kind < 0.45:
            pool, ext = text, "txt"
        elif kind < 0.65:
            pool, ext = records, "dat"
        else:
            pool, ext = None, "bin"
        if pool is None:
            data = rng.randbytes(size)
        else:
            start = rng.randrange(len(pool) - size) if size < len(pool) else 0
            data = bytes(pool[start:start + size])
            while len(data) < size:
                data += pool[:size - len(data)]
        folder = os.path.join(out, "group%02d" % (i % 40), "part%d" % (i % 7))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "file%05d.%s" % (i, ext)), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
