#!/usr/bin/env bash
# Starts the demonstration. With no display it runs under Xvfb, saves a
# screenshot to <build>/screenshot.png and exits after a few seconds.
set -euo pipefail
build=${1:-build}
exe="$build/demo/VelmoraDemo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" &
app=$!
sleep 4
DISPLAY=$display import -window root "$build/screenshot.png"
echo "No display: the demonstration ran under Xvfb; screenshot saved to $build/screenshot.png"
kill $app 2>/dev/null || true
wait $app 2>/dev/null || true
