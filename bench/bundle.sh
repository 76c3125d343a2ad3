#!/usr/bin/env bash
# A one-file installer against a folder: the demo medium with SIZE_MIB of
# extra files (incompressible, like a medium of compressed files), bundled
# with tarvex (its throughput printed), then setup.exe's time from start to
# the first page under Wine + Xvfb, run from the folder and from the one
# file, against `cp -r` of the same folder, all in the same run. Wine's own
# start costs more than the copy, so besides the raw ratio the net one says
# what the one file adds over the folder's start: (one-file - folder) / cp -r.
# usage: bench/bundle.sh [BUILD_DIR] [SIZE_MIB] [RUNS]   (BUILD_DIR: a win32 build)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build/win32}
size=${2:-200}
runs=${3:-5}
out=$build/bundle-bench
tool=${TARVEX_TOOL:-$src/build/native/tarvex}
mkdir -p "$out"

cmake --build "$build" --target demo_medium >/dev/null
[ -x "$tool" ] || { echo "no native tarvex at $tool (set TARVEX_TOOL)" >&2; exit 2; }
i686-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -o "$out/startup_timer.exe" "$src/bench/startup/startup_timer.c"

medium=$out/medium-$size
if [ ! -f "$medium/done" ]; then
    rm -rf "$medium"
    cp -r "$build/demo-medium" "$medium"
    mkdir -p "$medium/data"
    for ((i = 0; i < size / 4; i++)); do
        head -c $((4 << 20)) /dev/urandom > "$medium/data/part$(printf %03d $i).bin"
    done
    touch "$medium/done"
fi
cp "$build/setup.exe" "$medium/setup.exe" # the data is kept between runs, the program is today's
bundle=$out/Setup-$size.exe
rm -f "$bundle"
echo "tarvex bundle:"
"$tool" bundle "$medium" "$bundle"
files=$(find "$medium" -type f ! -name done -printf '%s\n' | awk '{ s += $1 } END { print s }')
echo "overhead over the medium's $files bytes of files: $(( $(stat -c %s "$bundle") - files )) bytes"

# cp -r of the folder, from the page cache as the bundle is read.
cat "$medium"/data/* > /dev/null
copies=()
for ((i = 0; i < runs; i++)); do
    rm -rf "$out/copy"
    start=$(date +%s%N)
    cp -r "$medium" "$out/copy"
    copies+=($(( ($(date +%s%N) - start) / 1000000 )))
done
rm -rf "$out/copy"
cp_ms=$(printf '%s\n' "${copies[@]}" | sort -n | sed -n "$((runs / 2 + 1))p")
echo "cp -r              median $cp_ms ms"

# The timer ends each run at once, so setup.exe leaves its folder: TMP is
# the bench's own, emptied after each run (TIMER_CLEAN) and at the end.
. "$src/scripts/session.sh"
tarvex_session_start
mkdir -p "$out/temp" # before winepath, which names only what exists
export TMP=$(winepath -w "$out/temp") TEMP=$(winepath -w "$out/temp")
[ -n "$TMP" ] || { echo "no Windows path for $out/temp" >&2; exit 1; }
trap 'rm -rf "$out/temp"' EXIT
TIMER_TITLE="Tarvex Demo Setup" TIMER_CLEAN=$TMP wine "$out/startup_timer.exe" "$runs" "$(winepath -w "$medium/setup.exe")" "$(winepath -w "$bundle")" |
    tee "$out/timer.txt"
folder_ms=$(awk '/^setup\.exe / { print $3 }' "$out/timer.txt")
bundle_ms=$(awk '/^Setup-/ { print $3 }' "$out/timer.txt")
echo "folder first page   $folder_ms ms"
echo "one-file first page $bundle_ms ms"
awk -v b="$bundle_ms" -v f="$folder_ms" -v c="$cp_ms" 'BEGIN {
    printf "ratio one-file first page / cp -r: %.2f\n", b / c
    printf "net ratio (one-file - folder) / cp -r: %.2f\n", (b - f) / c
}'
