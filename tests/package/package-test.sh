#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Builds the Debian package from the build folder (cpack) and installs it into
# a minimal Debian 12 root made with debootstrap, with apt resolving its
# dependencies from the Debian mirror, as on a machine that has never seen
# Tallowin, once lintian (Debian's checks) reports no error of it. Then runs
# inside that root (chroot, no display) tallowin --convert of a document
# (a.doc read back) and of one with pictures, which the installed picture
# reader (/usr/libexec/tallowin/) must read: no picture left out. (What
# --version prints is the install test's.)
#
# Needs root (debootstrap, chroot, mounts) and the mirror; exits 77 (CTest's
# "skipped") when not root. The mounts live in a mount namespace of their
# own, so they vanish with it whatever happens, and are also unmounted on the
# way out. The root debootstrap makes and the packages apt downloads are kept
# in BUILD_DIR/package-test/cache-<date>/, so later runs on the same day
# neither bootstrap nor download again; the package and its dependencies are
# installed anew each run.
#
# usage: package-test.sh BUILD_DIR SAMPLE.wpd TEXT_IN_SAMPLE PICTURES.wpd
# environment: TALLOWIN_DEBIAN_MIRROR (default http://deb.debian.org/debian),
#              TALLOWIN_DEBIAN_SECURITY (default http://deb.debian.org/debian-security),
#              TALLOWIN_KEEP_ROOT=1 keeps the root for a look afterwards.
set -uo pipefail

build=$(cd "${1:?usage: package-test.sh BUILD_DIR SAMPLE.wpd TEXT}" && pwd)
sample=${2:?usage: package-test.sh BUILD_DIR SAMPLE.wpd TEXT}
sample_text=${3:?usage: package-test.sh BUILD_DIR SAMPLE.wpd TEXT}
pictures=${4:?usage: package-test.sh BUILD_DIR SAMPLE.wpd TEXT PICTURES.wpd}
mirror=${TALLOWIN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${TALLOWIN_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}

if [ "$(id -u)" -ne 0 ]; then
  echo "package-test: skipped: debootstrap, chroot and mounts need root"
  exit 77
fi
for tool in cpack debootstrap dpkg-deb dpkg-shlibdeps unshare chroot catdoc lintian; do
  command -v "$tool" >/dev/null || { echo "package-test: $tool is missing (scripts/setup-debian.sh installs it)"; exit 1; }
done

work="$build/package-test"
root="$work/root"
cache="$work/cache-$(date +%F)"
current="set-up"
started=$SECONDS
step_started=$SECONDS

step() {
  [ "$current" = "set-up" ] || echo "package-test: step '$current' took $((SECONDS - step_started)) s"
  current=$1
  step_started=$SECONDS
  echo "package-test: step '$current'"
}
fail() {
  echo "package-test: FAIL at step '$current': $*"
  exit 1
}

# Processes still running inside the root (an office the program left
# behind) would keep files open there: end them, by their root folder.
end_processes_in_root() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -KILL "${p#/proc/}" 2>/dev/null
  done
  return 0
}
cleanup() {
  end_processes_in_root
  # The mounts were made in a private namespace: from here they are not
  # visible, and never crossed into the host's /dev.
  if [ "${TALLOWIN_KEEP_ROOT:-}" != 1 ]; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT

mkdir -p "$work" "$cache/apt/partial"
chmod 0700 "$work"
# Caches of other days are stale.
find "$work" -maxdepth 1 -name 'cache-*' ! -path "$cache" -exec rm -rf {} +
rm -rf --one-file-system "$root"

step "build the package"
rm -rf "$work/deb"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(find "$work/deb" -maxdepth 1 -name 'tallowin_*.deb' | head -n 1)
[ -n "$deb" ] || fail "cpack made no tallowin_*.deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "package-test: $(basename "$deb"): Depends: $depends"
for wanted in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libuno-sal3 libuno-cppu3 libuno-cppuhelpergcc3-3 \
              libwpd-0.10-10 libwpg-0.3-3 libreoffice-writer libreoffice-core ure \
              'fonts-liberation | fonts-dejavu-core'; do
  case ", $depends," in
    *", $wanted"[\ ,]*) ;;
    *) fail "the package does not depend on $wanted" ;;
  esac
done

