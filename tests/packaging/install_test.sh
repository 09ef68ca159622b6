#!/usr/bin/env bash
# Installation end to end: `cmake --install` into a temporary prefix, the installed `kestrel
# --prepare-only` with HOME in a temporary folder (program folder, registration), the user's
# database and cards surviving a second run and a reinstallation, lumoctl from the prefix
# creating the control, a program of one's own built against the installed interface, and the
# build's demonstration data step keeping a written card.
#
#   install_test.sh BUILD_DIR BLANKCARD FPSYNTH DEMO_DATA_SCRIPT
set -uo pipefail

build=${1:?build folder}
blankcard=${2:?blankcard}
fpsynth=${3:?fpsynth}
demo_script=${4:?DemoData.cmake}
for file in bin/kestrel bin/liblumo.so bin/regsvr bin/lumoctl app/kestrel-makedb demo/cards; do
  if [[ ! -e $build/$file ]]; then
    echo "SKIP: $build/$file is not built"
    exit 77
  fi
done
for tool in sqlite3 cmp; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export HOME=$work/home
mkdir -p "$HOME"
unset LUMO_REGISTRY XDG_CONFIG_HOME XDG_DATA_HOME KESTREL_HOME LUMO_SYSTEM_DIR
export QT_QPA_PLATFORM=offscreen

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect_file() { [[ -f $1 ]] || fail "missing file $1"; }
expect_dir() { [[ -d $1 ]] || fail "missing folder $1"; }

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

# --- the installed tree -------------------------------------------------------------------
lib=$prefix/lib/kestrel/bin
for file in kestrel kestrel-makedb kestrel-launch liblumo.so regsvr lumoctl fppress fpsynth \
  lumo.en lumo.chs lumo.cht lumo.spa English.ini "Chinese Simplified.ini" \
  "Chinese Traditional.ini" Spanish.ini WaitFor.wav Acquired.wav RegSuc.wav RegFail.wav \
  V-OK.wav; do
  expect_file "$lib/$file"
done
for tool in kestrel regsvr lumoctl fppress fpsynth; do
  [[ -x $prefix/bin/$tool ]] || fail "$prefix/bin/$tool is not an installed command"
done
expect_file "$prefix/share/applications/kestrel.desktop"
expect_file "$prefix/share/icons/hicolor/scalable/apps/kestrel.svg"
grep -qx "Exec=$prefix/bin/kestrel" "$prefix/share/applications/kestrel.desktop" ||
  fail "the desktop entry does not start $prefix/bin/kestrel"
grep -qx "Icon=kestrel" "$prefix/share/applications/kestrel.desktop" ||
  fail "the desktop entry does not name the icon"
expect_file "$prefix/include/lumo/control/resources/Lumo_TLB.h"
expect_file "$prefix/lib/lumo/libplatform_com.a"
expect_file "$prefix/lib/pkgconfig/lumo-host.pc"
# Installed programs find every library they need without the build tree.
for program in "$lib"/kestrel "$lib"/kestrel-makedb "$lib"/regsvr "$lib"/lumoctl \
  "$lib"/fppress "$lib"/fpsynth "$lib"/liblumo.so; do
  if ldd "$program" 2>&1 | grep -q 'not found'; then
    fail "$program misses libraries: $(ldd "$program" | grep 'not found' | tr '\n' ' ')"
  fi
  if readelf -d "$program" 2>/dev/null | grep -E 'R(UN)?PATH' | grep -q "$build"; then
    fail "$program keeps an RPATH into the build folder"
  fi
done

# --- first start: preparation and registration ----------------------------------------------
folder=$HOME/.local/share/kestrel
out=$("$prefix/bin/kestrel" --prepare-only 2>"$work/err")
status=$?
[[ $status == 0 ]] || fail "kestrel --prepare-only: status $status: $(cat "$work/err")"
[[ $out == "$folder" ]] || fail "kestrel --prepare-only printed '$out', expected '$folder'"

for file in kestrel LUMO.mdb English.ini Spanish.ini WaitFor.wav V-OK.wav; do
  expect_file "$folder/$file"
done
cmp -s "$lib/kestrel" "$folder/kestrel" || fail "the program folder's kestrel is not the installed one"
[[ -e $folder/liblumo.so ]] && fail "the control library was copied into the program folder"

