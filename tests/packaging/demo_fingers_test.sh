#!/usr/bin/env bash
# The demonstration fingers through the real control: a registration template from each
# finger's first impression, and one enrolled from its first four impressions pressed on the
# virtual sensor (as Kestrel enrolls), match every other impression of that finger and none
# of any other finger (the demo must never identify the wrong person).
#
#   demo_fingers_test.sh DEMO_DIR
set -uo pipefail

bin=${LUMO_BIN_DIR:?}
fingers=$(cd "${1:?demo folder}" 2>/dev/null && pwd)/fingers
for file in "$bin/regsvr" "$bin/lumoctl" "$bin/fppress" "$bin/liblumo.so" "$fingers"; do
  if [[ ! -e $file ]]; then
    echo "SKIP: $file is not built"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMO_REGISTRY=$work/registry QT_QPA_PLATFORM=offscreen
mkdir -p "$LUMO_REGISTRY"
printf '[SOFTWARE\\FPEngine]\nSensorFeed=%s\nScannerWindow=off\n' "$work/feed" \
  >"$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini"
cd "$work" || exit 1
"$bin/regsvr" "$bin/liblumo.so" >/dev/null || { echo "FAIL: regsvr"; exit 1; }

labels=()
images=()
for dir in "$fingers"/*/; do
  labels+=("$(basename "$dir")")
  images+=("$(ls "$dir"*.png | sort -V | tr '\n' '|')")
done
((${#labels[@]} >= 2)) || { echo "FAIL: ${#labels[@]} demo fingers"; exit 1; }

# One session makes every template: per finger the registration template of impression 1,
# then a verification template of each further impression.
statements=()
for i in "${!labels[@]}"; do
  IFS='|' read -ra files <<<"${images[i]}"
  statements+=("call GetRegTemplateFromFile \"${files[0]}\" 500")
  for file in "${files[@]:1}"; do statements+=("call GetVerTemplateFromFile \"$file\" 500"); done
done
mapfile -t templates < <(printf '%s\n' "${statements[@]}" | "$bin/lumoctl" 2>"$work/err")
((${#templates[@]} == ${#statements[@]})) ||
  { echo "FAIL: ${#templates[@]} templates for ${#statements[@]} images: $(cat "$work/err")"; exit 1; }

regs=()  # "finger index:how made:template"
vers=()  # "finger index:template"
n=0
for i in "${!labels[@]}"; do
  IFS='|' read -ra files <<<"${images[i]}"
  regs+=("$i:from a file:${templates[n]}")
  n=$((n + 1))
  for _ in "${files[@]:1}"; do
    vers+=("$i:${templates[n]}")
    n=$((n + 1))
  done
done

# Enrollment: the first four impressions pressed one after another, taken by the dialog.
for i in "${!labels[@]}"; do
  IFS='|' read -ra files <<<"${images[i]}"
  rm -rf "$work/feed"
  for file in "${files[@]:0:4}"; do "$bin/fppress" "$file" >/dev/null; done
  out=$(printf '%s\n' "put EnrollCount 4" "put DefaultRegFinger 2" "put IsAutoRegister 1" \
    "call Register" "get RegisterTemplate" | timeout 300 "$bin/lumoctl" 2>"$work/err")
  if [[ $(sed -n 1p <<<"$out") != true ]]; then
    echo "FAIL: enrolling '${labels[i]}': $out $(cat "$work/err")"
    exit 1
  fi
  regs+=("$i:enrolled:$(sed -n 2p <<<"$out")")
done

# A last session matches every registration template with every verification template.
statements=()
expected=()
for reg in "${regs[@]}"; do
  for entry in "${vers[@]}"; do
    statements+=("call MatchFinger ${reg#*:*:} ${entry#*:}")
    if [[ ${entry%%:*} == "${reg%%:*}" ]]; then expected+=(true); else expected+=(false); fi
  done
done
mapfile -t results < <(printf '%s\n' "${statements[@]}" | "$bin/lumoctl" 2>"$work/err")
((${#results[@]} == ${#statements[@]})) ||
  { echo "FAIL: ${#results[@]} results for ${#statements[@]} comparisons: $(cat "$work/err")"; exit 1; }

failures=0
for k in "${!results[@]}"; do
  if [[ ${results[k]} != "${expected[k]}" ]]; then
    reg=${regs[k / ${#vers[@]}]}
    how=${reg#*:}
    j=${vers[k % ${#vers[@]}]%%:*}
    echo "FAIL: '${labels[${reg%%:*}]}' (${how%%:*}) against an impression of '${labels[j]}': ${results[k]}, expected ${expected[k]}"
    failures=$((failures + 1))
  fi
done
((failures == 0)) || exit 1
echo "demo fingers: ${#labels[@]} fingers, ${#results[@]} comparisons as expected"
