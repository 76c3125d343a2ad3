#!/usr/bin/env bash
# Faults the tool must refuse or survive without harm: `expand` over a damaged
# source or onto its own source, FILES sources outside the medium, an empty
# --root, and (natively) every path of an installation that would lead out of
# the machine root. For each write case nothing outside ROOT may change.
# usage: fault_confine.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/tool.sh"
sb=$tmp/sb # the sandbox: ROOT, the medium, and sentinels where escapes would land
mkdir "$sb"
# EXIT_CODE ERROR_LINE_PATTERN WHAT: the last run's outcome ($rc, $tmp/err);
# an empty pattern asks for nothing on stderr.
expect() {
    [ "$rc" = "$1" ] || failed "$3: exit code $rc, expected $1"
    local err
    err=$(grep -v '^wine: ' "$tmp/err")
    if [ -z "$2" ]; then
        [ -z "$err" ] || failed "$3: stderr [$err]"
    else
        grep -qE "$2" <<<"$err" || failed "$3: stderr [$err] lacks /$2/"
    fi
}
szdd() { # LENGTH DATA: an SZDD file declaring LENGTH over literal DATA
    printf 'SZDD\x88\xf0\x27\x33A\x00'
    printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x00\\x00"
    printf '\xff%s' "$2"
}

# --- expand: the destination is replaced whole or not at all -----------------
x=$sb/expand
mkdir -p "$x"
szdd 8 abcdefgh > "$x/good_"
szdd 9 abc > "$x/short_"
printf 'precious' > "$x/dest"

tool expand "$(w "$x/short_")" "$(w "$x/dest")" 2>"$tmp/err"; rc=$?
expect 1 '^error: .*compressed data ends before its declared length' "damaged source"
[ "$(cat "$x/dest")" = precious ] || failed "a damaged source changed the destination"
tool expand "$(w "$x/missing_")" "$(w "$x/dest")" 2>"$tmp/err"; rc=$?
expect 1 '^error: .*File not found' "missing source"
[ "$(cat "$x/dest")" = precious ] || failed "a missing source changed the destination"
tool expand "$(w "$x/good_")" "$(w "$x/nowhere/dest")" 2>"$tmp/err"; rc=$?
expect 1 '^error: .*nowhere.dest: ' "destination folder missing"
tool expand "$(w "$x/good_")" "$(w "$x/dest")" 2>"$tmp/err"; rc=$?
expect 0 '' "expanding over an existing file"
[ "$(cat "$x/dest")" = abcdefgh ] || failed "the destination was not replaced: $(cat "$x/dest")"
[ -z "$(find "$x" -name '*.~tvx')" ] || failed "a temporary file stayed: $(find "$x" -name '*.~tvx')"

# One file under two names: refused, and the file is whole afterwards.
cp "$x/good_" "$x/self_"
ln "$x/self_" "$x/hardlink_"
mkdir -p "$x/sub"
same_names=("$(w "$x/self_")" "$(w "$x/sub")/../self_" "$(w "$x/hardlink_")")
if [ "$platform" = win32 ]; then
    same_names+=("$(w "$x/SELF_")") # names ignore case on Windows
else
    ln -s self_ "$x/symlink_"
    same_names+=("$x/symlink_")
fi
for other in "${same_names[@]}"; do
    tool expand "$(w "$x/self_")" "$other" 2>"$tmp/err"; rc=$?
    expect 1 '^error: Source and destination are the same file: ' "expand onto itself as $other"
    cmp -s "$x/self_" "$x/good_" || failed "expanding onto itself as $other damaged the file"
done
[ -z "$(find "$x" -name '*.~tvx')" ] || failed "a temporary file stayed: $(find "$x" -name '*.~tvx')"

