#!/bin/sh
# Build benchmark: `mksetup build` against `zip -9 -r` on the same generated
# payload (the extraction benchmark's: fixed seed, about 100 MB in several
# thousand files of text, records and noise). One run of each; prints wall
# and processor times, their ratios, and both archive sizes. The archive gets
# no uninstaller, so both hold exactly the same files.
#
#   bench/build_bench.sh    # build tree as for scripts/build: BUILD_DIR, default build/
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
mksetup=$build/host/mksetup
work=$build/bench-build

[ -x "$mksetup" ] || { echo "build_bench: no $mksetup; run scripts/build first" >&2; exit 1; }
stub=$build/win/setup/install.exe
[ -f "$stub" ] || stub=$build/win/tests/kit/kit_test_stub.exe
uninstaller=$build/win/uninstall/kestrun.exe
[ -f "$uninstaller" ] || uninstaller=$stub

mkdir -p "$work"
if [ ! -f "$work/payload.done" ]; then
    rm -rf "$work/payload"
    python3 "$root/bench/make_payload.py" "$work/payload"
    touch "$work/payload.done"
fi
cat >"$work/product.toml" <<'TOML'
[product]
name = "Bench"
title = "Bench 1.0"
log = "unstall.log"
uninstaller = ""

[files]
payload = "payload"
TOML

rm -f "$work/Bench-setup.exe" "$work/payload.zip"
files=$(find "$work/payload" -type f | wc -l)
bytes=$(find "$work/payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
echo "payload: $files files, $bytes bytes; stub $(basename "$stub"); $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

# Wall time and processor time (user + system) of one command.
timed() {
    out=$1
    shift
    python3 - "$out" "$@" <<'PY'
import os, subprocess, sys, time
start = time.perf_counter()
before = os.times()
subprocess.run(sys.argv[2:], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
after = os.times()
cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
open(sys.argv[1], "w").write("%.2f %.2f\n" % (time.perf_counter() - start, cpu))
PY
}
SOURCE_DATE_EPOCH=1700000000 timed "$work/t.mksetup" "$mksetup" build "$work/product.toml" -o "$work/Bench-setup.exe" \
    --stub "$stub" --uninstaller "$uninstaller" --quiet
(cd "$work" && timed "$work/t.zip" zip -9 -r -q -X payload.zip payload)

image=$(stat -c %s "$work/Bench-setup.exe")
start=$(python3 - "$work/Bench-setup.exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
end = data.rindex(b"PK\x05\x06")
size, offset, comment = struct.unpack_from("<IIH", data, end + 12)
print(len(data) - comment - 22 - size - offset)
PY
)
zipsize=$(stat -c %s "$work/payload.zip")
read -r mwall mcpu <"$work/t.mksetup"
read -r zwall zcpu <"$work/t.zip"
awk -v mw="$mwall" -v mc="$mcpu" -v zw="$zwall" -v zc="$zcpu" -v img="$image" -v st="$start" -v z="$zipsize" -v n="$bytes" 'BEGIN {
    printf "mksetup build : %6.2f s wall, %6.2f s processor; image %d bytes, archive %d bytes (%.1f%% of payload)\n", mw, mc, img, img - st, 100 * (img - st) / n
    printf "zip -9 -r     : %6.2f s wall, %6.2f s processor; archive %d bytes (%.1f%% of payload)\n", zw, zc, z, 100 * z / n
    printf "mksetup/zip: wall time %.2f, processor time %.2f, archive size %.4f\n", mw / zw, mc / zc, (img - st) / z
}'
