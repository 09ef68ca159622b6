#!/usr/bin/env bash
# Kestrel's operator walkthrough on a virtual X display with real mouse and keyboard input:
# log in, add a person, enroll a finger, identify the person, refuse a stranger, set the card
# key, write, verify and empty a card, change the password and the language, restart.
#
#   tests/walkthrough/walkthrough.sh [BUILD_DIR [OUT_DIR]]   ->  OUT_DIR/NN-step.png
#
# BUILD_DIR defaults to $LUMO_BUILD_DIR or build/; OUT_DIR to BUILD_DIR/walkthrough. The build
# needs kestrel, lumo, regsvr, kestrel-makedb, lumoscanner and the demonstration data
# (kestrel_demo_data). Exit status 77 (skipped) when a tool it needs is missing (scripts/setup
# installs them all).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${1:-${LUMO_BUILD_DIR:-$top/build}}
python=/usr/bin/python3

missing=()
for tool in Xvfb xdotool import dbus-daemon; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ -x $python ]] || missing+=("$python")
[[ -x /usr/libexec/at-spi-bus-launcher ]] || missing+=(at-spi-bus-launcher)
if [[ -x $python ]] && ! "$python" -c 'import dbus' 2>/dev/null; then
  missing+=("python3-dbus")
fi
if ((${#missing[@]})); then
  echo "walkthrough: skipped, not installed: ${missing[*]} (scripts/setup installs them)"
  exit 77
fi

for file in bin/kestrel bin/liblumo.so bin/regsvr bin/lumoscanner app/kestrel-makedb demo/fingers \
  demo/cards demo/database/schema.sql; do
  if [[ ! -e $build/$file ]]; then
    echo "walkthrough: $build/$file is not built" >&2
    exit 1
  fi
done
exec "$python" -B "$here/walkthrough.py" "$build" "${2:-$build/walkthrough}"