# --- installations ------------------------------------------------------------
# The medium lies two folders deep, so that a source ..\..\secret would be
# $sb/secret; the tool runs two folders deep, so that ..\..\x would be $sb/x.
medium=$sb/media/medium
root=$sb/root
mkdir -p "$medium" "$sb/work/deeper/reldir" "$sb/victim" "$sb/somewhere" "$sb/home"
printf 'sentinel' | tee "$sb/secret" "$sb/x" "$sb/victim/a.txt" "$sb/somewhere/Install.log" >/dev/null
printf 'product file' > "$medium/a.txt"
printf 'readme' > "$medium/readme.txt"
bsb=${sb//\//\\} # the sandbox as a rooted path with backslashes
# DIRECTORY NEW_DIRECTORY FILES_LINE...: Setup.INI on the medium.
setup_ini() {
    local dir=$1 new=$2
    shift 2
    {
        printf '%s\r\n' '[GENERAL]' 'Title=Fault' 'Executable=a.txt' 'ReadMe=readme.txt' 'License=readme.txt' \
            "Directory=$dir" "NewDirectory=$new" 'StartMenu=%PROGRAMDIR' 'NewMenu=Fault' 'TotalSize=1' 'Route=5' \
            'Run=' 'Run Description=' '[FILES]'
        local n=0 line
        for line in "$@"; do n=$((n + 1)); printf '%s\r\n' "$n=$line"; done
        printf '%s\r\n' '[DIRECTORIES]' '1=%APPPATH'
    } > "$medium/Setup.INI"
}
fresh_root() { rm -rf "$root" && mkdir "$root"; } # made before the listing, so the sandbox keeps its entries
outside() { find "$sb" -path "$root" -prune -o -printf '%p %C@ %s\n' | sort; }
# Runs the tool two folders deep with HOME in the sandbox; then nothing
# outside ROOT may have changed.
confined() { # WHAT ARGS...
    local what=$1
    shift
    outside > "$tmp/before"
    (cd "$sb/work/deeper" && HOME="$sb/home" tool "$@" >/dev/null 2>"$tmp/err"); rc=$?
    outside > "$tmp/after"
    diff "$tmp/before" "$tmp/after" >"$tmp/diff" || failed "$what changed files outside ROOT: $(cat "$tmp/diff")"
}

# Sources that leave the medium: refused before anything is written, by
# install and by check, in both builds.
for source in '..\..\secret' '../../secret' 'sub\..\..\..\secret' 'C:\secret'; do
    setup_ini '%PROGRAMFILES' "Fault$$" "$source,a.txt,1,%APPPATH,N"
    if [ "$platform" = win32 ]; then
        tool install "$(w "$medium")" >/dev/null 2>"$tmp/err"; rc=$?
    else
        fresh_root
        confined "source $source" install "$medium" --root "$root"
        [ ! -e "$root/drive_c/Program Files/Fault$$" ] || failed "source $source: the installation began"
        [ -z "$(grep -rl sentinel "$root")" ] || failed "source $source: the secret was copied into ROOT"
    fi
    expect 1 "^error: Source file outside the medium: ${source//\\/\\\\}\$" "source $source"
    tool check "$(w "$medium")" >"$tmp/out" 2>/dev/null; rc=$?
    [ "$rc" = 1 ] || failed "check passes source $source"
    grep -qF "[FILES] 1: '$source' lies outside the medium" "$tmp/out" || failed "check on $source: $(cat "$tmp/out")"
done
tool check "$(w "$medium")" --json >"$tmp/out" 2>/dev/null
grep -q '"code":"source-outside"' "$tmp/out" || failed "check --json: $(cat "$tmp/out")"

[ "$platform" = win32 ] && exit $fail

# No default machine: the root is named, and named non-empty.
setup_ini 'C:\Fault' Product 'a.txt,a.txt,1,%APPPATH,N'
confined "install without --root" install "$medium"
[ "$rc" = 2 ] || failed "install without --root: exit $rc"
confined "install --root ''" install "$medium" --root ''
[ "$rc" = 2 ] || failed "install --root '': exit $rc"
confined "check --root ''" check "$medium" --root ''
[ "$rc" = 2 ] || failed "check --root '': exit $rc"

# Destinations written in every way that once led to the host: each lands on
# drive C: of the machine. The folders they name exist there as on the host.
for dest in "$bsb\\victim" "$sb/victim" "..\\..\\victim"; do
    rm -rf "$root"
    mkdir -p "$root/drive_c/Fault" "$root/drive_c$sb/victim" "$root/drive_c/victim"
    setup_ini 'C:\Fault' Product "a.txt,a.txt,1,$dest,N"
    confined "FILES destination $dest" install "$medium" --root "$root"
    expect 0 '' "FILES destination $dest"
    case $dest in
        ..*) landed=$root/drive_c/victim/a.txt ;;
        *) landed=$root/drive_c$sb/victim/a.txt ;;
    esac
    [ "$(cat "$landed" 2>/dev/null)" = "product file" ] || failed "FILES destination $dest: not at $landed"
done

# Product folders outside the machine's existing folders: refused by the
# machine, whatever the host holds.
for dir in "$bsb\\somewhere" "$sb/somewhere" 'reldir' '..\..\somewhere'; do
    fresh_root
    setup_ini "$dir" Product 'a.txt,a.txt,1,%APPPATH,N'
    confined "Directory=$dir" install "$medium" --root "$root"
    expect 1 "^error: Unable to create path: " "Directory=$dir"
done

# ".." in NewDirectory stops at the root of drive C:.
fresh_root
setup_ini 'C:\Program Files' '..\..\..\..\..\..\..\..\..\..\escaped' 'a.txt,a.txt,1,%APPPATH,N'
confined "NewDirectory with .." install "$medium" --root "$root"
expect 0 '' "NewDirectory with .."
[ -f "$root/drive_c/escaped/a.txt" ] && [ -f "$root/drive_c/escaped/Install.log" ] ||
    failed "NewDirectory with ..: the product is not in C:\\escaped"
exit $fail
