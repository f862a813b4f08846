#!/usr/bin/env bash
# Smoke run of the real demonstration under Xvfb, driven by xdotool: the
# voucher window comes up, holding Shift changes the function-key captions
# (and releasing it brings them back), a number typed into 売上番号 shows,
# F8 on a line's unit price opens the calculator ("電卓"), F1 on the
# changed voucher asks first (a box captioned "確認": No keeps the program,
# Yes ends it cleanly). Before that, Shift+F6..F12 open the other windows:
# each shows its caption ("*" in the folder tree leaves its window
# answering), zbar reads the codes of the component list and
# the barcode window (again after changing them by keys, and the QR code
# after two picks of its module size by mouse), and each closes
# by its own key, button or a click on its background. Screenshots go to <build>/test-output/e2e-demo-*.png.
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

# ---- the other windows, opened by Shift+F6..F12 from the voucher window

# The id of the visible window captioned exactly $1 (after window_named).
window_id() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1
}
# Opens window $2 with Shift+$1 and sets WX, WY to its client origin. The
# key's release follows its press at once, so that both are read together
# (as under load): the key must still come up once the window closes.
open_window() {
  xdotool keydown Shift_L
  sleep 0.2
  xdotool key --delay 0 "$1"
  xdotool keyup Shift_L
  window_named "$2" || fail "Shift+$1 did not open \"$2\""
  local id
  id=$(window_id "$2")
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/W/')"
}
# Clicks the client point x y of the window opened last.
click_at() {
  xdotool mousemove --sync $((WX + $1)) $((WY + $2)) click 1
}
# The symbols zbar reads ("type:data" lines) in the client region x y w h of the window opened
# last, from a screenshot named $1; doubled first, as zbar misses bars one
# pixel wide.
scan() {
  import -window root "$out/e2e-demo-$1.png"
  convert "$out/e2e-demo-$1.png" -crop "$4x$5+$((WX + $2))+$((WY + $3))" +repage \
    -bordercolor white -border 20 -scale 200% "$work/$1-scan.png"
  zbarimg -q -Scodabar.min-length=1 "$work/$1-scan.png" 2>/dev/null || true
}
# Scans (as scan does) until every pattern after the region is found, for up
# to 10 seconds: a window under load paints late. Prints what was read last.
await_codes() {
  local name=$1 x=$2 y=$3 w=$4 h=$5 codes pattern ok
  shift 5
  for _ in $(seq 50); do
    codes=$(scan "$name" "$x" "$y" "$w" "$h")
    ok=1
    for pattern in "$@"; do
      printf '%s' "$codes" | grep -q "$pattern" || ok=""
    done
    [ -n "$ok" ] && return 0
    sleep 0.2
  done
  echo "$codes"
  return 1
}
# The bytes of the QR codes in the scan of screenshot $1, as they stand.
qr_bytes() {
  zbarimg -q --raw -Sdisable -Sqrcode.enable -Sbinary "$work/$1-scan.png" 2>/dev/null || true
}
# Replaces the text of the box at client point x y by typing $3, then Enter.
retype() {
  click_at "$1" "$2"
  xdotool key End
  for _ in $(seq 16); do xdotool key BackSpace; done
  xdotool type --delay 60 "$3"
  xdotool key Return
  sleep 0.3
}
closed() {
  window_gone "$1" || fail "$2 did not close \"$1\""
  kill -0 "$app" 2>/dev/null || fail "the program ended when \"$1\" closed"
}
has_tool_zbar=1
command -v zbarimg >/dev/null || has_tool_zbar=""

# shellcheck disable=SC2086
shot before-windows $bar
open_window F6 コンポーネント一覧
if [ -n "$has_tool_zbar" ]; then
  codes=$(await_codes list 0 0 781 200 "Codabar:A123456789012A" "QR-Code:") ||
    fail "zbar does not read the codes of the component list: $codes"
  [ "$(qr_bytes list | od -An -tx1 | tr -d ' \n')" = "8fcb56656c6d6f7261" ] ||
    fail "zbar does not read the QR code \"祥Velmora\" in CP932"
fi
# Shift's release already named F1 "閉じる" here; F1 closes.
xdotool key F1
closed コンポーネント一覧 F1

open_window F7 "DirectoryViewの例"
import -window root "$out/e2e-demo-folders.png"
# "*" on the first root opens the folders below it step by step: the window
# answers meanwhile, and Esc stops it.
click_at 53 19
xdotool key KP_Multiply
sleep 1
xdotool key Escape
import -window root "$out/e2e-demo-folders-open.png"
click_at 375 368   # "戻らない": nothing found yet, nothing happens
sleep 0.3
window_named "DirectoryViewの例" || fail "\"戻らない\" closed the folder window"
click_at 497 368
closed "DirectoryViewの例" "\"戻る\""

open_window F8 Form3
import -window root "$out/e2e-demo-shapes.png"
click_at 30 42     # a shape
sleep 0.3
window_named Form3 || fail "a click on a shape closed the shape window"
click_at 750 360
closed Form3 "a click on the background"

open_window F9 FrmZvVLabel
import -window root "$out/e2e-demo-vlabels.png"
click_at 40 40
sleep 0.3
window_named FrmZvVLabel || fail "a click on a label closed the rotated-label window"
click_at 710 336
closed FrmZvVLabel "a click on the background"

open_window F10 FrmZvAVLabel
import -window root "$out/e2e-demo-avlabels.png"
click_at 70 20
sleep 0.3
window_named FrmZvAVLabel || fail "a click on a label closed the even-label window"
click_at 598 189
closed FrmZvAVLabel "a click on the background"

open_window F11 Form5
import -window root "$out/e2e-demo-edits.png"
click_at 594 398
closed Form5 "\"閉じる\""

open_window F12 Form6
if [ -n "$has_tool_zbar" ]; then
  codes=$(await_codes barcode 0 40 600 260 "Codabar:A1234567890A" "QR-Code:Velmora") ||
    fail "zbar does not read the NW7 barcode and the QR code: $codes"
  retype 120 284 btCODE39      # 種類
  retype 120 254 4711          # barcode data
  retype 480 254 "Demo 42"     # QR data
  retype 350 284 2             # module size
  retype 490 284 90            # angle
  codes=$(await_codes barcode-changed 0 40 600 260 "CODE-39:4711" "QR-Code:Demo 42") ||
    fail "zbar does not read the changed barcode and QR code: $codes"
fi
# The module size picked twice by mouse from its list (button, then item)
# while the angle box holds the focus: each pick redraws the QR code.
qr_shot() {
  import -window root "$work/$1.png"
  convert "$work/$1.png" -crop "150x170+$((WX + 440))+$((WY + 62))" +repage "$work/$1-qr.png"
}
pick_size() {
  qr_shot "size-before-$1"
  click_at 384 287
  sleep 0.5
  click_at 344 $((303 + 14 * ($1 - 1)))
  for _ in $(seq 50); do
    qr_shot "size-$1"
    [ "$(changed "$work/size-before-$1-qr.png" "$work/size-$1-qr.png")" -gt 0 ] && return 0
    sleep 0.2
  done
  fail "picking module size $1 from the list did not redraw the QR code"
}
click_at 490 284
pick_size 6
pick_size 3
click_at 546 322
closed Form6 "\"閉じる\""

# Back in the voucher window: its own captions, and Shift still works.
# shellcheck disable=SC2086
await same back before-windows $bar || fail "the voucher window's captions did not come back"
xdotool keydown Shift_L
# shellcheck disable=SC2086
await differ shift-again before-windows $bar || fail "Shift no longer changes the captions after the other windows"
xdotool keyup Shift_L

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
