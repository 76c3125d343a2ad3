#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
. scripts/session.sh
tarvex_session_start

presets=(${TARVEX_PRESETS:-native native-asan win32})
status=0
results=()
for preset in "${presets[@]}"; do
  echo "=== $preset"
  # A preset that fails to build is reported and the next one still runs.
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    results+=("$preset: build failed")
    status=1
  elif ! ctest --preset "$preset"; then
    results+=("$preset: tests failed")
    status=1
  else
    results+=("$preset: passed")
  fi
done
echo "=== results"
printf '  %s\n' "${results[@]}"
exit $status
