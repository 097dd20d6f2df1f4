#!/bin/sh
# Extraction benchmark: ZipArchive (constructor + ExtractAll) under Wine
# against native unzip, both extracting the same Info-ZIP archive of a
# generated payload (fixed seed, about 100 MB in several thousand files).
# Prints MB/s for each (payload bytes / 10^6 / best of BENCH_RUNS runs, 3 by
# default) and their ratio. The payloads and archives are kept in the build
# tree's bench/ folder for later runs.
#
#   bench/extract_bench.sh    # build tree as for scripts/build: BUILD_DIR, default build/
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
win=$build/win
work=$build/bench
runs=${BENCH_RUNS:-3}

"$root/scripts/bootstrap"
if [ ! -f "$win/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$win" --target bench_extract >/dev/null

# Two payloads of the same 100 MB: 4000 files (the figure that counts) and 40
# large files, which shows the data path (read, inflate, CRC-32, write)
# without the per-file cost of creating files.
mkdir -p "$work"
for set in 4000 40; do
    if [ ! -f "$work/payload$set.zip" ]; then
        rm -rf "$work/payload$set"
        python3 "$root/bench/make_payload.py" "$work/payload$set" "$set"
        (cd "$work" && zip -q -r "payload$set.zip.part" "payload$set" && mv "payload$set.zip.part" "payload$set.zip")
        rm -rf "$work/payload$set"
    fi
done

# A harness of its own, so a test run in the same tree is not disturbed.
harness=$work/harness
trap '"$root/scripts/wine-harness" stop "$harness"' EXIT INT TERM
"$root/scripts/wine-harness" start "$harness" >/dev/null

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
now() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -g | head -n 1; }

for set in 4000 40; do
    archive=$work/payload$set.zip
    summary=$(unzip -Zt "$archive")
    bytes=$(echo "$summary" | sed -n 's/.* files*, \([0-9]*\) bytes uncompressed.*/\1/p')
    echo "payload$set: $summary"
    wine_times=""
    unzip_times=""
    i=0
    while [ $i -lt "$runs" ]; do
        rm -rf "$work/out-wine" "$work/out-unzip"
        sync
        t=$(KIT_WINE_TIMEOUT=900 "$root/scripts/wine-harness" run "$harness" "$win/bench/bench_extract.exe" \
            "$(winpath "$archive")" "$(winpath "$work/out-wine")\\" | tr -d '\r' | tail -n 1)
        wine_times="$wine_times $t"
        sync
        t0=$(now)
        unzip -q -o "$archive" -d "$work/out-unzip"
        t1=$(now)
        unzip_times="$unzip_times $(echo "$t0 $t1" | awk '{printf "%.3f", $2 - $1}')"
        i=$((i + 1))
    done

    # Both must have written the same tree.
    diff -r -q "$work/out-wine" "$work/out-unzip" >/dev/null ||
        { echo "extract_bench: the extracted trees differ" >&2; exit 1; }
    rm -rf "$work/out-wine" "$work/out-unzip"

    # shellcheck disable=SC2086
    tw=$(best $wine_times)
    # shellcheck disable=SC2086
    tu=$(best $unzip_times)
    echo "  runs (s): ZipArchive under Wine:$wine_times; unzip:$unzip_times"
    echo "$bytes $tw $tu" | awk '{
        w = $1 / 1e6 / $2; u = $1 / 1e6 / $3;
        printf "  ZipArchive under Wine: %.1f MB/s (best %.3f s)\n", w, $2;
        printf "  unzip (native):        %.1f MB/s (best %.3f s)\n", u, $3;
        printf "  ratio Wine/native:     %.2f\n", w / u }'
done
