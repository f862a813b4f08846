#!/usr/bin/env bash
# Starts the demonstration. With no display it runs under Xvfb, saves a
# screenshot of the voucher window to <build>/screenshot.png and ends it.
set -euo pipefail
build=${1:-build}
exe="$build/demo/VelmoraDemo"
[ -x "$exe" ] || { echo "run-demo: $exe is not built"; exit 1; }

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "run-demo: no display and $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

# shellcheck source=scripts/xvfb-session.sh
. "$(dirname "$0")/xvfb-session.sh"

start_xvfb || { echo "run-demo: Xvfb did not start"; exit 1; }

QT_QPA_PLATFORM=xcb "$exe" &
app=$!

found=0
window=$(app_window Velmora) || found=$?
if [ "$found" -eq 2 ]; then
  status=0
  wait "$app" || status=$?
  app=""
  echo "run-demo: the demonstration ended at start-up (status $status)"
  exit 1
fi
[ "$found" -eq 0 ] || { echo "run-demo: the voucher window did not appear"; exit 1; }
sleep 1
kill -0 "$app" 2>/dev/null || { echo "run-demo: the demonstration ended before the screenshot"; exit 1; }
import -window "$window" "$build/screenshot.png"
echo "No display: the demonstration ran under Xvfb; screenshot saved to $build/screenshot.png"
