#!/usr/bin/env python3
"""Damages a built setup image the ways the tests need.

Usage: patch_image.py IN OUT [--corrupt-crc] [--truncate N] [--probe-offset N]
"""
import argparse

MARKER = b"KSTVALUES-STORE1"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("out")
    parser.add_argument("--corrupt-crc", action="store_true")
    parser.add_argument("--truncate", type=int, default=0)
    parser.add_argument("--probe-offset", type=int)
    args = parser.parse_args()
    with open(args.source, "rb") as f:
        image = bytearray(f.read())
    at = image.find(MARKER)
    if at < 0:
        raise SystemExit("stored-values marker not found")
    if args.corrupt_crc:
        image[at + 16] ^= 1
    if args.probe_offset is not None:
        image[at + 20:at + 24] = args.probe_offset.to_bytes(4, "little", signed=True)
    if args.truncate:
        del image[-args.truncate:]
    with open(args.out, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
