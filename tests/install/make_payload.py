#!/usr/bin/env python3
"""Writes a product payload for the setup tests.

Usage: make_payload.py OUT_DIR RECORDER_EXE [BIG_MEGABYTES]
"""
import os
import random
import shutil
import sys


def main():
    out, recorder = sys.argv[1], sys.argv[2]
    big = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, "Docs"))
    shutil.copyfile(recorder, os.path.join(out, "Vantrell.exe"))
    with open(os.path.join(out, "Readme.txt"), "wb") as f:
        f.write(b"Vantrell 2.0\r\nRead me first.\r\n")
    with open(os.path.join(out, "Docs", "Guide.htm"), "wb") as f:
        f.write(b"<html><body>" + b"Guide " * 2000 + b"</body></html>")
    if big:
        rng = random.Random(big)
        with open(os.path.join(out, "Docs", "Data.bin"), "wb") as f:
            f.write(rng.randbytes(big * 1024 * 1024))


if __name__ == "__main__":
    main()
