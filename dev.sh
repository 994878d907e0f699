#!/usr/bin/env bash
# Builds Pellamar on a Debian machine, installing what is missing first.
#   ./dev.sh run    build and open the window
#   ./dev.sh test   build and run every test: the suite, the suite again under
#                   AddressSanitizer and UBSan, and the fuzz targets
#   ./dev.sh bench  build and run the benchmark
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make pkg-config dpkg-dev libgtest-dev googletest
  qt6-base-dev libgl-dev libegl-dev qt6-qpa-plugins fonts-dejavu-core desktop-file-utils
  libssl-dev libbenchmark-dev clang clang-tidy libclang-rt-14-dev)

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
  cmake --preset "$1"
  cmake --build --preset "$1" --parallel "$(nproc)"
}

# Each target runs a bounded count from its seed corpus; a finding fails the
# run and leaves the input in build-fuzz/findings.
fuzz() {
  mkdir -p build-fuzz/findings
  for target in forward reverse; do
    local work
    work=$(mktemp -d)
    build-fuzz/fuzz/${target}_fuzzer -runs=2000000 -max_total_time=45 \
      -artifact_prefix=build-fuzz/findings/${target}- "$work" "fuzz/corpus/$target"
    rm -rf "$work"
  done
}

case "${1:-}" in
  run)
    install_missing "${packages[@]}"
    build default
    exec build/app/pellamar
    ;;
  test)
    install_missing "${packages[@]}"
    build default
    ctest --preset default --parallel "$(nproc)"
    build sanitizers
    ctest --preset sanitizers --parallel "$(nproc)"
    build fuzz
    fuzz
    # The benchmark is built and run once briefly; its timings are not judged.
    build/bench/pellamar_benchmark --benchmark_min_time=0.01
    ;;
  bench)
    install_missing "${packages[@]}"
    build default
    build/bench/pellamar_benchmark
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
