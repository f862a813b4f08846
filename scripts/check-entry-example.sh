#!/usr/bin/env bash
# The README's data-entry example (examples/OrderEntry), as check-install.sh
# built it against the installed library, run under Xvfb and typed into
# with xdotool as a user would: the order number and the date are
# reformatted, a date that does not exist keeps the focus, the kind is
# chosen by its first letter, which moves on into the grid, a line with a
# decimal price gets its amount, and F12 writes the order. A screenshot goes to
# <build>/test-output/order-entry.png.
# usage: check-entry-example.sh <build dir>     Exit 77 (skipped) without the tools.
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$build/install-check/OrderEntry/OrderEntry
out=$build/test-output
mkdir -p "$out"

for tool in Xvfb xdotool import; do
  command -v "$tool" > /dev/null || { echo "check-entry-example: $tool is missing; skipped"; exit 77; }
done
[ -x "$exe" ] || { echo "check-entry-example: $exe not built (check-install.sh builds it)"; exit 1; }

# shellcheck source=scripts/xvfb-session.sh
. "$(dirname "$0")/xvfb-session.sh"
fail() { echo "check-entry-example: $*" >&2; exit 1; }

start_xvfb || fail "Xvfb did not start"
QT_QPA_PLATFORM=xcb "$exe" > "$work/order.txt" 2> "$work/app.log" &
app=$!
window=$(app_window "Order entry") || fail "the order window did not appear: $(cat "$work/app.log")"
xdotool windowfocus --sync "$window"
sleep 0.5

typed() {
  xdotool type --delay 60 "$1"
  xdotool key Return
}
typed 12
typed 2024/13/1     # no such month: the box keeps the focus and the text
xdotool key --repeat 9 BackSpace
typed 2024/5/1
typed tanaka
xdotool type r      # "Return", by its first letter: the choice moves on into the grid
typed pen
typed 2
typed 1234.5
import -window root "$out/order-entry.png"
xdotool key F12
for _ in $(seq 100); do
  kill -0 "$app" 2> /dev/null || break
  sleep 0.1
done
kill -0 "$app" 2> /dev/null && fail "F12 did not end the program"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/app.log")"

printf '%s\n' "000012 2024/05/01 tanaka Return" "1 pen 2 1,234.5 2,469" > "$work/expected.txt"
diff -u "$work/expected.txt" "$work/order.txt" || fail "the order written is not the one typed"
echo "check-entry-example: the example took an order as typed"
