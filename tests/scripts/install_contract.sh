#!/usr/bin/env bash
# `tarvex install` keeps its contract in both builds: the status lines on
# stdout, a correct Install.log, links, registry and files, the overwrite
# policy, `error: MESSAGE` with exit 1, usage errors with exit 2.
# usage: install_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
command -v mscompress >/dev/null || missing mscompress
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
cp "$medium/Setup.INI" "$tmp/Setup.INI.sound"

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
uninstall_key="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title"
check test "$(reg_value "$uninstall_key" QuietUninstallString)" = "ridsetup.exe /S \"$product\\Install.log\""
check test "$(reg_value "$uninstall_key" InstallLocation)" = "$product"
check test "$(reg_value "$uninstall_key" DisplayIcon)" = "$product\\$title.exe"

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

# What the wizard refuses, install refuses with the wizard's words, before
# it writes anything; what the engine refuses it refuses alike in both builds.
# variant NAME SED... : the sound medium with its Setup.INI edited, installing
# into a folder of its own.
variant() {
  local dir=$tmp/$1; shift
  rm -rf "$dir"; cp -r "$medium" "$dir"; echo readme > "$dir/readme.txt"
  sed 's/^NewDirectory=.*/NewDirectory=Refused\r/' "$tmp/Setup.INI.sound" > "$dir/Setup.INI"
  local edit; for edit in "$@"; do sed -i "$edit" "$dir/Setup.INI"; done
  [ "$platform" = win32 ] && variant_arg=$(winpath "$dir") || variant_arg=$dir
}
refused() { # MESSAGE_PATTERN: exit 1, that one error line, no status line, no product folder
  tool install "$variant_arg" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
  check test $? -eq 1
  check grep -qx "$1" <(grep -v '^wine: ' "$tmp/err" | tr -d '\r')
  check test ! -s "$tmp/out"
  check test ! -e "$(host "$dest_base\\Refused")"
}
variant route-char 's/^Route=.*/Route=01X5\r/'; refused "error: 'X' is not a valid integer value"
variant route-code 's/^Route=.*/Route=0175\r/'; refused 'error: Error in Setup.ini.  Setup will terminate'
variant route-end 's/^Route=.*/Route=0123\r/'; refused 'error: Error in Setup.ini.  Setup will terminate'
variant text 's/^Route=.*/Route=0125\r/' 's/^License=.*/License=gone.txt\r/'
refused 'error: Cannot open file .*gone\.txt'
variant space 's/^Route=.*/Route=25\r/' 's/^TotalSize=.*/TotalSize=1e30\r/'
refused 'error: You do not have enough space on drive:.:\\; Application Size: 1E30; Free space: [0-9.E]*'
variant title 's/^Title=.*/Title=\r/'
refused 'error: Title names no Uninstall key of its own: HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\'

# A name whose temporary copy passes MAX_PATH fails alike in both builds.
folder="$dest_base\\Refused\\"
long=$(printf 'n%.0s' $(seq $((260 - 5 - ${#folder}))))
variant long "s/^3=readme.txt,readme.txt,/3=readme.txt,$long,/"
tool install "$variant_arg" "${root_args[@]}" >/dev/null 2>"$tmp/err"
check test $? -eq 1
check grep -q "^error: I/O error 206: .*$long (copying " "$tmp/err"

# A FILES list cut by the 8,192-byte key list: a warning naming the entries
# that are never installed, and the installation of the others.
junk=(); for c in a b c d e f g h i; do junk+=("$(printf "$c%.0s" $(seq 1000))="); done
variant cut "/^2=ridsetup/a readme.txt,stray.txt,1,%APPPATH,Y\r" \
  "/^readme.txt,stray/a $(printf '%s\\r\\n' "${junk[@]}" | sed 's/\\n$//')"
tool install "$variant_arg" "${root_args[@]}" >/dev/null 2>"$tmp/err"
check test $? -eq 0
check grep -qx "warning: Setup.INI: the FILES key list is cut at 8192 bytes: 2 entries (i*, 3) will never be installed" "$tmp/err"
check grep -qx "warning: Setup.INI:17: FILES entry 'readme.txt,stray.txt,1,%APPPATH,Y' will never be installed: the line has no '='" "$tmp/err"
check test -f "$(host "$dest_base\\Refused\\ridsetup.exe")"
check test ! -e "$(host "$dest_base\\Refused\\readme.txt")"

# Usage errors.
tool install >/dev/null 2>&1; check test $? -eq 2
tool install "$medium_arg" "${root_args[@]}" --overwrite maybe >/dev/null 2>&1; check test $? -eq 2
if [ "$platform" = win32 ]; then
  tool install "$medium_arg" --root 'C:\x' >/dev/null 2>&1; check test $? -eq 2
else
  tool install "$medium_arg" >/dev/null 2>&1; check test $? -eq 2
fi
exit $fail
