#!/usr/bin/env bash
# Puts the licence's SPDX line into the first comment of every source file git
# tracks (C++, Python, shell, CMake): "// SPDX-License-Identifier: MPL-2.0"
# as the first line of C++ files, "# SPDX-License-Identifier: MPL-2.0" as the
# first line of the others, or right after their "#!" line. A file that has
# the line in its first lines already is left alone, so running it again
# changes nothing.
#
# usage: scripts/add-spdx.sh [--check]
#   --check  change nothing; list the files without the line and exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
[ "${1:-}" = "--check" ] && check=true

tag="SPDX-License-Identifier: MPL-2.0"
missing=0
while IFS= read -r -d '' file; do
  case "$file" in
    *.cpp | *.h) line="// $tag" ;;
    *.py | *.sh | *CMakeLists.txt | *.cmake) line="# $tag" ;;
    *) continue ;;
  esac
  head -n 3 -- "$file" | grep -q "SPDX-License-Identifier:" && continue
  missing=$((missing + 1))
  if $check; then
    echo "$file"
    continue
  fi
  if head -n 1 -- "$file" | grep -q '^#!'; then
    sed -i "1a\\$line" -- "$file"
  elif [ -s "$file" ]; then
    sed -i "1i\\$line" -- "$file"
  else
    printf '%s\n' "$line" >"$file"
  fi
done < <(git ls-files -z)

if $check && [ "$missing" -gt 0 ]; then
  echo "add-spdx: $missing files lack \"$tag\"" >&2
  exit 1
fi
exit 0
