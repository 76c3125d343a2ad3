#!/usr/bin/env bash
# Lays out the demo installation medium: OUT gets Setup.INI, the texts, the
# product files (demo.exe LZ-compressed as demo.ex_) and setup.exe.
# usage: make-medium.sh OUT DEMO_EXE RIDSETUP_EXE [SETUP_EXE]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$1 demo_exe=$2 ridsetup_exe=$3 setup_exe=${4:-}
rm -rf "$out"
mkdir -p "$out"
cp "$here/demo/Setup.INI" "$here/demo/readme.txt" "$here/demo/license.rtf" "$here/demo/files/manual.txt" "$out/"
cp "$ridsetup_exe" "$out/ridsetup.exe"
# mscompress writes NAME_ beside its input.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$demo_exe" "$tmp/demo.exe"
mscompress "$tmp/demo.exe"
mv "$tmp/demo.exe_" "$out/demo.ex_"
if [ -n "$setup_exe" ]; then cp "$setup_exe" "$out/setup.exe"; fi
