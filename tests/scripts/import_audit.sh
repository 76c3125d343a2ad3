#!/usr/bin/env bash
# The programs' load-time imports against the first Windows versions that
# export them: setup.exe, ridsetup.exe and a one-file installer on Windows
# 98 SE and NT 4.0, the tool on XP; and the audit refuses a program that
# links a Vista function.
# usage: import_audit.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
. "$src/scripts/wine-env.sh"
audit=("$src/scripts/import_audit.py")
fail=0
check() { # name, command...
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; fail=1; fi
}

check "setup.exe and ridsetup.exe on Windows 98 SE and NT 4.0" \
  "${audit[@]}" --target win98se --target nt4 "$build/setup.exe" "$build/ridsetup.exe"
check "tarvex.exe on Windows XP" "${audit[@]}" --target xp "$build/tarvex.exe"

tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
# A one-file installer is setup.exe with its medium after it: the same imports.
[ -f "$build/demo-medium/Setup.INI" ] || missing "the demo medium"
# Paths on Wine's Z: drive by hand: winepath would start Wine without the
# display the window suites need from the same server.
zpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); p=${p//\//\\}; echo "Z:$p"; }
check "the demo as one file made" "$src/scripts/wine-run.sh" "$build/tarvex.exe" bundle \
  "$(zpath "$build/demo-medium")" "$(zpath "$tmp/one.exe")"
check "the one-file installer on Windows 98 SE and NT 4.0" \
  "${audit[@]}" --target win98se --target nt4 "$tmp/one.exe"

out=$("${audit[@]}" --target xp "$build/tests/vista_import_probe.exe"); rc=$?
echo "$out"
check "a Vista import fails the audit" [ "$rc" = 1 ]
check "both Vista imports named" grep -q 'kernel32.dll!GetTickCount64 (first: vista)' <<<"$out"
check "  ... the condition variable too" grep -q 'kernel32.dll!InitializeConditionVariable (first: vista)' <<<"$out"

# An import the list does not know fails rather than passes.
grep -v ' CreateThread ' "$src/scripts/win32-first-exports.txt" >"$tmp/list.txt"
out=$("${audit[@]}" --data "$tmp/list.txt" --target nt4 "$build/setup.exe"); rc=$?
check "an import missing from the list fails" [ "$rc" = 1 ]
check "  ... and is named" grep -q 'kernel32.dll!CreateThread (not in the list)' <<<"$out"
printf 'MZ not a program' >"$tmp/short.exe"
"${audit[@]}" --target xp "$tmp/short.exe" 2>"$tmp/err"; rc=$?
check "a damaged file is an error, not a pass" [ "$rc" = 2 ]
printf 'kernel32.dll GetTickCount64 - longhorn\n' >"$tmp/list.txt"
"${audit[@]}" --data "$tmp/list.txt" --target xp "$build/setup.exe" 2>"$tmp/err"; rc=$?
check "a list with an unknown version is refused" [ "$rc" = 2 ]
exit $fail
