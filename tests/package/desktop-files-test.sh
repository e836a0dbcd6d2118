#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Checks the desktop integration files a build makes, as a desktop and
# software centres read them: the desktop entry (desktop-file-validate), the
# AppStream metainfo (appstreamcli, without network), the man page (groff
# with every warning) and the icon's PNG sizes.
#
# usage: desktop-files-test.sh BUILD/packaging APP_ID
set -uo pipefail
dir=${1:?usage: desktop-files-test.sh BUILD/packaging APP_ID}
id=${2:?usage: desktop-files-test.sh BUILD/packaging APP_ID}
failed=0
fail() { echo "desktop-files: FAIL: $*"; failed=1; }

for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "desktop-files: $tool is missing (scripts/setup-debian.sh installs it)"; exit 1; }
done

desktop-file-validate "$dir/$id.desktop" || fail "desktop-file-validate $id.desktop"
appstreamcli validate --no-net "$dir/$id.metainfo.xml" || fail "appstreamcli validate $id.metainfo.xml"

warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$dir/tallowin.1" 2>&1)
[ -z "$warnings" ] || fail "groff warns about tallowin.1: $warnings"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 32 48 64 128 256; do
  png="$dir/icons/${size}x${size}/$id.png"
  [ -f "$png" ] || { fail "$png is missing"; continue; }
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(( (w1 << 24) | (w2 << 16) | (w3 << 8) | w4 )); h=$(( (h1 << 24) | (h2 << 16) | (h3 << 8) | h4 ))
  [ "$w" -eq "$size" ] && [ "$h" -eq "$size" ] || fail "$png is ${w}x${h}"
done

[ "$failed" -eq 0 ] && echo "desktop-files: ok"
exit "$failed"
