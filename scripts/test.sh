#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Installs what is missing, builds and runs every test. Windows are drawn on
# Qt's offscreen platform, so no display is needed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh"
"$here/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "${BUILD_DIR:-$here/build}"
ctest --output-on-failure --timeout 900 -j "$(nproc)"
