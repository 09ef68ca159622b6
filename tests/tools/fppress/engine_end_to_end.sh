#!/usr/bin/env bash
# The real engine behind liblumo.so, driven by lumoctl: templates from image files and
# matching, saved images, the identification buffer, an enrollment from presses dropped by
# fppress into the virtual sensor's feed folder, and the card members on a dump file, checked
# byte for byte.
set -uo pipefail

bin=${LUMO_BIN_DIR:?}
data=${LUMO_SOURCE_DIR:?}/../shared/data/fingerprints/fvc2002_db4_b
for tool in regsvr lumoctl fppress liblumo.so; do
  if [[ ! -e $bin/$tool ]]; then
    echo "SKIP: $bin/$tool is not built"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMO_REGISTRY=$work/registry
export QT_QPA_PLATFORM=offscreen
cd "$work"
mkdir -p "$LUMO_REGISTRY"
settings() {  # settings NAME=VALUE...: the engine's registry values
  { echo '[SOFTWARE\FPEngine]'; printf '%s\n' "$@"; } > "$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini"
}
settings "SensorFeed=$work/feed" "CardDump=$work/card.mfd" "SensorSN=VS-E2E"

failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [[ "$2" != "$3" ]]; then
    echo "FAIL: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    failures=$((failures + 1))
  fi
}
lumoLines() { grep -E '^(box: |error 0x|lumoctl: )' "$1" || true; }
lumo() { "$bin/lumoctl" "$@" 2>"$work/err"; }

"$bin/regsvr" "$bin/liblumo.so" || { echo "FAIL: regsvr"; exit 1; }

# Sensor start and serial number.
check "InitSensor" $'0\nVS-E2E' "$(lumo "call InitSensor" "get SensorSN")"
settings "Sensor=none"
check "InitSensor without a scanner" "2" "$(lumo "call InitSensor")"
settings "Sensor=nodriver"
check "InitSensor without a driver" "1" "$(lumo "call InitSensor")"
settings "SensorFeed=$work/feed" "CardDump=$work/card.mfd"

# Templates from files; one finger matches, another does not.
reg=$(lumo "call GetRegTemplateFromFile $data/103_1.tif 500")
ver=$(lumo "call GetVerTemplateFromFile $data/103_7.tif 0")
other=$(lumo "call GetVerTemplateFromFile $data/107_2.tif 500")
[[ -n $reg && -n $ver && -n $other ]] || { echo "FAIL: templates from files: $(cat "$work/err")"; exit 1; }
check "same finger" "true" "$(lumo "call MatchFinger $reg $ver")"
check "other finger" "false" "$(lumo "call MatchFinger $reg $other")"
check "EnrollCount after a file registration" "1" "$(lumo "call GetRegTemplateFromFile $data/102_1.tif 500" "get EnrollCount" | tail -1)"

# Malformed input gives clear errors.
check "damaged template" "false" "$(lumo "call MatchFinger abc $ver")"
check "damaged template: box" "box: MatchFinger error. Registration template: Template text is not valid Base64: its length is not a multiple of four." "$(lumoLines "$work/err")"
echo "not an image" > "$work/junk.png"
lumo "call GetVerTemplateFromFile $work/junk.png 500" >/dev/null
grep -q "^error 0x.*junk.png" "$work/err" || { echo "FAIL: junk image: $(cat "$work/err")"; failures=$((failures + 1)); }

# The latest image saved as BMP and JPEG opens in an image viewer.
out=$(lumo "call GetVerTemplateFromFile $data/102_3.tif 500" "call SaveFingerTemplateAsBMP $work/f.bmp" "call SaveFingerTemplateAsJPG $work/f.jpg" | tail -2)
check "saved images" $'true\ntrue' "$out"
check "BMP opens" "BMP 288x384" "$(identify -format '%m %wx%h' "$work/f.bmp" 2>&1 | sed 's/^BMP3/BMP/')"
check "JPEG opens" "JPEG 288x384" "$(identify -format '%m %wx%h' "$work/f.jpg" 2>&1)"
check "unwritable image" "false" "$(lumo "call GetVerTemplateFromFile $data/102_3.tif 500" "call SaveFingerTemplateAsBMP $work/none/f.bmp" | tail -1)"

# The identification buffer.
out=$(lumo "call CreateBuffer" "call AddRegTemplateToBuffer 1 5 $other" "call AddRegTemplateToBuffer 1 9 $reg" \
  "call IdentificationTemplateFromBuffer 1 $ver" "call RemoveRegTemplateFromBuffer 1 9" \
  "call IdentificationTemplateFromBuffer 1 $ver" "call FreeBuffer 1" "call AddRegTemplateToBuffer 1 5 $reg")
check "buffer" $'1\n1\n1\n9\n1\n-1' "$(printf '%s\n' "$out" | head -6)"
check "buffer: released handle" "box: AddRegTemplateStrToFPCacheDB error. Unknown cache handle 1" "$(lumoLines "$work/err")"

