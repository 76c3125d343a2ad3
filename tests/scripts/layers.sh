#!/usr/bin/env bash
# The include layering of src/ (docs/architecture.md): each folder includes
# only the folders below it in the table, no header includes itself again
# through others, and only src/platform/ includes system headers (an
# angle-bracket name with an extension: <windows.h>, <unistd.h>, ...).
# Usage: layers.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native
set -uo pipefail
src=${3:?usage: layers.sh PLATFORM BUILD_DIR SOURCE_DIR}/src

# What each folder may include besides itself. A folder missing here fails:
# a new one takes its place in the table on purpose.
declare -A may=(
  [base]=""
  [formats]="base"
  [platform]="base"
  [platform/posix]="base formats platform"
  [platform/win32]="base formats platform"
  [medium]="base formats platform"
  [setup_description]="base platform"
  [paths]="base platform setup_description"
  [engine]="base platform setup_description paths"
  [components]="base platform"
  [wizard]="base platform setup_description paths engine components"
  [authoring]="base formats platform setup_description paths engine"
  [tools]="base formats platform setup_description paths engine authoring"
  [entry]="base platform setup_description paths engine components wizard medium"
  [testing]="base platform platform/posix"
)

# The folder a path under src/ belongs to.
folder() {
  case $1 in
    platform/posix/*) echo platform/posix ;;
    platform/win32/*) echo platform/win32 ;;
    *) echo "${1%%/*}" ;;
  esac
}

status=0
pairs=$(mktemp)
trap 'rm -f "$pairs"' EXIT
cd "$src" || exit 1
while IFS= read -r file; do
  from=$(folder "$file")
  if [ -z "${may[$from]+set}" ]; then
    echo "$file: folder $from has no place in the layer table"
    status=1
    continue
  fi
  while IFS= read -r line; do
    number=${line%%:*}
    text=${line#*:}
    if [[ $text =~ ^#include\ \"([^\"]+)\" ]]; then
      target=${BASH_REMATCH[1]}
      if [ ! -f "$target" ]; then
        echo "$file:$number: includes $target, which is not under src/"
        status=1
        continue
      fi
      echo "$file $target" >> "$pairs"
      to=$(folder "$target")
      [ "$to" = "$from" ] && continue
      if [[ " ${may[$from]} " != *" $to "* ]]; then
        echo "$file:$number: $from may not include $to ($target)"
        status=1
      fi
    elif [[ $text =~ ^#include\ \<([^\>]+\.[a-z]+)\> ]] && [[ $from != platform* ]]; then
      echo "$file:$number: system header <${BASH_REMATCH[1]}> outside src/platform/"
      status=1
    fi
  done < <(grep -n '^#include' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

# A circle of includes among the files themselves.
if ! tsort "$pairs" > /dev/null 2> "$pairs.loop"; then
  echo "includes that go around in a circle:"
  grep -v 'input contains a loop' "$pairs.loop" | sed 's/^tsort: /  /'
  status=1
fi
rm -f "$pairs.loop"

[ $status = 0 ] && echo "include layering holds ($(wc -l < "$pairs") includes)"
exit $status
