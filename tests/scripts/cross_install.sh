#!/usr/bin/env bash
# The same medium installed by both builds (natively into a machine root,
# and under Wine onto its C: drive) gives the same Install.log, the same
# files and the same file dates. Runs in the win32 preset when the native
# build sits beside it.
# usage: cross_install.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -uo pipefail
platform=$1 build=$2 src=$3
native="$build/../native/tarvex"
. "$src/tests/scripts/lib/missing.sh"
[ -x "$native" ] || missing "the native build beside this one ($native)"
[ -f "$build/demo-medium/Setup.INI" ] || { echo "FAILED: no demo medium in $build"; exit 1; }
. "$src/scripts/wine-env.sh"
tmp=$(mktemp -d)
name="CrossDemo$$"
wine_product="$WINEPREFIX/drive_c/Program Files/$name"
trap 'rm -rf "$tmp" "$wine_product" "$WINEPREFIX/drive_c/Program Files/${name}Menu"' EXIT
args=(--new-directory "$name" --start-menu 'C:\Program Files' --new-menu "${name}Menu" --overwrite yes)
fail=0
check() { if ! "$@"; then echo "FAILED (line ${BASH_LINENO[0]}): $*"; fail=1; fi; }

check "$native" install "$build/demo-medium" --root "$tmp/root" "${args[@]}" >/dev/null
check wine "$build/tarvex.exe" install "$(winepath -w "$build/demo-medium" 2>/dev/null)" "${args[@]}" >/dev/null
native_product="$tmp/root/drive_c/Program Files/$name"
check cmp "$native_product/Install.log" "$wine_product/Install.log"
for f in demo.exe docs/manual.txt; do
  check cmp "$native_product/$f" "$wine_product/$f"
  check test "$(stat -c %Y "$native_product/$f")" = "$(stat -c %Y "$wine_product/$f")"
done
# The uninstaller is shared, in the Windows folder.
check cmp "$tmp/root/drive_c/WINDOWS/ridsetup.exe" "$WINEPREFIX/drive_c/windows/ridsetup.exe"

# Both remove the product alike, line for line.
log="C:\\Program Files\\$name\\Install.log"
check "$native" uninstall "$log" --root "$tmp/root" >"$tmp/native.out"
check wine "$build/tarvex.exe" uninstall "$log" >"$tmp/wine.out"
check diff "$tmp/native.out" <(tr -d '\r' < "$tmp/wine.out")
check test ! -e "$native_product"
check test ! -e "$wine_product"
exit $fail
