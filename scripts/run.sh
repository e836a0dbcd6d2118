#!/usr/bin/env bash
# SPDX-License-Identifier: MPL-2.0
# Installs what is missing, builds and starts Tallowin.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh"
"$here/scripts/build.sh"
exec "${BUILD_DIR:-$here/build}/tallowin" "$@"