step "lintian"
# Debian's checks of a package: errors fail the test, warnings are shown.
# Its temporary files (it leaves some) go in a folder of the test's own.
rm -rf "$work/lintian-tmp" && mkdir -m 0700 "$work/lintian-tmp"
TMPDIR="$work/lintian-tmp" lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
rm -rf "$work/lintian-tmp"
sed 's/^/package-test: lintian: /' "$work/lintian.log"
grep -q '^E: ' "$work/lintian.log" && fail "lintian reports errors"
contents=$(dpkg-deb -c "$deb")
grep -q ' ./usr/share/doc/tallowin/copyright$' <<<"$contents" || fail "no /usr/share/doc/tallowin/copyright"

# The minimal root as debootstrap makes it is kept as a tar archive: later
# runs on the same day unpack it instead of bootstrapping again.
base="$cache/bookworm-minbase.tar"
if [ -f "$base" ]; then
  step "unpack the day's Debian 12 root"
  mkdir -p "$root" && tar -xpf "$base" --numeric-owner -C "$root" || fail "tar -x $base"
else
  step "debootstrap Debian 12"
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 30 "$work/debootstrap.log"; fail "debootstrap (log: $work/debootstrap.log)"; }
  tar -cpf "$base.part" --numeric-owner -C "$root" . && mv "$base.part" "$base" || fail "tar -c $base"
fi
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
# No service starts inside the root, and dpkg does not wait for the disk
# after every file (the root is thrown away).
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 0755 "$root/usr/sbin/policy-rc.d"
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mkdir -p "$root/tmp/in"
cp "$deb" "$root/tmp/tallowin.deb"
cp "$sample" "$root/tmp/in/a.wpd"
cp "$pictures" "$root/tmp/in/pictures.wpd"

# Everything that runs inside the root runs through here: a private mount
# namespace with /proc, /dev and apt's download cache mounted, unmounted
# again by a trap, and gone with the namespace in any case.
in_root() {
  unshare --mount --propagation private bash -c '
    root=$1; cache=$2; shift 2
    set -u
    trap "umount -l \"$root/var/cache/apt/archives\" \"$root/dev/pts\" \"$root/dev\" \"$root/proc\" 2>/dev/null" EXIT
    mount -t proc proc "$root/proc" &&
      mount --rbind /dev "$root/dev" &&
      mount --bind "$cache" "$root/var/cache/apt/archives" || exit 90
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
      DEBIAN_FRONTEND=noninteractive "$@"
  ' in-root "$root" "$cache/apt" "$@"
}

step "apt install the package"
in_root apt-get update -qq >"$work/apt.log" 2>&1 || { tail -n 30 "$work/apt.log"; fail "apt-get update"; }
in_root apt-get install -y -q --no-install-recommends -o APT::Sandbox::User=root /tmp/tallowin.deb \
  >>"$work/apt.log" 2>&1 || { tail -n 30 "$work/apt.log"; fail "apt-get install ./tallowin.deb (log: $work/apt.log)"; }
grep -E '^(Need to get|After this operation)' "$work/apt.log" | sed 's/^/package-test: /'
[ -f "$root/usr/share/tallowin/RmvDelayCode.wcm" ] || fail "the clean-up macro is not in /usr/share/tallowin"
[ -x "$root/usr/libexec/tallowin/tallowin-picture-reader" ] || fail "the picture reader is not in /usr/libexec/tallowin"

convert() { # convert NAME: /tmp/in/NAME.wpd into /tmp/out/NAME.doc; what it printed in $output
  output=$(in_root timeout 600 tallowin --convert --target /tmp/out "/tmp/in/$1.wpd" 2>&1)
  local code=$?
  echo "$output" | sed 's/^/package-test: tallowin: /'
  [ "$code" -eq 0 ] || fail "tallowin --convert exited $code"
  [ -s "$root/tmp/out/$1.doc" ] || fail "no /tmp/out/$1.doc"
}

step "tallowin --convert one document"
convert a
catdoc "$root/tmp/out/a.doc" 2>/dev/null | grep -q "$sample_text" || fail "a.doc does not hold \"$sample_text\""
echo "package-test: a.doc: $(stat -c %s "$root/tmp/out/a.doc") bytes"

step "tallowin --convert a document with pictures"
convert pictures
! grep -q "picture.*left out" <<<"$output" || fail "pictures were left out"

step "done"
echo "package-test: ok in $((SECONDS - started)) s"
