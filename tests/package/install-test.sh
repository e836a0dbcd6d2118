#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Installs the build with `cmake --install` into a temporary folder and checks
# what lands where, and that the installed program answers --help, --version
# and a wrong option at once: with no display (and Qt told to use X11, which
# would end the program if it started its windows) and without starting the
# office (its run folder would appear in TMPDIR).
#
# usage: install-test.sh BUILD_DIR APP_ID
set -uo pipefail
build=${1:?usage: install-test.sh BUILD_DIR APP_ID}
id=${2:?usage: install-test.sh BUILD_DIR APP_ID}
failed=0
fail() { echo "install: FAIL: $*"; failed=1; }

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$dest.log" 2>&1; then
  cat "$dest.log"; rm -f "$dest.log"; echo "install: FAIL: cmake --install"; exit 1
fi
rm -f "$dest.log"

usr="$dest/usr"
for f in bin/tallowin libexec/tallowin/tallowin-picture-reader share/tallowin/RmvDelayCode.wcm \
         "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
         share/man/man1/tallowin.1.gz "share/icons/hicolor/scalable/apps/$id.svg" \
         "share/icons/hicolor/"{16x16,32x32,48x48,64x64,128x128,256x256}"/apps/$id.png"; do
  [ -f "$usr/$f" ] || fail "$f is not installed"
done
[ -x "$usr/bin/tallowin" ] || fail "bin/tallowin is not executable"
[ -x "$usr/libexec/tallowin/tallowin-picture-reader" ] || fail "the picture reader is not executable"
# Nothing else: no tests, tools or benchmarks.
extra=$(cd "$usr" && find . -type f | grep -v -e '^./share/' -e '^./bin/tallowin$' \
  -e '^./libexec/tallowin/tallowin-picture-reader$')
[ -z "$extra" ] || fail "unexpected files: $extra"

# The UNO runtime libraries are found through the run path into the office's
# program folder, also once installed; the picture reader needs libwpd and
# libwpg, which the program itself does not load.
missing=$(ldd "$usr/bin/tallowin" "$usr/libexec/tallowin/tallowin-picture-reader" | grep 'not found')
[ -z "$missing" ] || fail "libraries not found: $missing"
! ldd "$usr/bin/tallowin" | grep -q -e libwpd -e libwpg || fail "the program loads libwpd or libwpg itself"

run() { # run EXPECTED_CODE OUTPUT_FILE ARGS...: the installed program, bare environment
  local expected=$1 out=$2; shift 2
  local code=0
  mkdir -p "$dest/tmp"
  env -i PATH=/usr/bin:/bin HOME="$dest" TMPDIR="$dest/tmp" QT_QPA_PLATFORM=xcb \
    timeout 20 "$usr/bin/tallowin" "$@" >"$out" 2>"$out.err" || code=$?
  [ "$code" -eq "$expected" ] || fail "tallowin $* exited $code, expected $expected: $(cat "$out.err")"
  [ -z "$(ls -A "$dest/tmp")" ] || fail "tallowin $* left $(ls -A "$dest/tmp") in TMPDIR"
}
run 0 "$dest/version" --version
grep -qxE 'tallowin [0-9]+\.[0-9]+\.[0-9]+' "$dest/version" || fail "--version printed: $(cat "$dest/version")"
run 0 "$dest/help" --help
grep -q -- '--convert \[OPTION...\] PATH' "$dest/help" || fail "--help printed: $(cat "$dest/help")"
run 2 "$dest/usage" --no-such-option
grep -q 'unknown option --no-such-option' "$dest/usage.err" || fail "a wrong option printed: $(cat "$dest/usage.err")"

[ "$failed" -eq 0 ] && echo "install: ok"
exit "$failed"
