// The page's two actions, as the window's: the same conversions, called
// from JavaScript through a small C interface. Texts cross as one Latin-1
// code a character, as the window hands them over; results and messages
// come back as UTF-8.
#include <emscripten/emscripten.h>

#include <string>
#include <string_view>

#include "objid_conversions.hpp"

namespace {

// What the last action gave: its two texts, or its failure.
struct Outcome {
  std::string first;
  std::string second;
  std::string message;
  int position = 0;
};

Outcome outcome;

std::string_view codesOf(const char* codes, int length) {
  return {codes, static_cast<std::size_t>(length)};
}

// Runs `action`; returns 1 when it converted, 0 when it failed.
template <typename Action>
int run(const Action& action) {
  outcome = {};
  try {
    action();
    return 1;
  } catch (const pellamar::ConversionError& error) {
    outcome.message = error.what();
    outcome.position = error.position();
    return 0;
  }
}

}  // namespace

extern "C" {

// ToVisible: the identifier's octets as hexadecimal pairs (first) and as
// Base64 (second).
EMSCRIPTEN_KEEPALIVE int pellamar_to_visible(const char* codes, int length) {
  return run([&] {
    pellamar::ObjIDBuffer octets;
    const std::int16_t count = pellamar::ObjIDStringToBinary(octets, codesOf(codes, length));
    std::string base64 = pellamar::ObjIDBinaryToBase64(octets, count);
    outcome.first = pellamar::ObjIDBinaryToHex(octets, count);
    outcome.second = std::move(base64);
  });
}

// ToID: the identifier rebuilt from the Base64 text (first).
EMSCRIPTEN_KEEPALIVE int pellamar_to_id(const char* codes, int length) {
  return run([&] {
    pellamar::ObjIDBuffer octets;
    const std::int16_t count = pellamar::ObjIDBase64ToBinary(codesOf(codes, length), octets);
    outcome.first = pellamar::ObjIDBinaryToString(octets, count);
  });
}

EMSCRIPTEN_KEEPALIVE const char* pellamar_first() {
  return outcome.first.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* pellamar_second() {
  return outcome.second.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* pellamar_message() {
  return outcome.message.c_str();
}
EMSCRIPTEN_KEEPALIVE int pellamar_position() {
  return outcome.position;
}
}
