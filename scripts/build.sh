#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Configures and builds Tallowin into build/ (or $BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
extra=()
[ "${CI:-}" = "true" ] && extra+=(-DTALLOWIN_WERROR=ON)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${extra[@]}" >/dev/null
cmake --build "$build"