# The sample persons, none with a template, their photos in the program folder.
persons=$(sqlite3 "$folder/LUMO.mdb" 'SELECT count(*) FROM USERS')
templates=$(sqlite3 "$folder/LUMO.mdb" 'SELECT count(*) FROM TEMPLATE')
((persons >= 3)) || fail "the demonstration database has $persons persons"
[[ $templates == 0 ]] || fail "the demonstration database has $templates templates"
while IFS= read -r photo; do
  [[ $photo == "$folder/photos/"* && -f $photo ]] || fail "photo path $photo is not a file in $folder/photos"
done < <(sqlite3 "$folder/LUMO.mdb" "SELECT PHOTO FROM USERS WHERE PHOTO <> 'nil'")

# Sample fingers: folders named by their label, PNG impressions at 500 dpi (pHYs 19685 per
# metre = 00 00 4C E5).
fingers=0
for dir in "$folder/fingers"/*/; do
  fingers=$((fingers + 1))
  label=$(basename "$dir")
  [[ $label == *" - "* ]] || fail "finger folder '$label' is not named 'person - finger'"
  count=0
  for png in "$dir"*.png; do
    count=$((count + 1))
    [[ $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$png is not a PNG"
    [[ $(od -An -v -tx1 "$png" | tr -d ' \n' | grep -o '70485973.\{18\}' | head -1) == \
      7048597300004ce500004ce501 ]] || fail "$png is not marked 500 dpi"
  done
  ((count >= 4)) || fail "finger '$label' has $count impressions (enrollment takes 4)"
done
((fingers >= 3)) || fail "$fingers sample fingers"

# Blank cards: 1024 bytes, UID with its BCC, data blocks zero, trailers with factory keys and
# access bits FF 07 80 69, no two alike.
uids=()
for card in "$folder/cards"/*.mfd; do
  hex=$(od -An -v -tx1 "$card" | tr -d ' \n')
  [[ ${#hex} == 2048 ]] || { fail "$card is not 1024 bytes"; continue; }
  b=("0x${hex:0:2}" "0x${hex:2:2}" "0x${hex:4:2}" "0x${hex:6:2}" "0x${hex:8:2}")
  (((b[0] ^ b[1] ^ b[2] ^ b[3]) == b[4])) || fail "$card: BCC does not match the UID"
  uids+=("${hex:0:8}")
  for ((block = 1; block < 64; block++)); do
    want=00000000000000000000000000000000
    ((block % 4 == 3)) && want=ffffffffffffff078069ffffffffffff
    [[ ${hex:block*32:32} == "$want" ]] || fail "$card: block $block is ${hex:block*32:32}"
  done
done
((${#uids[@]} >= 2)) || fail "${#uids[@]} blank cards"
[[ $(printf '%s\n' "${uids[@]}" | sort -u | wc -l) == "${#uids[@]}" ]] || fail "two cards share a UID"

# The control is registered with the installed library, once.
registry=$HOME/.config/lumo-registry/HKEY_CLASSES_ROOT.ini
grep -qxF "@=$lib/liblumo.so" "$registry" || fail "the registry does not name $lib/liblumo.so"

# lumoctl from the prefix creates the control through that registration.
printf '[SOFTWARE\\FPEngine]\nSensor=none\n' >>"$HOME/.config/lumo-registry/HKEY_LOCAL_MACHINE.ini"
out=$(cd "$work" && "$prefix/bin/lumoctl" "get VerifyCount" "call Encrypt abc key" 2>"$work/err")
status=$?
[[ $status == 0 && $(sed -n 1p <<<"$out") == 3 && -n $(sed -n 2p <<<"$out") ]] ||
  fail "lumoctl from the prefix: status $status, output '$out', errors: $(cat "$work/err")"

# --- the user's changes survive a second start and a reinstallation -------------------------
sqlite3 "$folder/LUMO.mdb" "INSERT INTO USERS (UserID, Name) VALUES ('9999', 'Test Person')"
first_card=$(ls "$folder/cards"/*.mfd | head -1)
printf 'written' | dd of="$first_card" bs=1 seek=64 conv=notrunc status=none
rm -f "$folder/cards/$(ls "$folder/cards" | sed -n 2p)"
cp "$first_card" "$work/card.copy"
cp "$folder/LUMO.mdb" "$work/db.copy"
registry_stamp=$(stat -c %Y.%s "$registry")
sleep 1
cmake --install "$build" --prefix "$prefix" >/dev/null 2>&1 || fail "second cmake --install"
"$prefix/bin/kestrel" --prepare-only >/dev/null 2>"$work/err" || fail "second start: $(cat "$work/err")"
cmp -s "$folder/LUMO.mdb" "$work/db.copy" || fail "the second start changed LUMO.mdb"
cmp -s "$first_card" "$work/card.copy" || fail "the second start changed a written card"
[[ $(ls "$folder/cards" | wc -l) == $((${#uids[@]} - 1)) ]] || fail "a deleted card came back"
[[ $(stat -c %Y.%s "$registry") == "$registry_stamp" ]] || fail "the second start registered again"

# A library at another place is registered again; a missing database is made again.
mv "$prefix" "$work/moved"
prefix=$work/moved
rm "$folder/LUMO.mdb"
"$prefix/bin/kestrel" --prepare-only >/dev/null 2>"$work/err" || fail "moved prefix: $(cat "$work/err")"
grep -qxF "@=$prefix/lib/kestrel/bin/liblumo.so" "$registry" || fail "the moved library was not registered again"
expect_file "$folder/LUMO.mdb"
cmp -s "$first_card" "$work/card.copy" || fail "the moved prefix changed a written card"

# Without a display the command says how to get one.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kestrel" 2>&1)
status=$?
[[ $status == 1 && $out == *"needs a display"* && $out == *"xvfb-run -a kestrel"* ]] ||
  fail "no display: status $status, output '$out'"

# --- a program of one's own against the installed interface ---------------------------------
if command -v c++ >/dev/null && command -v pkg-config >/dev/null; then
  cat >"$work/host.cpp" <<'EOF'
#include <QApplication>
#include <cstdio>

#include "control/resources/Lumo_TLB.h"
#include "platform/com/Registration.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ILumoMain* lumo = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_LumoMain, nullptr, CLSCTX_INPROC_SERVER, IID_ILumoMain,
                                  reinterpret_cast<void**>(&lumo));
    if (FAILED(hr) || !lumo) return 1;
    LONG count = 0;
    hr = lumo->get_VerifyCount(&count);
    std::printf("%s %ld\n", SUCCEEDED(hr) ? "VerifyCount" : "failed", static_cast<long>(count));
    lumo->Release();
    return 0;
}
EOF
  export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
  # A sanitized build installs sanitized libraries.
  sanitize=()
  grep -q '^LUMO_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && sanitize=("-fsanitize=address,undefined")
  # shellcheck disable=SC2046
  if c++ "${sanitize[@]}" $(pkg-config --cflags lumo-host) -o "$work/host" "$work/host.cpp" \
    $(pkg-config --libs lumo-host) 2>"$work/err"; then
    out=$(cd "$work" && ./host 2>"$work/err")
    [[ $out == "VerifyCount 3" ]] || fail "own host program: '$out' $(cat "$work/err")"
  else
    fail "own host program does not build: $(head -20 "$work/err")"
  fi
fi

# --- the build's demonstration data step keeps what exists ---------------------------------
demo=$work/demo
run_demo() {
  cmake -DFPSYNTH="$fpsynth" -DBLANKCARD="$blankcard" -DOUT="$demo" -DSEED=1 -DFINGERS=1 \
    -DIMPRESSIONS=1 "-DLABELS=Someone - left thumb=1" "-DCARDS=A=01020304|B=0A0B0C0D" \
    -P "$demo_script" >/dev/null
}
run_demo || fail "demonstration data step"
expect_file "$demo/fingers/Someone - left thumb/impression-1.png"
printf 'x' | dd of="$demo/cards/A.mfd" bs=1 seek=100 conv=notrunc status=none
cp "$demo/cards/A.mfd" "$work/a.copy"
run_demo || fail "second demonstration data step"
cmp -s "$demo/cards/A.mfd" "$work/a.copy" || fail "the demonstration data step replaced a written card"
[[ $(ls -A "$demo/fingers") == "Someone - left thumb" ]] || fail "leftovers in $demo/fingers: $(ls -A "$demo/fingers")"

# blankcard refuses a malformed UID and writes nothing.
for uid in "" 1234567 123456789 0102030G; do
  "$blankcard" "$work/bad.mfd" "$uid" 2>/dev/null
  status=$?
  [[ $status == 2 && ! -e $work/bad.mfd ]] || fail "blankcard with UID '$uid': status $status"
done

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installation: all checks passed"
