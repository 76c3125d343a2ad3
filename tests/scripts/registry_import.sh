#!/usr/bin/env bash
# A registry store written natively imports into Wine with `regedit /s`, and
# regedit's export of it holds the same keys and values.
# Usage: registry_import.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan
set -euo pipefail
platform=$1 build=$2 source=$3
. "$source/tests/scripts/lib/missing.sh"
command -v wine >/dev/null && command -v iconv >/dev/null || missing "wine or iconv"
. "$source/scripts/wine-env.sh"
shared=$WINEPREFIX
[ -f "$shared/system.reg" ] || missing "the Wine prefix $shared"

work=$(mktemp -d)
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A throwaway prefix: its own registry, the shared prefix's files (regedit
# changes only the registry).
mkdir -p "$prefix/dosdevices"
cp "$shared"/*.reg "$shared/.update-timestamp" "$prefix/"
ln -s "$shared/drive_c" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
export WINEPREFIX=$prefix

tests=$build/tests/tarvex_tests
TARVEX_IMPORT_ROOT=$work/root "$tests" --gtest_filter=RegistryImport.WriteStore >/dev/null
store=$work/root/registry.reg
head -1 "$store" | grep -q '^REGEDIT4' || { echo "store is not REGEDIT4"; exit 1; }

wine regedit /s "Z:${store//\//\\}"
: >"$work/exported.reg"
printf 'REGEDIT4\r\n' >"$work/exported.reg"
for key in 'HKEY_CURRENT_USER\Software\TarvexImport' 'HKEY_LOCAL_MACHINE\SOFTWARE\TarvexImport'; do
  out=$work/export-$RANDOM.reg
  wine regedit /e "Z:${out//\//\\}" "$key"
  [ -s "$out" ] || { echo "regedit exported nothing for $key"; exit 1; }
  # Unicode export to the ANSI code page, its header line dropped.
  iconv -f UTF-16 -t CP1252 "$out" | tail -n +2 >>"$work/exported.reg"
done

TARVEX_IMPORT_ROOT=$work/root TARVEX_IMPORT_EXPORTED=$work/exported.reg \
  "$tests" --gtest_filter=RegistryImport.ReadBack
