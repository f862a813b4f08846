#!/usr/bin/env bash
# Starts the demonstration. With no display it runs under Xvfb, saves a
# screenshot of the voucher window to <build>/screenshot.png and ends it.
set -euo pipefail
build=${1:-build}
exe="$build/demo/VelmoraDemo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display: Xvfb picks it and writes its number to a file.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"

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
