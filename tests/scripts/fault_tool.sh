#!/usr/bin/env bash
# Odd and broken input through the tool: each case fails at once with its
# message and exit code, and leaves nothing behind that it should not.
# usage: fault_tool.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
TOOL_TIMEOUT=60 . "$src/tests/scripts/lib/tool.sh"
io=$tmp/io # the script's own files
mkdir "$io"
dest_args=()
if [ "$platform" = win32 ]; then
    mkdir "$tmp/dest"
    dest_args=(--directory "$(w "$tmp/dest")") # not the prefix's Program Files
fi

# expect CODE PATTERN ARGS...: the tool exits with CODE (124: it hung) and
# one line of its stderr matches the extended PATTERN whole.
expect() {
    local code=$1 pattern=$2
    shift 2
    tool "$@" >"$io/out" 2>"$io/err"
    local got=$?
    grep -v '^wine: ' "$io/err" >"$io/err.own"
    [ "$got" = "$code" ] || failed "$*: exit code $got, not $code: $(cat "$io/err.own")"
    grep -Eqx -- "$pattern" "$io/err.own" || failed "$*: stderr: $(cat "$io/err.own")"
}
# Everything under the scratch folder but the machine root, with times.
outside_root() { find "$tmp" \( -path "$tmp/root" -o -path "$io" \) -prune -o -printf '%p %s %T@ %C@\n' | sort; }

general() { # TITLE ROUTE: a complete GENERAL section
    printf '[GENERAL]\r\nTitle=%s\r\nExecutable=a.exe\r\nReadMe=\r\nLicense=\r\nDirectory=%%PROGRAMFILES\r\n' "$1"
    printf 'NewDirectory=%s\r\nStartMenu=%%PROGRAMDIR\r\nNewMenu=%s\r\nTotalSize=100\r\nRoute=%s\r\n' "$1" "$1" "$2"
    printf 'Run=\r\nRun Description=\r\n[DIRECTORIES]\r\n1=%%APPPATH\r\n'
}

# A Setup.INI that cannot be read: the wizard's message, then the file and
# the cause (the wizard itself keeps the bare message).
ini="Unable to read GENERAL section of ini file"
expect 1 "error: $ini: .*none\.ini: file not found" dump "$(w "$tmp/none.ini")"
mkdir "$tmp/folder.ini"
expect 1 "error: $ini: .*folder\.ini: is a folder" dump "$(w "$tmp/folder.ini")"
printf '[GENERAL]\r\nTitle=x\r\nRoute=5\r\n' >"$tmp/incomplete.ini"
expect 1 "error: $ini: .*incomplete\.ini: missing Executable, ReadMe, License, Directory, NewDirectory, StartMenu, NewMenu, Run, Run Description, TotalSize" \
    dump "$(w "$tmp/incomplete.ini")"
mkdir -p "$tmp/nothing"
expect 1 "error: $ini: .*Setup\.INI: file not found" install "$(w "$tmp/nothing")" "${root_args[@]}"
mkdir -p "$tmp/folder-medium/Setup.INI"
tool check "$(w "$tmp/folder-medium")" "${root_args[@]}" >"$io/out" 2>/dev/null
[ $? = 1 ] || failed "check of a Setup.INI folder: exit code"
grep -Eqx "Setup\.INI: error: $ini: .*Setup\.INI: is a folder" "$io/out" || failed "check of a Setup.INI folder: $(cat "$io/out")"
if [ "$platform" != win32 ]; then
    mkfifo "$tmp/fifo.ini" "$tmp/fifo-medium-Setup.INI"
    expect 1 "error: $ini: .*fifo\.ini: not a regular file" dump "$tmp/fifo.ini"
    mkdir "$tmp/fifo-medium" && mv "$tmp/fifo-medium-Setup.INI" "$tmp/fifo-medium/Setup.INI"
    tool check "$tmp/fifo-medium" "${root_args[@]}" >"$io/out" 2>/dev/null
    grep -Eqx "Setup\.INI: error: $ini: .*: not a regular file" "$io/out" || failed "check of a FIFO: $(cat "$io/out")"
fi

# check's report shows control bytes from Setup.INI as \xNN: no terminal
# escape passes through.
mkdir -p "$tmp/escapes"
{ general "Esc" 2345; printf '[FILES]\r\n1=a\033[2Jb\001.exe,a.exe,1,%%APPPATH,N\r\n'; } >"$tmp/escapes/Setup.INI"
tool check "$(w "$tmp/escapes")" "${root_args[@]}" >"$io/out" 2>/dev/null
grep -Fq "'a\\x1b[2Jb\\x01.exe' is not on the medium" "$io/out" || failed "escapes: $(cat -A "$io/out")"
if LC_ALL=C grep -q "$(printf '[\001-\010\016-\037]')" "$io/out"; then failed "escapes: a control byte passed: $(cat -A "$io/out")"; fi

# A copy that fails names the medium file and the temporary copy; nothing
# outside the machine root changes.
mkdir -p "$tmp/copy1" "$tmp/copy2"
{ general "FaultCopy$$" 5; printf '[FILES]\r\n1=nodir\\x.txt,x.txt,1,%%APPPATH,N\r\n'; } >"$tmp/copy1/Setup.INI"
{ general "FaultCopy$$" 5; printf '[FILES]\r\n1=bad.ex_,bad.exe,1,%%APPPATH,N\r\n'; } >"$tmp/copy2/Setup.INI"
# An LZ header that declares 100 bytes over a few.
printf 'SZDD\x88\xf0\x27\x33Ae\x64\x00\x00\x00\xffabc' >"$tmp/copy2/bad.ex_"
before=$(outside_root)
expect 1 'error: Invalid filename: .*copy1.*nodir.x\.txt \(copying to .*\\x\.txt\)' \
    install "$(w "$tmp/copy1")" "${root_args[@]}" "${dest_args[@]}"
