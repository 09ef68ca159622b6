#!/usr/bin/env bash
# lumoscanner as a process: usage, one window per feed folder, ending with the program that
# started it; then, on a virtual X display (Xvfb) with xdotool, a real window clicked by its
# documented coordinates and driven by keys, following the sensor state file.
set -uo pipefail

bin=${LUMO_BIN_DIR:?}
data=${LUMO_SOURCE_DIR:?}/../shared/data/fingerprints/fvc2002_db4_b
if [[ ! -x $bin/lumoscanner ]]; then
  echo "SKIP: $bin/lumoscanner is not built"
  exit 77
fi

# Reports from inside the X keyboard library are not this system's (see tests/x11.supp).
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}suppressions=$LUMO_SOURCE_DIR/tests/x11.supp
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
export LUMO_REGISTRY=$work/registry
mkdir -p "$LUMO_REGISTRY" "$work/fingers/Anna - right index" "$work/fingers/Ben - left thumb" "$work/cards"
cp "$data/101_1.tif" "$data/101_2.tif" "$work/fingers/Anna - right index/"
cp "$data/102_1.tif" "$data/102_2.tif" "$work/fingers/Ben - left thumb/"
feed=$work/sensor/feed
args=(--feed "$feed" --gallery "$work/fingers" --cards "$work/cards")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Waits up to $1 tenths of a second for the command after it to succeed.
waitfor() {
  local n=$1; shift
  for ((i = 0; i < n; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! kill -0 "$1" 2>/dev/null; }
# The sensor state as a program holding the sensor writes it (pid of a live process).
state() { # pid open green red beeper
  mkdir -p "$work/sensor"
  printf 'pid=%s\nstart=0\nopen=%s\ngreen=%s\nred=%s\nbeeper=%s\n' "$@" > "$work/sensor/.s"
  mv "$work/sensor/.s" "$work/sensor/feed.state"
}
feedcount() { find "$feed" -maxdepth 1 -type f ! -name '.*' 2>/dev/null | wc -l; }
feedatleast() { (($(feedcount) >= $1)); }

# --- usage -----------------------------------------------------------------------------------
"$bin/lumoscanner" --help >/dev/null 2>&1 || fail "--help: status 0 expected"
"$bin/lumoscanner" --bogus x >/dev/null 2>&1; [[ $? == 2 ]] || fail "unknown option: status 2 expected"
"$bin/lumoscanner" --feed >/dev/null 2>&1; [[ $? == 2 ]] || fail "option without value: status 2 expected"
"$bin/lumoscanner" --parent-pid abc >/dev/null 2>&1; [[ $? == 2 ]] || fail "bad pid: status 2 expected"

# --- process rules (offscreen) -----------------------------------------------------------------
sleep 300 & parent=$!; pids+=("$parent")
"$bin/lumoscanner" "${args[@]}" --parent-pid "$parent" & first=$!; pids+=("$first")
waitfor 50 test -e "$work/sensor/feed.scanner-lock" || fail "no lock file beside the feed folder"
sleep 1
running "$first" || fail "the window ended while its program runs"
timeout 10 "$bin/lumoscanner" "${args[@]}"; rc=$?
[[ $rc == 0 ]] || fail "second window for the same feed: status 0 expected, got $rc"
# Another live program holds the sensor: the window stays after its own program ends.
sleep 300 & other=$!; pids+=("$other")
state "$other" 1 0 0 0
kill "$parent"
sleep 1.5
running "$first" || fail "the window ended although another program holds the sensor"
kill "$other"
waitfor 50 stopped "$first" || fail "the window did not end after its program and the holder ended"
wait "$first" 2>/dev/null; rc=$?
[[ $rc == 0 ]] || fail "window ending with its program: status 0 expected, got $rc"
rm -f "$work/sensor/feed.state"
# A program that is gone already.
sleep 0.1 & gone=$!; wait "$gone"
timeout 10 "$bin/lumoscanner" "${args[@]}" --parent-pid "$gone"; rc=$?
[[ $rc == 0 ]] || fail "parent already gone: status 0 expected, got $rc"

# --- a real window on Xvfb ------------------------------------------------------------------------
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  echo "note: Xvfb or xdotool missing: the window checks are skipped"
else
  display=:$((100 + RANDOM % 800))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!; pids+=("$xvfb")
  export DISPLAY=$display
  if ! waitfor 50 xdotool getmouselocation >/dev/null 2>&1; then
    fail "Xvfb did not start on $display"
  else
    sleep 300 & holder=$!; pids+=("$holder")
    state "$holder" 1 1 0 0
    QT_QPA_PLATFORM=xcb "$bin/lumoscanner" "${args[@]}" >"$work/window.log" 2>&1 & win=$!; pids+=("$win")
    wid=$(timeout 20 xdotool search --sync --name '^Virtual scanner$' | head -1)
    if [[ -z $wid ]]; then
      fail "no window named \"Virtual scanner\" ($(cat "$work/window.log"))"
    else
      sleep 0.5
      # Thumbnail 2 (Ben, first impression) has its centre at (248,96) in the window.
      xdotool mousemove --window "$wid" 248 96 click 1
      waitfor 50 feedatleast 1 || fail "a click on thumbnail 2 pressed nothing"
      pressed=$(find "$feed" -maxdepth 1 -type f ! -name '.*' | sort | head -1)
      [[ -n $pressed ]] && { cmp -s "$pressed" "$data/102_1.tif" || fail "thumbnail 2 pressed another image"; }
      # Keys: Right, Return presses Ben's second impression (the pointer rests on the window,
      # and a bare X server gives the keyboard to the window under the pointer).
      xdotool key Right Return
      waitfor 50 feedatleast 2 || fail "Right, Return pressed nothing"
      pressed=$(find "$feed" -maxdepth 1 -type f ! -name '.*' | sort | tail -1)
      [[ -n $pressed ]] && { cmp -s "$pressed" "$data/102_2.tif" || fail "Right, Return pressed another image"; }
      # The program closes its sensor: the presses it did not take are removed, clicks do nothing.
      state "$holder" 0 0 0 0
      waitfor 50 eval '(($(feedcount) == 0))' || fail "untaken presses stayed after the sensor closed"
      xdotool mousemove --window "$wid" 56 96 click 1
      sleep 0.5
      [[ $(feedcount) == 0 ]] || fail "a click pressed while the scanner was not in use"
      # New blank card (button at 276..412 x 460..488), then put it on the reader (392..420).
      xdotool mousemove --window "$wid" 344 474 click 1
      waitfor 50 eval '[[ -n $(ls "$work/cards") ]]' || fail "New blank card made no card"
      xdotool mousemove --window "$wid" 344 406 click 1
      waitfor 50 grep -q '^CardDump=.*blank-.*\.mfd' "$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini" ||
        fail "Put on reader did not set CardDump"
      # Closing the window (Escape, as the close button a window manager draws) ends it.
      xdotool mousemove --window "$wid" 200 20 key Escape
      waitfor 50 stopped "$win" || fail "closing the window did not end lumoscanner"
    fi

    # The engine starts the window by itself: lumoctl (offscreen) with ScannerWindow=show
    # starts it once its sensor opens, and it ends with lumoctl; with the default "auto" an
    # offscreen lumoctl starts none.
    if [[ -x $bin/lumoctl && -x $bin/regsvr && -e $bin/liblumo.so ]]; then
      "$bin/regsvr" "$bin/liblumo.so" >/dev/null || fail "regsvr"
      mkdir -p "$work/program"
      cp -r "$work/fingers" "$work/program/fingers"
      for mode in auto show; do
        ctlfeed=$work/ctl-$mode/feed
        printf '[SOFTWARE\\FPEngine]\nSensorFeed=%s\nScannerWindow=%s\n' "$ctlfeed" "$mode" \
          > "$LUMO_REGISTRY/HKEY_LOCAL_MACHINE.ini"
        ( cd "$work/program" && { echo "call InitSensor"; sleep 4; } |
            QT_QPA_PLATFORM=offscreen "$bin/lumoctl" >"$work/ctl.out" 2>&1 ) & ctl=$!; pids+=("$ctl")
        if [[ $mode == show ]]; then
          wid=$(timeout 20 xdotool search --sync --name '^Virtual scanner$' | head -1)
          [[ -n $wid ]] || fail "lumoctl with ScannerWindow=show: no window"
          scanner=$(xdotool getwindowpid "$wid" 2>/dev/null)
          [[ -e $work/ctl-$mode/feed.scanner-lock ]] || fail "show: the window does not use the engine's feed folder"
          # The scanner is in use and its gallery is fingers/ of the program's working folder:
          # a click presses. lumoctl reads its statements meanwhile and takes no press; when it
          # ends, the window removes the press nobody took and ends too.
          sleep 0.5
          xdotool mousemove --window "$wid" 56 96 click 1
          waitfor 30 eval '[[ -n $(ls "$ctlfeed" 2>/dev/null) ]]' || fail "show: a click pressed nothing"
          wait "$ctl"
          [[ -z $scanner ]] || waitfor 50 stopped "$scanner" || fail "show: the window outlived lumoctl"
          [[ -z $(ls "$ctlfeed" 2>/dev/null) ]] || fail "show: a press nobody took stayed in the feed"
        else
          wait "$ctl"
          [[ ! -e $work/ctl-$mode/feed.scanner-lock ]] || fail "auto under offscreen lumoctl started a window"
        fi
        grep -q '^0$' "$work/ctl.out" || fail "$mode: InitSensor: $(cat "$work/ctl.out")"
      done
    else
      echo "note: lumoctl, regsvr or liblumo.so not built: the engine start checks are skipped"
    fi
  fi
fi

if ((failures > 0)); then exit 1; fi
echo "lumoscanner: all checks passed"
