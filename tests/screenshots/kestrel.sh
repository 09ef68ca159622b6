#!/usr/bin/env bash
# Pictures of Kestrel in every shipped language, for a person to look at:
#   tests/screenshots/kestrel.sh [BUILD_DIR]   ->  BUILD_DIR/screenshots/*.png
# Text is drawn through fontconfig on the offscreen platform, so no display is needed.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-${LUMO_BUILD_DIR:-$top/build}}
cmake --build "$build" --target kestrel_screenshots kestrel >/dev/null
out="$build/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen:fontconfig "$build/tests/bin/kestrel_screenshots" "$out" "$build/bin"
echo "Screenshots in $out"
