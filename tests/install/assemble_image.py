#!/usr/bin/env python3
"""Assembles a setup image for the tests: the setup program with a ZIP archive
(made by Python's zipfile) appended and the archive CRC-32 written behind the
stored-values marker.

Used for a hand-made image only; the other test images are built by mksetup
and damaged by patch_image.py.

Usage: assemble_image.py STUB OUT PAYLOAD_DIR [--uninstaller PATH NAME]
"""
import argparse
import io
import os
import zipfile
import zlib

MARKER = b"KSTVALUES-STORE1"


def build_zip(payload, uninstaller):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for root, dirs, files in os.walk(payload):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(root, name)
                arcname = os.path.relpath(path, payload).replace(os.sep, "/")
                info = zipfile.ZipInfo(arcname, date_time=(2024, 5, 17, 10, 30, 42))
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as f:
                    archive.writestr(info, f.read())
        if uninstaller:
            path, name = uninstaller
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 17, 10, 30, 42))
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(info, f.read())
    return buffer.getvalue()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("stub")
    parser.add_argument("out")
    parser.add_argument("payload")
    parser.add_argument("--uninstaller", nargs=2, metavar=("PATH", "NAME"))
    args = parser.parse_args()

    with open(args.stub, "rb") as f:
        image = bytearray(f.read())
    archive = build_zip(args.payload, args.uninstaller)
    at = image.find(MARKER)
    if at < 0 or image.find(MARKER, at + 1) >= 0:
        raise SystemExit("stored-values marker not found exactly once")
    image[at + 16:at + 20] = (zlib.crc32(archive) & 0xFFFFFFFF).to_bytes(4, "little")
    with open(args.out, "wb") as f:
        f.write(bytes(image) + archive)


if __name__ == "__main__":
    main()
