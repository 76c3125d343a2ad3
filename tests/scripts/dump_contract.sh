#!/usr/bin/env bash
# `tarvex dump` keeps its output contract: the same JSON from both builds
# (checked against one expected file per description), errors on stderr only.
# usage: dump_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -uo pipefail
platform=$1 build=$2 src=$3
if [ "$platform" = win32 ]; then
  . "$src/scripts/wine-env.sh"
  run() { local args=("$@"); [ ${#args[@]} -ge 2 ] && args[1]=$(winepath -w "${args[1]}" 2>/dev/null); wine "$build/tarvex.exe" "${args[@]}"; }
else
  run() { "$build/tarvex" "$@"; }
fi
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for ini in "$src"/tests/data/dump/*.ini; do
  expected=${ini%.ini}.json
  run dump "$ini" >"$tmp/out" 2>"$tmp/err"
  check test $? -eq 0
  check cmp -s "$expected" "$tmp/out"
  check test ! -s "$tmp/err"
done

# Hostile descriptions: whatever dump and check --json print parses as
# strict JSON (no NaN or Infinity, valid UTF-8), dump keeps its keys in
# order with TotalSize a finite number, and a refusal prints no JSON at all.
python3 - "$tmp/hostile" <<'PY'
import os, sys
out = sys.argv[1]
general = [b'Title=Hostile', b'Executable=x', b'ReadMe=r', b'License=l', b'Directory=%PROGRAMFILES',
           b'NewDirectory=n', b'StartMenu=%PROGRAMDIR', b'NewMenu=m', b'TotalSize=1', b'Route=5', b'Run=',
           b'Run Description=']
def write(name, changes, lists=b''):
    lines = [changes.get(l.split(b'=')[0], l) for l in general]
    os.makedirs(os.path.join(out, name))
    with open(os.path.join(out, name, 'Setup.INI'), 'wb') as f:
        f.write(b'[GENERAL]\r\n' + b'\r\n'.join(lines) + b'\r\n' + lists)
for i, size in enumerate([b'1e400', b'-1e400', b'1e-400', b'123456789012345678901234567890']):
    write('size%d' % i, {b'TotalSize': b'TotalSize=' + size})
write('controls', {b'Title': b'Title=a\x01\x08\x0c\x1b\x1f\x7f"q"\\b\tc'})
write('cp1252', {b'Title': b'Title=\x80\x81\x8d\x8f\x90\x9d\xff\xc3\x28\xed\xa0\x80'})
write('nul', {b'Title': b'Title=before\x00after'})
write('lists', {}, b'[FILES]\r\n1=\x01a,b\x1b,1,%APPPATH\\\x7f,Y\r\n[REGISTRY]\r\n1=HKEY_USERS,\\\x02,"\\\r\n'
      b'[ICONS]\r\n1=\x9d,\x81,\x00\r\n[DIRECTORIES]\r\n1=%APPPATH\\\x05\r\n')
os.makedirs(os.path.join(out, 'folder', 'Setup.INI'))
PY
cat >"$tmp/strict.py" <<'PY'
import json, math, sys
def refuse(name): raise ValueError("not JSON: " + name)
data = json.loads(open(sys.argv[1], 'rb').read().decode('utf-8'), parse_constant=refuse)
if sys.argv[2] == 'dump':
    keys = ["Title", "Executable", "ReadMe", "License", "Directory", "NewDirectory", "StartMenu", "NewMenu",
            "TotalSize", "Route", "Run", "RunDescription", "Files", "Icons", "Directories", "Registry"]
    assert list(data) == keys, list(data)
    size = data["TotalSize"]
    assert isinstance(size, (int, float)) and not isinstance(size, bool) and math.isfinite(size), size
    if len(sys.argv) > 3: assert size == float(sys.argv[3]), size
PY
for medium in "$tmp"/hostile/*; do
  name=${medium##*/}
  run dump "$medium/Setup.INI" >"$tmp/out" 2>"$tmp/err"; rc=$?
  if [ "$name" = folder ]; then
    check test $rc -eq 1
    check test ! -s "$tmp/out"
    check test "$(grep -c '^error: ' "$tmp/err")" -eq 1
  else
    check test $rc -eq 0
    check python3 "$tmp/strict.py" "$tmp/out" dump
  fi
  run check "$medium" --json >"$tmp/out" 2>"$tmp/err"
  check test $? -le 1
  check python3 "$tmp/strict.py" "$tmp/out" check
done
# Past the double range: the largest double, a number every reader takes.
run dump "$tmp/hostile/size0/Setup.INI" >"$tmp/out" 2>/dev/null
check python3 "$tmp/strict.py" "$tmp/out" dump 1.7976931348623157e+308
run dump "$tmp/hostile/size1/Setup.INI" >"$tmp/out" 2>/dev/null
check python3 "$tmp/strict.py" "$tmp/out" dump -1.7976931348623157e+308

# A reading failure: nothing on stdout, one error line, exit 1.
printf '[GENERAL]\r\nTitle=x\r\n' >"$tmp/bad.ini"
run dump "$tmp/bad.ini" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 1
check test ! -s "$tmp/out"
check grep -qx "error: Unable to read GENERAL section of ini file: .*bad.ini: missing Executable, .*, TotalSize" "$tmp/err"

# Usage errors exit 2.
run dump >"$tmp/out" 2>"$tmp/err"
check test $? -eq 2
run frobnicate x >"$tmp/out" 2>"$tmp/err"
check test $? -eq 2
check grep -q "usage" "$tmp/err"
exit $fail
