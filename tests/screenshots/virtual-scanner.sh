#!/usr/bin/env bash
# A picture of the virtual scanner window, for the documentation:
#   tests/screenshots/virtual-scanner.sh [BUILD_DIR]   ->  docs/screenshots/virtual-scanner.png
# Text is drawn through fontconfig on the offscreen platform, so no display is needed.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-${LUMO_BUILD_DIR:-$top/build}}
cmake --build "$build" --target scanner_screenshot >/dev/null
mkdir -p "$top/docs/screenshots"
QT_QPA_PLATFORM=offscreen:fontconfig "$build/tests/bin/scanner_screenshot" \
  "$top/docs/screenshots/virtual-scanner.png"
