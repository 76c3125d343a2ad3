#!/usr/bin/env bash
# `tarvex uninstall` keeps its contract in both builds: each removal on
# stdout, then what stayed; a refused log with `error: MESSAGE`, exit 1 and
# nothing touched; --remove-shared; usage errors with exit 2.
# usage: uninstall_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -uo pipefail
platform=$1 build=$2 src=$3
tmp=$(mktemp -d)
title="TarvexRemove$$"
fail=0
check() { if ! "$@"; then echo "FAILED (line ${BASH_LINENO[0]}): $*"; fail=1; fi; }

if [ "$platform" = win32 ]; then
  . "$src/scripts/wine-env.sh"
  winpath() { winepath -w "$1" 2>/dev/null; }
  dest_base=$(winpath "$tmp/dest")
  windows='C:\windows'
  tool() { wine "$build/tarvex.exe" "$@" 2> >(grep -v '^wine: ' >&2) | tr -d '\r'; return "${PIPESTATUS[0]}"; }
  root_args=()
  host() { winepath -u "$1" 2>/dev/null; }
  reg_has() { wine reg query "$1" >/dev/null 2>&1; }
  cleanup() {
    wine reg delete "HKCU\\Software\\$title" /f >/dev/null 2>&1
    rm -f "$(host "$windows\\$title.dll")"
    rm -rf "$tmp"
  }
else
  dest_base='C:\Dest'
  windows='C:\WINDOWS'
  tool() { "$build/tarvex" "$@"; }
  root_args=(--root "$tmp/root")
  host() { local p=${1#C:\\}; echo "$tmp/root/drive_c/${p//\\//}"; }
  reg_has() { grep -qiF "[$1]" "$tmp/root/registry.reg"; }
  cleanup() { rm -rf "$tmp"; }
fi
trap cleanup EXIT

medium=$tmp/medium
mkdir -p "$medium" "$tmp/dest"
[ "$platform" = win32 ] || mkdir -p "$tmp/root/drive_c/Dest"
echo program > "$medium/prog.exe"
echo shared > "$medium/shared.dll"
printf '%s\r\n' '[GENERAL]' "Title=$title" 'Executable=x' 'ReadMe=x' 'License=x' \
  "Directory=$dest_base" 'NewDirectory=Product' 'StartMenu=%PROGRAMDIR' "NewMenu=$title" 'TotalSize=1' \
  'Route=5' 'Run=' 'Run Description=' '[FILES]' "1=prog.exe,$title.exe,1,%APPPATH\\bin,N" \
  "2=shared.dll,$title.dll,1,%WINDOWSDIR,N" '[ICONS]' \
  '[DIRECTORIES]' '1=%APPPATH\bin' \
  '[REGISTRY]' "1=HKEY_CURRENT_USER,Software\\$title\\Settings\\Mode,fast" > "$medium/Setup.INI"
[ "$platform" = win32 ] && medium_arg=$(winpath "$medium") || medium_arg=$medium
product="$dest_base\\Product"
log="$product\\Install.log"

install() { tool install "$medium_arg" "${root_args[@]}" >/dev/null 2>&1; check test $? -eq 0; }
install
saved=$(cat "$(host "$log")")

# Refused before anything is touched: exit 1, one error line, no output.
printf '[FILES]\r\n%s\r\n' "$product\\bin\\$title.exe" > "$(host "$log")"
tool uninstall "$log" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 1
check test "$(tr -d '\r' < "$tmp/err")" = "error: Not an uninstall log: $log"
check test ! -s "$tmp/out"
check test -f "$(host "$product\\bin\\$title.exe")"
printf '%s' "$saved" > "$(host "$log")"

# A user's file keeps the product folder; the shared file stays.
echo mine > "$(host "$product\\notes.txt")"
tool uninstall "$log" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 0
check test ! -s "$tmp/err"
check test "$(cat "$tmp/out")" = "$(printf '%s\n' "Removed $product\\bin\\$title.exe" \
  "Removed HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\$title.exe" \
  "Removed HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title" \
  "Removed HKEY_CURRENT_USER\\Software\\$title\\Settings" "Removed HKEY_CURRENT_USER\\Software\\$title" \
  "Removed $log" "Removed $product\\bin" 'Kept, not empty:' "  $product (notes.txt)" 'Kept, shared:' \
  "  $windows\\$title.dll")"
check test -f "$(host "$windows\\$title.dll")"
check test ! -e "$(host "$product\\bin")"
reg_has "HKEY_CURRENT_USER\\Software\\$title"; check test $? -ne 0

# --remove-shared takes the shared file too; a second run finds nothing else.
install
tool uninstall "$log" "${root_args[@]}" --remove-shared >"$tmp/out" 2>&1
check test $? -eq 0
check grep -qxF "Removed $windows\\$title.dll" "$tmp/out"
check test ! -e "$(host "$windows\\$title.dll")"
tool uninstall "$log" "${root_args[@]}" >/dev/null 2>"$tmp/err"
check test $? -eq 1
check test "$(tr -d '\r' < "$tmp/err")" = "error: Unable to read uninstall log: $log"

# Usage errors.
tool uninstall >/dev/null 2>&1; check test $? -eq 2
tool uninstall "$log" "${root_args[@]}" --keep >/dev/null 2>&1; check test $? -eq 2
if [ "$platform" = win32 ]; then
  tool uninstall "$log" --root 'C:\x' >/dev/null 2>&1; check test $? -eq 2
else
  tool uninstall "$log" >/dev/null 2>&1; check test $? -eq 2
fi
exit $fail
