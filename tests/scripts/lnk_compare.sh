#!/usr/bin/env bash
# Our link writer against the Windows shell link object (Wine): the same
# links written both ways must read the same in lnkinfo (local path,
# description, working directory, arguments, which texts are present).
# The side of this build links its core library; the other side is built
# from the sources here.
# usage: lnk_compare.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
for tool in lnkinfo wine winepath i686-w64-mingw32-g++-posix g++; do
  command -v "$tool" >/dev/null || missing "$tool"
done
. "$src/scripts/wine-env.sh"
[ -d "$WINEPREFIX" ] || missing "the Wine prefix $WINEPREFIX"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/wine" "$tmp/ours"
helper=$src/tests/scripts/lnk_write.cpp
flags=(-std=c++20 -Wall -Wextra -Werror -O1 -I"$src/src")
win32_libs=(-lole32 -loleaut32 -luuid -lshell32 -lcomctl32 -lcomdlg32 -llz32 -lversion -ladvapi32 -lgdi32 -luser32 -lwinmm)

if [ "$platform" = win32 ] && [ -f "$build/libtarvex_runtime.a" ]; then
  # Its objects carry link-time code too; this link takes their plain code.
  win_sources=("$build/libtarvex_runtime.a" -fno-use-linker-plugin)
else
  win_sources=("$src/src/platform/win32/ShellLink_win32.cpp" "$src/src/platform/win32/ComApartment_win32.cpp")
fi
if [ "$platform" = posix ] && [ -f "$build/libtarvex_runtime.a" ]; then
  native=(g++ "${flags[@]}" "$helper" "$build/libtarvex_runtime.a")
  # A sanitized core links only into a sanitized program.
  if grep -q '^TARVEX_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    native+=(-fsanitize=address,undefined)
  fi
else
  native=(g++ "${flags[@]}" -DTARVEX_LNK_BYTES_ONLY "$helper" "$src/src/formats/LnkWriter.cpp")
fi
"${native[@]}" -o "$tmp/lnk_write" || { echo "FAILED: building the native writer"; exit 1; }
i686-w64-mingw32-g++-posix "${flags[@]}" "$helper" "${win_sources[@]}" -static "${win32_libs[@]}" -o "$tmp/lnk_write.exe" \
  || { echo "FAILED: building the Windows writer"; exit 1; }

# link name, description, target, arguments, working directory
T=$'\t'
cat >"$tmp/cases" <<CASES
plain.lnk${T}Demo${T}C:\\Program Files\\Demo\\demo.exe${T}${T}
args.lnk${T}Demo 1.5${T}C:\\Program Files\\Demo\\demo.exe${T}/x "a b"  %MAINDIR%\\demo.ini -q${T}
workdir.lnk${T}Read me${T}C:\\Program Files\\Demo\\readme.txt${T}-a${T}C:\\Program Files\\Demo
deep.lnk${T}Deep one${T}C:\\a\\bc\\def\\ghij\\k.exe${T}"C:\\Program Files\\x y.txt"${T}C:\\a
root.lnk${T}${T}C:\\WINDOWS\\notepad.exe${T}${T}
unc.lnk${T}On a share${T}\\\\server\\share\\tool.exe${T}--share${T}
CASES

wine "$tmp/lnk_write.exe" "$tmp/cases" "$(winepath -w "$tmp/wine")" >/dev/null 2>"$tmp/wine.err" \
  || { echo "FAILED: Wine's writer"; cat "$tmp/wine.err"; exit 1; }
if [[ "${native[*]}" == *TARVEX_LNK_BYTES_ONLY* ]]; then out=$tmp/ours; else out=$(echo "$tmp/ours" | tr / '\\'); fi
"$tmp/lnk_write" "$tmp/cases" "$out" || { echo "FAILED: our writer"; exit 1; }

# The fields both must agree on, down to the names in the target's shell
# items (in any case: the shell spells folders that exist as they are on
# disk); volume serials, item kinds and times differ.
fields() {
  lnkinfo "$1" | grep -E $'^\t(Contains a|Local path|Description|Working directory|Command line arguments|Drive type)|^\t\t(Number of items|Name|Volume name)\t' \
    | sed -E $'/^\t\t(Name|Volume name)\t/ s/.*/\\L&/'
}
fail=0
while IFS=$'\t' read -r name _; do
  for side in wine ours; do
    [ -f "$tmp/$side/$name" ] || { echo "FAILED: $side wrote no $name"; fail=1; continue 2; }
  done
  if ! diff -u --label "wine/$name" --label "ours/$name" <(fields "$tmp/wine/$name") <(fields "$tmp/ours/$name"); then
    echo "FAILED: $name reads differently"
    fail=1
  elif ! fields "$tmp/ours/$name" | grep -q 'Local path'; then
    echo "FAILED: lnkinfo shows no local path in $name"
    fail=1
  fi
done <"$tmp/cases"
[ $fail = 0 ] && echo "all $(wc -l <"$tmp/cases") links read the same"
exit $fail
