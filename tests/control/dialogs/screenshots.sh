#!/usr/bin/env bash
# Pictures of the capture dialogs, for a person to look at:
#   tests/control/dialogs/screenshots.sh [BUILD_DIR]  ->  BUILD_DIR/screenshots/dialogs/*.png
# Text is drawn through fontconfig on the offscreen platform, so no display is needed.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
build=${1:-${LUMO_BUILD_DIR:-$top/build}}
cmake --build "$build" --target dialog_screenshots >/dev/null
out="$build/screenshots/dialogs"
print="$top/../shared/data/fingerprints/fvc2002_db4_b/103_1.tif"
QT_QPA_PLATFORM=offscreen:fontconfig "$build/tests/bin/dialog_screenshots" "$out" "$print"
echo "Screenshots in $out"
