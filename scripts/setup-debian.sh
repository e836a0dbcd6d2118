#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Installs everything Tallowin needs to build, run and test on Debian 12.
# Idempotent: packages already present are left alone. Runs apt-get directly as
# root (CI) and through sudo otherwise.
set -euo pipefail

packages=(
  # toolchain
  build-essential g++ cmake ninja-build git pkg-config
  # windows and tests
  qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev googletest
  # the word processor behind the automation server, and its C++ SDK (the
  # whole Writer: its -nogui build lacks the window definitions the office
  # builds for the comments of a laid-out document, and aborts without them)
  libreoffice-writer libreoffice-dev
  # the WordPerfect and WordPerfect Graphics readers the office itself uses:
  # the engine reads the pictures embedded in documents with them
  libwpd-dev libwpg-dev librevenge-dev
  # zlib, with which the engine reads back the .docx and .odt files it writes
  zlib1g-dev
  # readers of the other formats the tests check (pdfinfo, pdftotext and
  # pdftocairo for PDF/A), and GNU parallel, which the test of the README's
  # way of spreading an archive over processes runs
  poppler-utils parallel
  # an independent reader of the Word documents we write, a virtual display
  # for the smoke test and the tools it watches and drives the windows with
  # (xwininfo, xdotool), and the desktop's default-browser query
  catdoc xvfb xauth x11-utils xdotool xdg-utils
  # the accessibility bus and a client of it, for the test that reads the
  # program as a screen reader does, in a session bus of its own
  at-spi2-core python3-pyatspi dbus-daemon
  # fonts the windows fall back on
  fonts-dejavu-core fonts-liberation
  # the icon's PNG sizes (rsvg-convert), the checks of the desktop entry, the
  # AppStream metainfo and the man page, the Debian package's library
  # dependencies (dpkg-shlibdeps), and the clean Debian 12 root the package
  # test installs it into
  librsvg2-bin desktop-file-utils appstream groff-base dpkg-dev debootstrap
  # Debian's checks of the package (lintian), which the package test runs
  lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
