// Another reading of an item that was read one way: a Base64 text that is
// hexadecimal octets too, contents octets that are a whole DER encoding too,
// dotted text read leniently that is another identifier read strictly.
// Each says, as a warning, what the other reading gives, so that a user who
// meant it sees the difference.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "pellamar/readers.hpp"

namespace pellamar {

// When `base64`, read as Base64, is also an identifier's contents as
// hexadecimal pairs: the warning that says what --hex would read.
std::optional<std::string> hexadecimalReading(std::string_view base64);

// When `contents`, read as contents octets, are also a whole DER encoding
// of an identifier (tag 06, length, contents), read as `reading` does: the
// warning that says what --der would read.
std::optional<std::string> wholeEncodingReading(std::span<const std::uint8_t> contents,
                                                Reading reading);

// The warning that an item read leniently as `lenient` is `strict` when
// read strictly.
std::string strictReading(const ObjectIdentifier& lenient, const ObjectIdentifier& strict);

}  // namespace pellamar