expect 1 'error: Unable to uncompress or copy: .*\\bad\.exe \(from .*copy2.*bad\.ex_\)' \
    install "$(w "$tmp/copy2")" "${root_args[@]}" "${dest_args[@]}"
[ "$platform" = win32 ] || [ "$(outside_root)" = "$before" ] || failed "install wrote outside the machine root"

# compress refuses a folder, a FIFO and a file too large for the format's
# 32-bit length before reading it, and writes no output.
expect 1 "error: Cannot compress .*folder\.ini: is a folder" compress "$(w "$tmp/folder.ini")" "$(w "$tmp/out.z")"
truncate -s 5G "$tmp/huge.bin"
expect 1 "error: Cannot compress .*huge\.bin: too large for the LZ format: 5368709120 bytes, the most is 4294967295" \
    compress "$(w "$tmp/huge.bin")" "$(w "$tmp/out.z")"
rm -f "$tmp/huge.bin"
if [ "$platform" != win32 ]; then
    mkfifo "$tmp/fifo.bin"
    expect 1 "error: Cannot compress .*fifo\.bin: not a regular file" compress "$tmp/fifo.bin" "$tmp/out.z"
fi
[ ! -e "$tmp/out.z" ] || failed "compress left an output behind"

# pack lists every bad name in one run, and writes no medium.
mkdir -p "$tmp/tree/sub"
printf 'program' >"$tmp/tree/prog.exe"
for name in 'a,b.txt' '%WINDIR.txt' 'sub/c,d.txt'; do printf 'x' >"$tmp/tree/$name"; done
expect 1 "error: 3 problems in the source tree:" pack "$(w "$tmp/tree")" "$(w "$tmp/medium")" --title T --no-setup "${root_args[@]}"
for name in "a,b.txt" "%WINDIR.txt" "sub.c,d.txt"; do
    grep -Eq "^  '$name': " "$io/err.own" || failed "pack did not name $name: $(cat "$io/err.own")"
done
rm -f "$tmp/tree/a,b.txt" "$tmp/tree/%WINDIR.txt" "$tmp/tree/sub/c,d.txt"
if [ "$platform" != win32 ]; then
    # A link loop is named, not followed; a link to a folder is left out.
    ln -s loop "$tmp/tree/loop"
    ln -s .. "$tmp/tree/sub/up"
    expect 1 "error: 'loop': a link that leads nowhere, or round in a loop" \
        pack "$tmp/tree" "$tmp/medium" --title T --no-setup "${root_args[@]}"
    rm "$tmp/tree/loop"
fi
# A medium that fails its check is not written.
expect 1 "error: the medium fails its check; nothing was written to .*medium" \
    pack "$(w "$tmp/tree")" "$(w "$tmp/medium")" --title T --no-setup --registry 'HKEY_BOGUS,Software\T\V,x' "${root_args[@]}"
grep -q "unknown root 'HKEY_BOGUS'" "$io/out" || failed "pack's report: $(cat "$io/out")"
[ ! -e "$tmp/medium" ] || failed "pack left a medium that fails its check"
ls -a "$tmp" | grep -q '~tvx' && failed "pack left its work folder: $(ls -a "$tmp")"

# pack's memory is a buffer's, not a file's (natively, where it can be told).
# (Not under the sanitizers, whose own memory would be measured.)
if [ "$platform" != win32 ] && [ -x /usr/bin/time ] && ! grep -qx 'TARVEX_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    mkdir -p "$tmp/big"
    head -c 18000000 /dev/urandom | base64 >"$tmp/big/data.txt" # 24 MiB of text
    /usr/bin/time -f '%M' -o "$io/rss" "$build/tarvex" pack "$tmp/big" "$tmp/big-medium" --title B --no-setup \
        "${root_args[@]}" >/dev/null 2>&1 || failed "pack of a large file: exit code"
    [ "$(tail -1 "$io/rss")" -lt 24000 ] || failed "pack of a 24 MiB file peaked at $(tail -1 "$io/rss") KiB"
fi

# Help is asked for: standard output, exit 0. A usage error: stderr, exit 2.
for args in "--help" "-h" "dump --help"; do
    tool $args >"$io/out" 2>"$io/err"
    [ $? = 0 ] && grep -q '^usage:' "$io/out" && [ ! -s "$io/err" ] || failed "tarvex $args: $(cat "$io/out" "$io/err")"
done
grep -q 'tarvex pack' "$io/out" && failed "dump --help shows other commands"
# Every command reads its arguments alike: help anywhere among them shows
# its own usage alone, and an unknown option is a usage error.
for command in $(tool --help | sed -n 's/^  tarvex \([a-z]*\).*/\1/p'); do
    tool "$command" x --help >"$io/out" 2>"$io/err"
    [ $? = 0 ] && [ "$(grep -c '^  tarvex ' "$io/out")" = 1 ] && grep -q "^  tarvex $command " "$io/out" &&
        [ ! -s "$io/err" ] || failed "tarvex $command x --help: $(cat "$io/out" "$io/err")"
    expect 2 "usage:" "$command" x y --no-such-option
done
expect 2 "usage:" dump
expect 2 "usage:" frobnicate
exit $fail
