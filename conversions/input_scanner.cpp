#include "pellamar/input_scanner.hpp"

#include <algorithm>
#include <optional>

#include "base64_table.hpp"
#include "character_names.hpp"

namespace pellamar {

namespace {

constexpr std::string_view BeginMarker = "-----BEGIN ";
constexpr std::string_view EndMarker = "-----END ";
constexpr std::string_view MarkerClose = "-----";
constexpr int GroupCharacters = 4;
constexpr int BitsPerCharacter = 6;

bool isBlank(std::uint8_t c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool isText(std::uint8_t c) {
  return (c >= 0x20 && c < 0x7F) || c == '\n' || isBlank(c);
}

std::string_view trimmed(std::string_view line) {
  while (!line.empty() && isBlank(static_cast<std::uint8_t>(line.back()))) {
    line.remove_suffix(1);
  }
  while (!line.empty() && isBlank(static_cast<std::uint8_t>(line.front()))) {
    line.remove_prefix(1);
  }
  return line;
}

// The label of a BEGIN line, or nothing when `line` is not one.
std::optional<std::string_view> beginLabel(std::string_view line) {
  if (!line.starts_with(BeginMarker) || !line.ends_with(MarkerClose) ||
      line.size() < BeginMarker.size() + MarkerClose.size()) {
    return std::nullopt;
  }
  return line.substr(BeginMarker.size(), line.size() - BeginMarker.size() - MarkerClose.size());
}

}  // namespace

InputScanner::InputScanner(InputSink& sink) : sink_(sink), scanner_(sink) {}

void InputScanner::feed(std::span<const std::uint8_t> octets) {
  if (kind_ == InputKind::Unknown) {
    const std::size_t taken = std::min(octets.size(), KindSample - sample_.size());
    sample_.insert(sample_.end(), octets.begin(),
                   octets.begin() + static_cast<std::ptrdiff_t>(taken));
    if (sample_.size() < KindSample) {
      return;
    }
    decide();
    octets = octets.subspan(taken);
  }
  if (kind_ == InputKind::Encoding) {
    scanner_.feed(octets);
  } else {
    text(octets);
  }
}

void InputScanner::decide() {
  if (!std::all_of(sample_.begin(), sample_.end(), isText) || sample_.empty()) {
    kind_ = InputKind::Encoding;
    scanner_.feed(sample_);
  } else {
    // Base64 when the first line with anything on it is Base64 alone (as
    // far as the sample goes); PEM otherwise, text around blocks included.
    const std::string_view sample(reinterpret_cast<const char*>(sample_.data()), sample_.size());
    std::size_t start = 0;
    while (start < sample.size() &&
           (isBlank(static_cast<std::uint8_t>(sample[start])) || sample[start] == '\n')) {
      ++start;
    }
    const std::string_view first = trimmed(sample.substr(start, sample.find('\n', start) - start));
    const bool base64 = !first.empty() && std::all_of(first.begin(), first.end(), [](char c) {
      return detail::base64Value(static_cast<unsigned char>(c)) != detail::NotInAlphabet;
    });
    kind_ = base64 ? InputKind::Base64 : InputKind::Pem;
    text(sample_);
  }
  sample_.clear();
  sample_.shrink_to_fit();
}

void InputScanner::text(std::span<const std::uint8_t> octets) {
  for (const std::uint8_t c : octets) {
    if (c == '\n') {
      endLine();
      ++line_;
      column_ = 0;
      continue;
    }
    ++column_;
    if (kind_ == InputKind::Base64) {
      if (!skipping_ && !isBlank(c)) {
        base64(c, column_);
      }
    } else if (lineText_.size() < MaxLineKept) {
      lineText_ += static_cast<char>(c);
    }
  }
}

void InputScanner::endLine() {
  if (kind_ != InputKind::Pem) {
    return;
  }
  const std::uint64_t length = column_;
  const std::string_view line = trimmed(lineText_);
  if (const auto label = beginLabel(line)) {
    if (inBlock_ && !skipping_) {
      textFault(0, "the PEM block that begins at line " + std::to_string(blockLine_) +
                       " has no END line before this one");
    }
    beginBlock(*label);
  } else if (inBlock_ && line.starts_with(EndMarker)) {
    if (!skipping_) {
      endBase64();
    }
    inBlock_ = false;
  } else if (inBlock_ && !skipping_) {
    if (length > MaxLineKept) {
      textFault(0, "the line is longer than " + std::to_string(MaxLineKept) +
                       " characters, which no PEM block has");
    } else if (blockData_ || (!line.empty() && line.find(':') == std::string_view::npos)) {
      // Headers ("Proc-Type: 4,ENCRYPTED") and blank lines come before the
      // data.
      blockData_ = true;
      for (std::size_t index = 0; index < lineText_.size(); ++index) {
        const auto c = static_cast<std::uint8_t>(lineText_[index]);
        if (!isBlank(c) && !base64(c, index + 1)) {
          break;
        }
      }
    }
  }
  lineText_.clear();
}

void InputScanner::beginBlock(std::string_view label) {
  ++blocks_;
  sink_.blockStarted(blocks_, label);
  scanner_.reset();
  inBlock_ = true;
  blockLine_ = line_;
  blockData_ = false;
  skipping_ = false;
  group_ = 0;
  groupCharacters_ = 0;
  padding_ = 0;
  padded_ = false;
  decoded_.clear();
}

bool InputScanner::base64(std::uint8_t character, std::uint64_t column) {
  const int value = detail::base64Value(character);
  if (value == detail::NotInAlphabet) {
    textFault(column, detail::nameCharacter(character) + " is not a Base64 character");
    return false;
  }
  if (value == detail::PaddingValue) {
    if (groupCharacters_ < 2 || groupCharacters_ + padding_ == GroupCharacters) {
      textFault(column, "the padding character \"=\" stands where no octet is open");
      return false;
    }
    padded_ = true;
    ++padding_;
    return true;
  }
  if (padded_) {
    textFault(column, "Base64 data follows the padding");
    return false;
  }
  group_ = group_ << BitsPerCharacter | static_cast<std::uint32_t>(value);
  if (++groupCharacters_ == GroupCharacters) {
    endGroup();
  }
  return true;
}

void InputScanner::endGroup() {
  // A group of k characters holds k - 1 octets, the first in its top bits.
  const std::uint32_t bits = group_ << (BitsPerCharacter * (GroupCharacters - groupCharacters_));
  for (int octet = 0; octet < groupCharacters_ - 1; ++octet) {
    decoded_.push_back(static_cast<std::uint8_t>(bits >> (16 - 8 * octet)));
  }
  group_ = 0;
  groupCharacters_ = 0;
  if (decoded_.size() >= DecodedPiece) {
    flushDecoded();
  }
}

void InputScanner::endBase64() {
  if (groupCharacters_ == 1) {
    textFault(0, "a lone Base64 character ends the octets, which no octet ends with");
    return;
  }
  if (groupCharacters_ > 0) {
    endGroup();
  }
  flushDecoded();
  scanner_.finish();
}

void InputScanner::flushDecoded() {
  scanner_.feed(decoded_);
  decoded_.clear();
}

void InputScanner::textFault(std::uint64_t column, const std::string& message) {
  // The octets decoded before the fault are scanned; the fault cuts them,
  // and says so itself.
  if (!skipping_) {
    flushDecoded();
    scanner_.abandon();
  }
  sink_.textFault(line_, column, message);
  skipping_ = true;
}

void InputScanner::finish() {
  if (kind_ == InputKind::Unknown) {
    decide();
  }
  if (kind_ == InputKind::Encoding) {
    scanner_.finish();
    return;
  }
  if (column_ > 0) {
    endLine();
  }
  if (kind_ == InputKind::Base64) {
    if (!skipping_) {
      endBase64();
    }
    return;
  }
  if (inBlock_ && !skipping_) {
    // As when another block begins before the END line: what a string
    // held so far is scanned too.
    textFault(
        0, "the input ends inside the PEM block that begins at line " + std::to_string(blockLine_));
  } else if (blocks_ == 0) {
    sink_.textFault(0, 0, "there is no PEM block in the text, and it is not Base64");
  }
}

}  // namespace pellamar
