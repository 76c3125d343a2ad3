# Sourced by the suites that drive the tarvex tool in either build, after
# platform, build and src are set: a scratch folder $tmp removed at exit,
# failed() that marks the run ($fail), w() giving the path the tool takes,
# tool() running it (under `timeout $TOOL_TIMEOUT` when that is set), and
# root_args: the machine root the native tool needs, none under Wine.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
failed() { echo "FAIL (line ${BASH_LINENO[0]}): $*"; fail=1; }
runner=()
[ -n "${TOOL_TIMEOUT:-}" ] && runner=(timeout "$TOOL_TIMEOUT")
if [ "$platform" = win32 ]; then
    . "$src/scripts/wine-env.sh"
    w() { winepath -w "$1" 2>/dev/null; }
    tool() { "${runner[@]}" wine "$build/tarvex.exe" "$@"; }
    root_args=()
else
    w() { echo "$1"; }
    tool() { "${runner[@]}" "$build/tarvex" "$@"; }
    root_args=(--root "$tmp/root")
fi
