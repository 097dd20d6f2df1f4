#!/bin/sh
# Builds the kit tests' setup images with the host's mksetup, before the
# Windows tests read them. Exit 77 (skipped) when mksetup was not built.
#   make_images.sh MKSETUP SOURCE_DIR OUT_DIR TEST_STUB [REAL_STUB REAL_UNINSTALLER]
set -eu
mksetup=$1 src=$2 out=$3 stub=$4
[ -x "$mksetup" ] || { echo "no mksetup at $mksetup: build the host tools"; exit 77; }
mkdir -p "$out"
cp "$src/product/expected_rows.txt" "$out/"
cp "$src/../../examples/sample/side.bmp" "$out/"
rm -rf "$out/payload"
cp -R "$src/product/payload" "$out/payload"
# One time for every entry: the extraction test checks it on the installed files.
export SOURCE_DATE_EPOCH=1700000000
"$mksetup" build "$src/product/product.toml" -o "$out/stub-setup.exe" --stub "$stub" --uninstaller "$stub" --quiet
if [ $# -ge 6 ] && [ -f "$5" ] && [ -f "$6" ]; then
    "$mksetup" build "$src/product/product.toml" -o "$out/real-setup.exe" --stub "$5" --uninstaller "$6" --quiet
else
    rm -f "$out/real-setup.exe"
fi
