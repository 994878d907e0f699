#!/usr/bin/env bash
# Builds Pellamar on a Debian machine, installing what is missing first.
#   ./dev.sh run    build and open the window
#   ./dev.sh test   build and run every test: the suite with the web page,
#                   the suite again under AddressSanitizer and UBSan, a
#                   packager's Release build with Debian's flags, a build
#                   without the tests, the fuzz targets and the benchmarks
#   ./dev.sh bench  build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

# The window alone, for ./dev.sh run.
window_packages=(cmake g++ make qt6-base-dev libgl-dev libegl-dev qt6-qpa-plugins fonts-dejavu-core)
packages=("${window_packages[@]}" pkg-config dpkg-dev libgtest-dev googletest desktop-file-utils
  help2man lintian libcli11-dev libunistring-dev dumpasn1 python3 file time strace libssl-dev
  libbenchmark-dev clang clang-tidy libsmi2-dev libldap-dev slapd libwireshark-data python3-pydicom
  smitools libsnmp-base bc openssl ca-certificates jq)
# The web page: Emscripten builds it, Chromium and tidy test it.
web_packages=(emscripten nodejs chromium tidy)

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs the packages that are missing, as root or through sudo. Without
# either, it says what to run and stops.
install_missing() {
  local missing=()
  for package in "$@"; do
    is_installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null || { ! sudo -n true 2>/dev/null && [ ! -t 0 ]; }; then
      echo "$0: these packages are missing: ${missing[*]}" >&2
      echo "$0: there is no root and no working sudo here; as root, run" >&2
      echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
      echo "and then this command again." >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# The sanitizer and fuzzer runtimes ship with the clang version installed.
install_clang_runtime() {
  local version
  version=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  install_missing "libclang-rt-$version-dev"
}

build() {
  local preset=$1
  shift
  cmake --preset "$preset" "$@"
  cmake --build --preset "$preset" --parallel "$(nproc)"
}

# The page's test drives Chromium with puppeteer-core, a library from npm
# (it downloads no browser), at the version its lock file names.
install_page_test() {
  if ! command -v npm >/dev/null; then
    install_missing npm
  fi
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
}

# A packager's build: plain CMake, Release, with Debian's own compiler and
# linker flags (all hardening on), and warnings fatal, so that a warning
# only optimisation shows is seen.
packager_build() {
  local CXXFLAGS LDFLAGS
  CXXFLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $(
    DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
  LDFLAGS=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  # Google Benchmark is left out, as a packager's machine may not have it:
  # every test still builds and runs.
  CXXFLAGS=$CXXFLAGS LDFLAGS=$LDFLAGS cmake -S . -B build-release \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  cmake --build build-release --parallel "$(nproc)"
  ctest --test-dir build-release --output-on-failure --parallel "$(nproc)"
}

# The README's packager lines, word for word, in a copy of the sources: the
# packages its apt-get line names must be installed (every other build here
# needs them too), and its commands must make the packages, so that the
# README cannot drift from the build.
readme_packager_build() {
  local tree lines install
  tree=$(mktemp -d)
  git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$tree"
  lines=$(sed -n '/^## Build as a packager/,/^## Install/p' README.md |
    sed -n '/^```sh$/,/^```$/{/^```/d;p}')
  install=$(printf '%s\n' "$lines" | sed -e ':a' -e '/\\$/N; s/\\\n//; ta' | grep '^apt-get install')
  for package in ${install#apt-get install}; do
    if ! is_installed "$package"; then
      echo "$0: the README's packager line names $package, which is not installed" >&2
      exit 1
    fi
  done
  (cd "$tree" && printf '%s\n' "$lines" | sed -e ':a' -e '/\\$/N; s/\\\n//; ta' |
    grep -v '^apt-get' | bash -euo pipefail)
  for package in pellamar pellamar-cli pellamar-dev; do
    if ! compgen -G "$tree/build/${package}_*.deb" >/dev/null; then
      echo "$0: the README's packager lines made no $package package" >&2
      exit 1
    fi
  done
  rm -rf "$tree"
}

# What ships builds with clang too, and without any test dependency.
shipped_only_build() {
  CXX=clang++ cmake -S . -B build-shipped -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  cmake --build build-shipped --parallel "$(nproc)"
}

# Each target runs a bounded count from its seed corpus; a finding fails the
# run and leaves the input in build-fuzz/findings.
fuzz() {
  mkdir -p build-fuzz/findings
  for target in forward reverse scan text printers names; do
    local work
    work=$(mktemp -d)
    # Whole stacks, where the names' libraries allocate, so that their own
    # leaks are told from the program's by the function they start in.
    ASAN_OPTIONS=$([ "$target" = names ] && echo fast_unwind_on_malloc=0) \
      LSAN_OPTIONS=suppressions=$PWD/tests/leak_suppressions.txt:print_suppressions=0 \
      build-fuzz/fuzz/${target}_fuzzer -runs=2000000 -max_total_time=45 \
        -artifact_prefix=build-fuzz/findings/${target}- "$work" "fuzz/corpus/$target"
    rm -rf "$work"
  done
}

case "${1:-}" in
  run)
    # The window alone: no tests, no pellamar-cli, no web page.
    install_missing "${window_packages[@]}"
    cmake -S . -B build-window -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
      -DPELLAMAR_CLI=OFF -DPELLAMAR_WEB=OFF
    cmake --build build-window --target pellamar --parallel "$(nproc)"
    exec build-window/app/pellamar
    ;;
  test)
    install_missing "${packages[@]}" "${web_packages[@]}"
    install_clang_runtime
    install_page_test
    build default -DPELLAMAR_WEB=ON
    ctest --preset default --parallel "$(nproc)"
    build sanitizers
    ctest --preset sanitizers --parallel "$(nproc)"
    packager_build
    readme_packager_build
    shipped_only_build
    build fuzz
    fuzz
    # The benchmarks are built and run once briefly; their timings are not
    # judged, but the two command lines' outputs must agree.
    build/bench/pellamar_benchmark --benchmark_min_time=0.01
    bench/cli_vs_openssl.sh build 20000
    bench/names.sh build 20000
    bench/scan.sh build 5
    ;;
  bench)
    install_missing "${packages[@]}" valgrind
    build default
    build/bench/pellamar_benchmark
    bench/cli_vs_openssl.sh build 1000000 --instructions
    bench/names.sh build 1000000 --instructions
    bench/names_coverage.sh build
    bench/scan.sh build 200
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
