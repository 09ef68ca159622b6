#!/usr/bin/env bash
# lumoctl end to end: liblumo.so registered with regsvr into a private registry, created by
# ProgID, driven by statements from the command line and from standard input, unregistered.
set -uo pipefail

bin=${LUMO_BIN_DIR:?}
for tool in regsvr lumoctl liblumo.so; do
  if [[ ! -e $bin/$tool ]]; then
    echo "SKIP: $bin/$tool is not built"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMO_REGISTRY=$work/registry
# The engine runs as on a desk without a scanner.
mkdir -p "$LUMO_REGISTRY"
printf '[SOFTWARE\\FPEngine]\nSensor=none\n' >> "$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini"
export QT_QPA_PLATFORM=offscreen
cd "$work"

failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [[ "$2" != "$3" ]]; then
    echo "FAIL: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    failures=$((failures + 1))
  fi
}

# Qt may add warnings of its own on standard error; compare only lumoctl's lines.
lumoLines() { grep -E '^(box: |error 0x|lumoctl: )' "$1" || true; }

"$bin/regsvr" "$bin/liblumo.so" || { echo "FAIL: regsvr"; exit 1; }

# Statements on the command line.
out=$("$bin/lumoctl" "get VerifyCount" "put VerifyCount 5" "get VerifyCount" "get CheckFinger" \
  "put SetVerHint \"two words\"" "get SetVerHint" "get RegisterTemplate" "get IsAutoRegister" \
  "call SetFPEngineVersion 11" "call InitSensor" 2>"$work/err")
status=$?
check "command line: status" 0 "$status"
check "command line: output" $'3\n5\n0000000000\ntwo words\n\nfalse\n1\n2' "$out"
check "command line: stderr" "" "$(lumoLines "$work/err")"

# Statements from standard input; a box is written and answered; a failure stops the run.
out=$(printf '%s\n' "# comment" "" "call AddImageFile finger.png 500" "get OneToOneThreshold" \
  "call CompressTemplate abc" "get VerifyCount" | "$bin/lumoctl" 2>"$work/err")
status=$?
check "stdin: status" 1 "$status"
check "stdin: output" $'false\n10' "$out"
check "stdin: stderr" $'box: Not connect with sensor!\nerror 0x8000FFFF: Template text is not valid Base64: its length is not a multiple of four.' \
  "$(lumoLines "$work/err")"

# Unknown member.
out=$("$bin/lumoctl" "get NoSuchMember" 2>"$work/err")
check "unknown: status" 1 "$?"
check "unknown: stderr" "error 0x80020006: Unknown name: NoSuchMember" "$(lumoLines "$work/err")"

# A syntax error.
"$bin/lumoctl" 'put Caption "open' 2>"$work/err" >/dev/null
check "syntax: status" 2 "$?"
check "syntax: stderr" "lumoctl: statement 1: missing closing quote" "$(lumoLines "$work/err")"

# After unregistration the class is gone.
"$bin/regsvr" -u "$bin/liblumo.so" || { echo "FAIL: regsvr -u"; exit 1; }
"$bin/lumoctl" "get VerifyCount" >/dev/null 2>"$work/err"
check "unregistered: status" 1 "$?"
if ! grep -q '^error 0x80040154: ' "$work/err"; then
  echo "FAIL: unregistered: expected REGDB_E_CLASSNOTREG, got: $(cat "$work/err")"
  failures=$((failures + 1))
fi

if ((failures > 0)); then
  exit 1
fi
echo "lumoctl end to end: all checks passed"
