#!/usr/bin/env bash
# Installs the library from a finished build tree into a folder of its own
# and builds a small program against it twice, as a C++ program's
# developer would: with CMake's find_package(Pellamar) and with pkg-config.
# Both programs must run and print what the library reads and writes.
# Arguments: the build tree, the C++ compiler.
set -euo pipefail
build=$1
compiler=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --component dev --prefix "$work/prefix" >/dev/null
mkdir "$work/source"
cat >"$work/source/consumer.cpp" <<'PROGRAM'
#include <iostream>
#include <pellamar/readers.hpp>
#include <pellamar/writers.hpp>

int main(int argc, char* argv[]) {
  for (int index = 1; index < argc; ++index) {
    pellamar::ObjectIdentifier identifier;
    if (const auto error = pellamar::readIdentifier(argv[index], identifier)) {
      std::cout << pellamar::describe(*error, argv[index],
                                      pellamar::latin1Place(*error, argv[index]))
                << '\n';
      continue;
    }
    std::string text;
    pellamar::append(identifier, pellamar::Form::DerHex, text);
    std::cout << text << '\n';
  }
}
PROGRAM
cat >"$work/source/CMakeLists.txt" <<'LISTS'
cmake_minimum_required(VERSION 3.25)
project(Consumer LANGUAGES CXX)
find_package(Pellamar 1.1 REQUIRED)
add_executable(consumer consumer.cpp)
target_link_libraries(consumer PRIVATE Pellamar::pellamar)
LISTS
expected='06 06 2A 86 48 86 F7 0D
06 03 55 04 03
The identifier ends with a full stop at position 4, where another arc should follow.'
status=0
check() {
  local how=$1 actual
  actual=$("$2" 1.2.840.113549 '{ joint-iso-itu-t ds(5) 4 3 }' 1.2.)
  if [ "$actual" = "$expected" ]; then
    echo "passed: $how"
  else
    echo "FAILED: $how printed:"
    echo "$actual"
    status=1
  fi
}
CXX=$compiler cmake -S "$work/source" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  >/dev/null
cmake --build "$work/cmake-build" >/dev/null
check find_package "$work/cmake-build/consumer"
pc_dir=$(dirname "$(find "$work/prefix" -name pellamar.pc)")
# shellcheck disable=SC2046
"$compiler" -std=c++20 -o "$work/consumer" "$work/source/consumer.cpp" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs pellamar)
check pkg-config "$work/consumer"
exit $status
