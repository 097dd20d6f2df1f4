#!/bin/sh
# Makes the sample product's setup image: stages the payload with the built
# Tidewell.exe beside the product file, then runs mksetup on it.
#
#   examples/sample/make_sample.sh [BUILD_DIR] [OUTPUT]
#   defaults: BUILD_DIR = build/, OUTPUT = BUILD_DIR/Tidewell-setup.exe
# The times in the archive come from SOURCE_DATE_EPOCH, by default the last
# commit's time, so the same commit gives the same image.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
output=${2:-$build/Tidewell-setup.exe}
stage=$build/sample-stage

app=$build/win/examples/sample/app/Tidewell.exe
[ -f "$app" ] || { echo "make_sample: $app is missing (build the Windows tree)" >&2; exit 1; }
rm -rf "$stage"
mkdir -p "$stage"
cp -R "$here/payload" "$stage/payload"
cp "$app" "$stage/payload/Tidewell.exe"
cp "$here/product.toml" "$here/side.bmp" "$here/product.ico" "$stage/"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1700000000)
    export SOURCE_DATE_EPOCH
fi
"$build/host/mksetup" build "$stage/product.toml" -o "$output" \
    --stub "$build/win/setup/install.exe" --uninstaller "$build/win/uninstall/kestrun.exe"
"$build/host/mksetup" verify "$output" >/dev/null
echo "sample setup image: $output"
