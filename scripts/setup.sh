#!/usr/bin/env bash
# Installs what the tool needs from Debian packages (only what is missing) and
# builds it into build/. Safe to run again at any time.
#   scripts/setup.sh            install dependencies and build
#   scripts/setup.sh --deps     install dependencies only
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build pkg-config g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev libftdi1-dev libusb-1.0-0-dev
          libcli11-dev nlohmann-json3-dev clang
          libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation xvfb xauth
          dpkg-dev)  # dpkg-shlibdeps: the Debian package's dependencies (cpack -G DEB)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" = "--deps" ] && exit 0

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=ON >/dev/null
cmake --build build
