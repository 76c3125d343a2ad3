#!/usr/bin/env bash
# `tarvex install` keeps its contract in both builds: the status lines on
# stdout, a correct Install.log, links, registry and files, the overwrite
# policy, `error: MESSAGE` with exit 1, usage errors with exit 2.
# usage: install_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
set -uo pipefail
platform=$1 build=$2 src=$3
command -v mscompress >/dev/null || exit 77
tmp=$(mktemp -d)
title="TarvexContract$$"
fail=0
check() { if ! "$@"; then echo "FAILED (line ${BASH_LINENO[0]}): $*"; fail=1; fi; }

if [ "$platform" = win32 ]; then
  . "$src/scripts/wine-env.sh"
  winpath() { winepath -w "$1" 2>/dev/null; }
  dest_base=$(winpath "$tmp/dest")
  tool() { wine "$build/tarvex.exe" "$@"; }
  root_args=()
  cleanup() {
    wine reg delete "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title" /f >/dev/null 2>&1
    wine reg delete "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\$title.exe" /f >/dev/null 2>&1
    wine reg delete "HKCU\\Software\\$title" /f >/dev/null 2>&1
    rm -rf "$tmp"
  }
  host() { winepath -u "$1" 2>/dev/null; }
  reg_value() {
    if [ "$2" = @ ]; then set -- "$1" /ve; else set -- "$1" /v "$2"; fi
    wine reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ    //p'
  }
else
  dest_base='C:\Dest'
  tool() { "$build/tarvex" "$@"; }
  root_args=(--root "$tmp/root")
  cleanup() { rm -rf "$tmp"; }
  host() { local p=${1#C:\\}; echo "$tmp/root/drive_c/${p//\\//}"; }
  reg_value() { python3 - "$tmp/root/registry.reg" "$1" "$2" <<'PY'
import sys
path, key, name = sys.argv[1], sys.argv[2].lower(), sys.argv[3]
cur = None
for line in open(path, encoding='cp1252'):
    line = line.rstrip('\r\n')
    if line.startswith('['): cur = line[1:-1].lower(); continue
    label = '@=' if name == '@' else '"' + name + '"='
    if cur == key and line.startswith(label):
        print(line.split('=', 1)[1][1:-1].replace('\\\\', '\\').replace('\\"', '"'))
PY
  }
fi
trap cleanup EXIT

# The medium: a compressed program, the uninstaller, a plain file.
medium=$tmp/medium
mkdir -p "$medium" "$tmp/dest"
[ "$platform" = win32 ] || mkdir -p "$tmp/root/drive_c/Dest"
head -c 5000 /dev/urandom | base64 > "$tmp/$title.exe"
mscompress "$tmp/$title.exe" && mv "$tmp/$title.exe_" "$medium/prog.ex_"
echo "uninstaller" > "$medium/ridsetup.exe"
echo "readme" > "$medium/readme.txt"
printf '%s\r\n' '[GENERAL]' "Title=$title" 'Executable=x' 'ReadMe=readme.txt' 'License=readme.txt' \
  "Directory=$dest_base" 'NewDirectory=Product' 'StartMenu=%PROGRAMDIR' "NewMenu=$title" 'TotalSize=1' \
  'Route=5' 'Run=' 'Run Description=' '[FILES]' "1=prog.ex_,$title.exe,1,%APPPATH,Y" \
  '2=ridsetup.exe,ridsetup.exe,1,%APPPATH,N' '3=readme.txt,readme.txt,1,%APPPATH,Y' \
  '[ICONS]' "1=$title 1.5,%SMICON,%APPPATH\\$title.exe,/s \"x y\"" \
  '[DIRECTORIES]' '1=%APPPATH' '2=%SMICON' \
  '[REGISTRY]' "1=HKEY_CURRENT_USER,Software\\$title\\.,%APPPATH" > "$medium/Setup.INI"
[ "$platform" = win32 ] && medium_arg=$(winpath "$medium") || medium_arg=$medium

tool install "$medium_arg" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 0
check test "$(cat "$tmp/out")" = "$(printf '%s\n' 'Creating directories...' 'Copying Files...' 'Creating shortcuts...' 'Creating registry entries...' 'Saving uninstall log...')"
# (Wine itself may remark on the Z: drive's volume label.)
check test -z "$(grep -v '^wine: ' "$tmp/err")"
product="$dest_base\\Product"
log=$(host "$product\\Install.log")
check test -f "$log"
check cmp -s "$(host "$product\\$title.exe")" "$tmp/$title.exe"
check test -f "$(host "$product\\ridsetup.exe")"
lines=$(tr -d '\r' < "$log")
check test "$(sed -n 1,3p <<<"$lines" | tr '\n' '|')" = "[APPLICATION]|$title|[REGISTRY]|"
check test "$(sed -n 4p <<<"$lines")" = "HKEY_LOCAL_MACHINE,\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\$title.exe"
check test "$(sed -n 6p <<<"$lines")" = "HKEY_CURRENT_USER,Software\\$title"
check test "$(sed -n 7,9p <<<"$lines" | tr '\n' '|')" = "[FILES]|$product\\$title.exe|$product\\readme.txt|"
link=$(sed -n 10p <<<"$lines")
check test "${link##*\\}" = "$title 1.LNK"
check test -f "$(host "$link")"
check test "$(sed -n 11p <<<"$lines")" = "$product\\Install.log"
check test "$(sed -n 12,13p <<<"$lines" | tr '\n' '|')" = "[DIRECTORIES]|$product|"
check test "$(tail -c 2 "$log" | od -An -c | tr -d ' ')" = '\r\n'
check test "$(reg_value "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title" UninstallString)" = "ridsetup.exe \"$product\\Install.log\""
check test "$(reg_value "HKEY_CURRENT_USER\\Software\\$title" @)" = "%APPPATH"

# Overwrite policy: an existing newer file with the flag is kept with "no"
# (the default off a terminal) and replaced with "yes".
echo "newer" > "$(host "$product\\readme.txt")"
touch -d '2030-01-01' "$(host "$product\\readme.txt")"
tool install "$medium_arg" "${root_args[@]}" >/dev/null 2>&1
check test "$(cat "$(host "$product\\readme.txt")")" = "newer"
tool install "$medium_arg" "${root_args[@]}" --overwrite yes >/dev/null 2>&1
check test "$(cat "$(host "$product\\readme.txt")")" = "readme"

# A failure part-way: exact message, exit 1, what was done before stays.
rm "$medium/readme.txt"
echo "kept" > "$(host "$product\\readme.txt")"
tool install "$medium_arg" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 1
check grep -qx 'error: File not found: .*medium.*readme\.txt (copying to .*\\readme\.txt)' "$tmp/err"
check test "$(cat "$(host "$product\\readme.txt")")" = "kept"
check test "$(cat "$tmp/out")" = "$(printf '%s\n' 'Creating directories...' 'Copying Files...')"

# Usage errors.
tool install >/dev/null 2>&1; check test $? -eq 2
tool install "$medium_arg" "${root_args[@]}" --overwrite maybe >/dev/null 2>&1; check test $? -eq 2
if [ "$platform" = win32 ]; then
  tool install "$medium_arg" --root 'C:\x' >/dev/null 2>&1; check test $? -eq 2
else
  tool install "$medium_arg" >/dev/null 2>&1; check test $? -eq 2
fi
exit $fail
