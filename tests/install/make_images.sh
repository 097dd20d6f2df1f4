#!/bin/sh
# Builds the setup images of the end-to-end tests with mksetup, from the
# product files in products/, and damages copies of them as the tests need.
# One hand-made image (a stub whose string table mksetup would refuse) is
# assembled directly.
#
#   make_images.sh MKSETUP STUB UNINSTALLER RECORDER HANDMADE_STUB OUT_DIR
set -eu
mksetup=$1 stub=$2 uninstaller=$3 recorder=$4 handmade=$5 out=$6
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x "$mksetup" ]; then
    echo "make_images: $mksetup is missing (scripts/build builds it)" >&2
    exit 1
fi
stage=$out/stage
rm -rf "$out"
mkdir -p "$stage"
python3 "$here/make_payload.py" "$stage/payload" "$recorder"
python3 "$here/make_payload.py" "$stage/payload-big" "$recorder" 48
cp "$here"/products/*.toml "$stage/"
export SOURCE_DATE_EPOCH=1715941842 # 2024-05-17 10:30:42 UTC
for product in vantrell nostart nouninst big cycle; do
    "$mksetup" build "$stage/$product.toml" -o "$out/$product.exe" --stub "$stub" --uninstaller "$uninstaller" \
        --quiet 2>>"$out/warnings.txt"
done
python3 "$here/patch_image.py" "$out/vantrell.exe" "$out/damaged.exe" --corrupt-crc
python3 "$here/patch_image.py" "$out/vantrell.exe" "$out/truncated.exe" --truncate 200
python3 "$here/patch_image.py" "$out/vantrell.exe" "$out/noprobe.exe" --probe-offset -1
python3 "$here/assemble_image.py" "$handmade" "$out/handmade.exe" "$stage/payload" \
    --uninstaller "$uninstaller" kestrun.exe
