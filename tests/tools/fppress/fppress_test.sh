#!/usr/bin/env bash
# fppress on its own: usage errors, unreadable images, and atomic drops into the feed folder
# named by the engine setting SensorFeed.
set -uo pipefail

bin=${LUMO_BIN_DIR:?}
data=${LUMO_SOURCE_DIR:?}/../shared/data/fingerprints/fvc2002_db4_b
if [[ ! -x $bin/fppress ]]; then
  echo "SKIP: $bin/fppress is not built"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMO_REGISTRY=$work/registry
mkdir -p "$LUMO_REGISTRY"
printf '[SOFTWARE\\FPEngine]\nSensorFeed=%s\n' "$work/feed" > "$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$bin/fppress" >/dev/null 2>&1; [[ $? == 2 ]] || fail "no arguments: status 2 expected"
"$bin/fppress" "$data/101_1.tif" 50 >/dev/null 2>"$work/err"; [[ $? == 2 ]] || fail "dpi 50: status 2 expected"
grep -q "100 to 2000" "$work/err" || fail "dpi 50: message: $(cat "$work/err")"
"$bin/fppress" "$work/missing.tif" >/dev/null 2>"$work/err"; [[ $? == 1 ]] || fail "missing image: status 1 expected"
grep -q "missing.tif" "$work/err" || fail "missing image: message: $(cat "$work/err")"
echo "not a picture" > "$work/junk.png"
"$bin/fppress" "$work/junk.png" >/dev/null 2>"$work/err"; [[ $? == 1 ]] || fail "junk image: status 1 expected"
[[ ! -e $work/feed ]] || [[ -z $(ls -A "$work/feed") ]] || fail "a refused image reached the feed folder"

"$bin/fppress" "$data/101_1.tif" >"$work/out" 2>"$work/err" || fail "press 1: $(cat "$work/err")"
"$bin/fppress" "$data/101_2.tif" 569 >"$work/out" 2>"$work/err" || fail "press 2: $(cat "$work/err")"
mapfile -t files < <(ls -A "$work/feed")
[[ ${#files[@]} == 2 ]] || fail "two files expected in the feed folder, got: ${files[*]}"
[[ ${files[0]} < ${files[1]} ]] || fail "drops not in order: ${files[*]}"
[[ ${files[1]} == *-569dpi.tif ]] || fail "resolution not in the name: ${files[1]}"
cmp -s "$work/feed/${files[0]}" "$data/101_1.tif" || fail "first press differs from its image"
grep -q "${files[1]}" "$work/out" || fail "output does not name the dropped file: $(cat "$work/out")"

if ((failures > 0)); then exit 1; fi
echo "fppress: all checks passed"
