#!/usr/bin/env bash
# Builds Pellamar on a Debian machine, installing what is missing first.
#   ./dev.sh run    build and open the window
#   ./dev.sh test   build and run every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make pkg-config libgtest-dev googletest
  qt6-base-dev libgl-dev libegl-dev qt6-qpa-plugins fonts-dejavu-core desktop-file-utils)

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build --parallel "$(nproc)"
}

case "${1:-}" in
  run)
    install_missing "${packages[@]}"
    build
    exec build/app/pellamar
    ;;
  test)
    install_missing "${packages[@]}"
    build
    ctest --test-dir build --output-on-failure --parallel "$(nproc)"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
