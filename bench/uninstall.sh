#!/usr/bin/env bash
# Times `tarvex uninstall` of the install benchmark's 2,000-file product
# against rm -rf of the same tree. Makes the install benchmark's media first
# when they are missing (bench/install.sh keeps them between runs).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build/bench}
data=$build/install-data

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarvex uninstall_bench
if [ ! -f "$data/done" ]; then
    # Its media, made by the install benchmark's first part.
    BUILD_DIR=$build "$src/bench/install.sh" >/dev/null
fi

# Media made before the install benchmark wrote its page texts get them now.
for medium in "$data/medium1" "$data/medium2"; do
    [ -f "$medium/readme.txt" ] || printf 'Bench product\r\n' > "$medium/readme.txt"
    [ -f "$medium/license.rtf" ] || printf '{\\rtf1 Bench licence\\par}\r\n' > "$medium/license.rtf"
done

# In memory when it can hold two installed copies: the two programs' work,
# not the disk's write-back.
work=${WORK_DIR:-$data/uninstall-work}
if [ -z "${WORK_DIR:-}" ] && [ -w /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 1048576 ]; then
    work=/dev/shm/tarvex-uninstall-bench.$$
fi
trap 'rm -rf "$work"' EXIT
"$build/bench/uninstall_bench" "$build/tarvex" "$work" "$data/medium1" "$data/medium2"
