#!/usr/bin/env bash
# Builds tarvex and the registry benchmark and times installs of REGISTRY
# entries into the native registry store: 1,500 entries into a fresh store,
# and a few entries into stores of 1,000, 10,000 and 100,000 keys.
# usage: bench/registry.sh [ENTRIES [FEW [STORE_KEYS...]]]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build/bench}
work=${WORK_DIR:-$build/registry-work}

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarvex registry_bench
trap 'rm -rf "$work"' EXIT
"$build/bench/registry_bench" "$build/tarvex" "$work" "$@"
