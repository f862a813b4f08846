#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demonstration need.
# Only what is missing is installed; the package index is refreshed first when something is.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  # The tree is also checked to compile under clang (scripts/clang-syntax.sh).
  clang
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libqt6opengl6-dev
  libxcb1-dev
  libgtest-dev libgmock-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2
  libzbar-dev zbar-tools
  libcups2-dev
  qrencode libqrencode-dev
  libzint-dev
  libicu-dev
  qt6-declarative-dev
  emf2svg poppler-utils sqlite3
  # A CUPS queue that writes PDF files, for the print-through-CUPS tests
  # (Debian names the cups-pdf backend's package printer-driver-cups-pdf).
  cups cups-client printer-driver-cups-pdf
  xvfb xdotool imagemagick x11-utils
  python3
  zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
