#!/usr/bin/env bash
# Smoke run of the real demonstration under Xvfb, driven by xdotool: the
# voucher window comes up, holding Shift changes the function-key captions
# (and releasing it brings them back), a number typed into 売上番号 shows,
# F8 on a line's unit price opens the calculator ("電卓"), F1 on the
# changed voucher asks first (a box captioned "確認": No keeps the program,
# Yes ends it cleanly). Screenshots go to <build>/test-output/e2e-demo-*.png.
#
# Usage: scripts/e2e-demo.sh <build-dir>     Exit 77 (skipped) without the tools.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
exe="$build/demo/VelmoraDemo"
out="$build/test-output"
mkdir -p "$out"

for tool in Xvfb xdotool import compare convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "e2e-demo: $tool is missing (scripts/install-deps.sh installs it); skipped"
    exit 77
  fi
done
[ -x "$exe" ] || { echo "e2e-demo: $exe not built"; exit 1; }

# shellcheck source=scripts/xvfb-session.sh
. "$(dirname "$0")/xvfb-session.sh"

fail() {
  echo "e2e-demo: FAIL: $*"
  [ -n "${DISPLAY:-}" ] && import -window root "$out/e2e-demo-failure.png" 2>/dev/null || true
  exit 1
}

start_xvfb || fail "Xvfb did not start"

QT_QPA_PLATFORM=xcb "$exe" >"$work/app.log" 2>&1 &
app=$!

found=0
window=$(app_window Velmora) || found=$?
[ "$found" -ne 2 ] || fail "the program ended at start-up: $(cat "$work/app.log")"
[ "$found" -eq 0 ] || fail "the voucher window did not appear"
xdotool windowfocus --sync "$window"
sleep 0.5

# Where the window's client area lies on the screen.
eval "$(xdotool getwindowgeometry --shell "$window")"

# Screenshot <name>, and the region x y w h of the client area cut from it
# as <name>-part.png.
shot() {
  import -window root "$out/e2e-demo-$1.png"
  convert "$out/e2e-demo-$1.png" -crop "$4x$5+$((X + $2))+$((Y + $3))" +repage "$work/$1-part.png"
}
# The count of pixels that differ between two pictures.
changed() {
  local n
  n=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  echo "${n%% *}"
}
same() {
  [ "$(changed "$1" "$2")" = "0" ]
}
# Takes screenshot <name> of a region until it differs from (or, with
# "same", equals) the region of screenshot <ref>, for up to 10 seconds.
await() {
  local want=$1 name=$2 ref=$3
  shift 3
  for _ in $(seq 50); do
    shot "$name" "$@"
    if [ "$want" = same ]; then same "$work/$ref-part.png" "$work/$name-part.png" && return 0
    # More than a blinking caret: some digits or captions.
    elif [ "$(changed "$work/$ref-part.png" "$work/$name-part.png")" -gt 60 ]; then return 0
    fi
    sleep 0.2
  done
  return 1
}

bar="0 390 752 37"
number="78 6 60 24"
# The bar once painted: two screenshots in a row alike.
# shellcheck disable=SC2086
shot start $bar
settled=""
for _ in $(seq 50); do
  sleep 0.2
  cp "$work/start-part.png" "$work/previous-part.png"
  # shellcheck disable=SC2086
  shot start $bar
  if same "$work/previous-part.png" "$work/start-part.png"; then settled=1; break; fi
done
[ -n "$settled" ] || fail "the window does not settle"
xdotool keydown Shift_L
# shellcheck disable=SC2086
await differ shift start $bar || fail "holding Shift did not change the function-key captions"
xdotool keyup Shift_L
# shellcheck disable=SC2086
await same released start $bar || fail "releasing Shift did not bring the captions back"

# Waits up to 10 seconds for a visible window captioned $1; a caption with
# more to it than $1 fails.
window_named() {
  local id name
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      name=$(xdotool getwindowname "$id")
      if [ "$name" != "$1" ]; then
        echo "e2e-demo: a window is captioned \"$name\" where \"$1\" was expected" >&2
        return 1
      fi
      return 0
    done
    sleep 0.1
  done
  return 1
}
# Waits up to 10 seconds for window $1 to go.
window_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# shellcheck disable=SC2086
shot before-number $number
xdotool type --delay 80 123
# shellcheck disable=SC2086
await differ typed before-number $number || fail "the number typed into 売上番号 does not show"
kill -0 "$app" 2>/dev/null || fail "the program ended while keys were typed"
# Leaving the box changes the voucher; up from the date is the grid, where
# a code, a name and a quantity bring the cursor to the unit price.
xdotool key Return Up
for text in 1 A 2; do
  xdotool type --delay 80 "$text"
  xdotool key Return
done
xdotool key F8
window_named 電卓 || fail "F8 on the unit price did not open the calculator"
import -window root "$out/e2e-demo-calculator.png"
xdotool key Escape
window_gone 電卓 || fail "Esc did not close the calculator"

xdotool key F1
window_named 確認 || fail "F1 on a changed voucher did not ask first"
import -window root "$out/e2e-demo-question.png"
xdotool key n
window_gone 確認 || fail "No did not close the question"
sleep 0.5
kill -0 "$app" 2>/dev/null || fail "the program ended although the question was answered No"
xdotool key F1
window_named 確認 || fail "F1 did not ask again"
xdotool key y
for _ in $(seq 300); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  fail "F1 did not end the program"
fi
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/app.log")"
echo "e2e-demo: passed; screenshots in $out/e2e-demo-*.png"
