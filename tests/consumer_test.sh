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
status=0
# Names an identifier from a names file, and every identifier found in a DER
# file with its name.
cat >"$work/source/named.cpp" <<'PROGRAM'
#include <fstream>
#include <iostream>
#include <iterator>
#include <pellamar/input_scanner.hpp>
#include <pellamar/names/name_resolution.hpp>
#include <pellamar/names/name_sources.hpp>
#include <pellamar/writers.hpp>

namespace names = pellamar::names;

class Printer final : public pellamar::InputSink {
 public:
  explicit Printer(const names::NameDatabase& table) : table_(table) {}
  void found(const pellamar::FoundIdentifier& identifier) override {
    std::string dotted;
    pellamar::append(identifier.contents, pellamar::Form::Dotted, dotted);
    const auto own = table_.namesOf(identifier.contents.octets());
    std::cout << identifier.offset << ' ' << dotted << ' '
              << (own.empty() ? std::string("-") : own.front().qualified()) << '\n';
  }
  void fault(const pellamar::ScanFault& fault) override {
    std::cout << pellamar::describe(fault) << '\n';
  }
  void blockStarted(std::size_t /*number*/, std::string_view /*label*/) override {}
  void textFault(std::uint64_t /*line*/, std::uint64_t /*column*/,
                 const std::string& message) override {
    std::cout << message << '\n';
  }

 private:
  const names::NameDatabase& table_;
};

int main(int argc, char* argv[]) {
  if (argc != 4) {
    return 2;
  }
  names::NameLocations locations;
  locations.namesFiles = {argv[1]};
  const names::NameDatabase table = names::loadNames(locations);
  names::NameReading reading;
  pellamar::ObjectIdentifier identifier;
  if (const auto message = names::resolveName(table, argv[2], reading, identifier)) {
    std::cout << *message << '\n';
  } else {
    std::string dotted;
    pellamar::append(identifier, pellamar::Form::Dotted, dotted);
    std::cout << argv[2] << ' ' << dotted << '\n';
  }
  std::ifstream file(argv[3], std::ios::binary);
  const std::string octets((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Printer printer(table);
  pellamar::InputScanner scanner(printer);
  scanner.feed({reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size()});
  scanner.finish();
}
PROGRAM
cat >"$work/source/CMakeLists.txt" <<'LISTS'
cmake_minimum_required(VERSION 3.25)
project(Consumer LANGUAGES CXX)
find_package(Pellamar 1.1 REQUIRED)
add_executable(consumer consumer.cpp)
target_link_libraries(consumer PRIVATE Pellamar::pellamar)
add_executable(named named.cpp)
target_link_libraries(named PRIVATE Pellamar::names)
LISTS
printf '1.3.6.1.4.1.99999.1 ourThing\n1.3.6.1.4.1.99999.1.2 ourPart Its part.\n' >"$work/our.names"
# SEQUENCE { OID 1.3.6.1.4.1.99999.1.2, OID 1.2 }
printf '\x30\x0f\x06\x0a\x2b\x06\x01\x04\x01\x86\x8d\x1f\x01\x02\x06\x01\x2a' >"$work/our.der"
named_expected='ourThing.7 1.3.6.1.4.1.99999.1.7
2 1.3.6.1.4.1.99999.1.2 ourPart
14 1.2 -'
check_named() {
  local how=$1 actual
  actual=$("$2" "$work/our.names" ourThing.7 "$work/our.der" 2>&1)
  if [ "$actual" = "$named_expected" ]; then
    echo "passed: $how names"
  else
    echo "FAILED: $how names printed:"
    echo "$actual"
    status=1
  fi
}
expected='06 06 2A 86 48 86 F7 0D
06 03 55 04 03
The identifier ends with a full stop at position 4, where another arc should follow.'
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
check_named find_package "$work/cmake-build/named"
pc_dir=$(dirname "$(find "$work/prefix" -name pellamar.pc)")
# shellcheck disable=SC2046
"$compiler" -std=c++20 -o "$work/consumer" "$work/source/consumer.cpp" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs pellamar)
check pkg-config "$work/consumer"
# shellcheck disable=SC2046
"$compiler" -std=c++20 -o "$work/named" "$work/source/named.cpp" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs pellamar-names)
check_named pkg-config "$work/named"
exit $status
