#!/usr/bin/env bash
# Starts the demonstration. With no display it runs under Xvfb, saves a
# screenshot of the voucher window to <build>/screenshot.png and ends it.
set -euo pipefail
build=${1:-build}
exe="$build/demo/VelmoraDemo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

. "$(dirname "$0")/xvfb-session.sh"

start_xvfb || { echo "run-demo: Xvfb did not start"; exit 1; }

QT_QPA_PLATFORM=xcb "$exe" &
app=$!

# The voucher window once it shows (the whole screen when it cannot be found).
target=root
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name 'Velmora' 2>/dev/null | head -n1 || true)
  if [ -n "$window" ]; then
    target=$window
    break
  fi
  sleep 0.1
done
sleep 1
import -window "$target" "$build/screenshot.png"
echo "No display: the demonstration ran under Xvfb; screenshot saved to $build/screenshot.png"
