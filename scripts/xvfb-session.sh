# shellcheck shell=bash
# Sourced by the scripts that run the demonstration without a display:
# start_xvfb starts Xvfb on a free display and exports DISPLAY; the EXIT trap
# ends the program ($app), Xvfb and removes the work folder ($work).
work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Returns non-zero when Xvfb did not come up.
start_xvfb() {
  # Xvfb picks a free display and writes its number to a file.
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(head -n1 "$work/display")"
}

# Prints the id of the first visible window whose name matches $1, waiting
# up to 30 seconds. Returns 1 when none came, 2 when the program ($app)
# ended first.
app_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$app" 2>/dev/null || return 2
    sleep 0.1
  done
  return 1
}