# Enrollment: a poor press and four good ones dropped into the feed folder before the dialog
# opens; the dialog takes them one by one.
convert -size 300x300 xc:white "$work/blank.png"
"$bin/fppress" "$work/blank.png" 500 >/dev/null
for n in 1 2 3 4; do "$bin/fppress" "$data/103_$n.tif" 500 >/dev/null; done
out=$(timeout 120 "$bin/lumoctl" "put EnrollCount 4" "put DefaultRegFinger 2" "put IsAutoRegister 1" "call Register" "get RegisterTemplate" "get FingerIndex" 2>"$work/err")
if grep -q "not available in this build" "$work/err"; then
  echo "NOTE: Register is not implemented in the control yet; enrollment through lumoctl not checked"
else
  enrolled=$(printf '%s\n' "$out" | sed -n 2p)
  check "enrollment: result" "true" "$(printf '%s\n' "$out" | sed -n 1p)"
  check "enrollment: finger" "2" "$(printf '%s\n' "$out" | sed -n 3p)"
  check "enrollment: presses taken" "" "$(ls -A "$work/feed")"
  check "enrollment: template matches" "true" "$(lumo "call MatchFinger $enrolled $ver")"
  check "enrollment: not another finger" "false" "$(lumo "call MatchFinger $enrolled $other")"
fi
rm -f "$work"/feed/*

# Cards: write, read back, change keys, empty; the dump is compared byte for byte.
python3 - "$work/card.mfd" <<'PY'
import sys
card = bytearray(1024)
card[0:16] = bytes([0x5A, 0x31, 0xC0, 0x07, 0x5A ^ 0x31 ^ 0xC0 ^ 0x07, 0x08, 0x04, 0x00]) + b"LUMOTEST"
for s in range(16):
    card[s * 64 + 48: s * 64 + 64] = b"\xff" * 6 + bytes([0xFF, 0x07, 0x80, 0x69]) + b"\xff" * 6
open(sys.argv[1], "wb").write(card)
PY
cp "$work/card.mfd" "$work/blank.mfd"
out=$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call WriteTemplateToCard $reg 17 false true")
if grep -q "not available in this build" "$work/err"; then
  echo "NOTE: the card members are not implemented in the control yet; cards through lumoctl not checked"
else
  check "card write" $'true\n0' "$out"
  cmp -s <(head -c 16 "$work/card.mfd") <(head -c 16 "$work/blank.mfd") || check "block 0 unchanged" "same" "changed"
  check "card record header" "6a01110000" "$(xxd -p -s 16 -l 5 "$work/card.mfd")"
  out=$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call ReadTemplateFromCard x 0 true")
  check "card read" $'true\n0' "$(printf '%s\n' "$out" | head -2)"
  back=$(printf '%s\n' "$out" | sed -n 's/^ARegTemplate=//p')
  check "card read: user id" "iUserID=17" "$(printf '%s\n' "$out" | grep '^iUserID=')"
  check "card template matches" "true" "$(lumo "call MatchFinger $back $ver")"
  # New keys 1 2 3 4 5 6 on every sector.
  out=$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call SetNew6FPCardKey 1 2 3 4 5 6" "call WriteTemplateToCard $reg 17 true true")
  check "card key change" $'true\ntrue\n0' "$out"
  for s in 0 7 15; do
    check "sector $s trailer" "313233343536ff078069ffffffffffff" "$(xxd -p -s $((s * 64 + 48)) -l 16 "$work/card.mfd")"
  done
  check "wrong key" $'true\n1' "$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call ReadTemplateFromCard x 0 true" | head -2)"
  cp "$work/card.mfd" "$work/before-wrong.mfd"
  check "wrong key write" $'true\n1' "$(lumo "call Set6FPCardKey 9 9 9 9 9 9" "call WriteTemplateToCard $reg 5 false true")"
  cmp -s "$work/card.mfd" "$work/before-wrong.mfd" || check "wrong key leaves the card" "same" "changed"
  # Emptying: the empty record and the factory key everywhere.
  check "card empty" $'true\n0' "$(lumo "call Set6FPCardKey 1 2 3 4 5 6" "call EmptyMFCard true")"
  check "empty record" "6a0100000000f0020fff00" "$(xxd -p -s 16 -l 11 "$work/card.mfd")"
  check "factory trailer" "ffffffffffffff078069ffffffffffff" "$(xxd -p -s $((15 * 64 + 48)) -l 16 "$work/card.mfd")"
  # No card, a damaged card.
  settings "SensorFeed=$work/feed" "CardDump=$work/absent.mfd"
  check "no card" $'true\n3' "$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call WriteTemplateToCard $reg 17 false true")"
  settings "SensorFeed=$work/feed" "CardModule=none"
  check "no module" $'true\n2' "$(lumo "call Set6FPCardKey 0 0 0 0 0 0" "call WriteTemplateToCard $reg 17 false true")"
  head -c 300 "$work/blank.mfd" > "$work/short.mfd"
  settings "SensorFeed=$work/feed" "CardDump=$work/short.mfd"
  lumo "call WriteTemplateToCard $reg 17 false true" >/dev/null
  grep -q "^error 0x.*short.mfd is damaged: it holds 300 bytes" "$work/err" || { echo "FAIL: damaged dump: $(cat "$work/err")"; failures=$((failures + 1)); }
fi

"$bin/regsvr" -u "$bin/liblumo.so" >/dev/null
if ((failures > 0)); then exit 1; fi
echo "engine end to end: all checks passed"
