#include "strict_identifier.hpp"

#include <string>

#include "character_names.hpp"
#include "objid_buffer.hpp"

namespace {

constexpr std::string_view UrnPrefix = "urn:oid:";

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool startsWithUrnPrefix(std::string_view codes) {
  if (codes.size() < UrnPrefix.size()) {
    return false;
  }
  for (std::size_t index = 0; index < UrnPrefix.size(); ++index) {
    const char c = codes[index];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != UrnPrefix[index]) {
      return false;
    }
  }
  return true;
}

[[noreturn]] void fail(const std::string& message, std::size_t index) {
  throw pellamar::ConversionError(pellamar::ErrorKind::InvalidArgument, message,
                                  static_cast<int>(index) + 1);
}

std::string at(std::size_t index) {
  return " at position " + std::to_string(index + 1);
}

[[noreturn]] void failOnCharacter(std::string_view codes, std::size_t index) {
  const auto code = static_cast<unsigned char>(codes[index]);
  fail(pellamar::detail::capitalized(pellamar::detail::nameCharacter(code)) + at(index) +
           " cannot stand in an identifier, which has only digits and full stops.",
       index);
}

}  // namespace

std::size_t strictArcsStart(std::string_view codes) {
  std::size_t start = 0;
  if (startsWithUrnPrefix(codes)) {
    start = UrnPrefix.size();
  } else if (!codes.empty() && codes.front() == '.') {
    start = 1;
  }
  if (start == codes.size()) {
    fail("The identifier has no arcs" + (start == 0 ? std::string() : " after its prefix") + ".",
         start);
  }
  std::size_t arcs = 0;
  std::size_t index = start;
  for (;;) {
    const std::size_t arcStart = index;
    while (index < codes.size() && isDigit(codes[index])) {
      ++index;
    }
    if (index == arcStart) {
      if (index == codes.size()) {
        fail("The identifier ends with a full stop" + at(index - 1) +
                 ", where another arc should follow.",
             index - 1);
      }
      if (codes[index] == '.') {
        fail("The full stop" + at(index) +
                 " does not follow an arc: arcs are separated by single full stops.",
             index);
      }
      failOnCharacter(codes, index);
    }
    if (codes[arcStart] == '0' && index - arcStart > 1) {
      fail(
          "The arc" + at(arcStart) + " starts with a zero; arcs are written without leading zeros.",
          arcStart);
    }
    ++arcs;
    if (index == codes.size()) {
      break;
    }
    if (codes[index] != '.') {
      failOnCharacter(codes, index);
    }
    ++index;
  }
  if (arcs < 2) {
    fail("The identifier has only one arc" + at(start) + "; it needs at least two.", start);
  }
  return start;
}
