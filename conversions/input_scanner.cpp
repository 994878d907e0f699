#include "pellamar/input_scanner.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "base64_table.hpp"
#include "pellamar/characters.hpp"
#include "pellamar/utf8.hpp"

namespace pellamar {

namespace {

constexpr std::string_view BeginMarker = "-----BEGIN ";
constexpr std::string_view EndMarker = "-----END ";
constexpr std::string_view MarkerClose = "-----";
constexpr std::string_view ProcType = "Proc-Type:";
constexpr int GroupCharacters = 4;
constexpr int BitsPerCharacter = 6;
// The most octets of one UTF-8 character (RFC 3629).
constexpr std::size_t MaxCharacterOctets = 4;

bool isBlank(std::uint8_t c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool isText(std::uint8_t c) {
  return (c >= 0x20 && c < 0x7F) || c == '\n' || isBlank(c);
}

// Whether `octets` are text: printable ASCII, blanks and line ends, and
// other characters in UTF-8 ("Müller" in `openssl x509 -text` output), C1
// controls (U+0080 to U+009F) apart. Any BER encoding has an octet that is
// none of these among its first. A sample may end inside a character.
bool isTextSample(std::span<const std::uint8_t> octets) {
  const std::string_view text(reinterpret_cast<const char*>(octets.data()), octets.size());
  const auto continues = [](char c) { return (static_cast<std::uint8_t>(c) & 0xC0U) == 0x80; };
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    const std::size_t length = lead < 0x80 ? (isText(lead) ? 1 : 0) : utf8CharacterLength(text, at);
    if (length == 0) {
      constexpr std::size_t LongestCharacter = 4;
      return lead >= 0xC2 && lead <= 0xF4 && text.size() - at < LongestCharacter &&
             std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at) + 1, text.end(), continues);
    }
    if (lead == 0xC2 && static_cast<std::uint8_t>(text[at + 1]) < 0xA0) {
      return false;
    }
    at += length;
  }
  return true;
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
  // A byte-order mark starts some text written on Windows; it is no part
  // of the text.
  constexpr std::array<std::uint8_t, 3> ByteOrderMark = {0xEF, 0xBB, 0xBF};
  std::span<const std::uint8_t> sample = sample_;
  if (sample.size() >= ByteOrderMark.size() &&
      std::equal(ByteOrderMark.begin(), ByteOrderMark.end(), sample.begin())) {
    sample = sample.subspan(ByteOrderMark.size());
  }
  if (sample.empty() || !isTextSample(sample)) {
    kind_ = InputKind::Encoding;
    scanner_.feed(sample_);
  } else {
    // Base64 when the first line with anything on it is Base64 alone and
    // no PEM block begins (as far as the sample goes); PEM otherwise, text
    // around blocks included, such as a title line of letters alone
    // ("GlobalSign") before the first block.
    const std::string_view text(reinterpret_cast<const char*>(sample.data()), sample.size());
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    const std::string_view first =
        start == std::string_view::npos
            ? std::string_view{}
            : trimmed(text.substr(start, text.find('\n', start) - start));
    bool blockBegins = false;
    for (std::size_t at = text.find(BeginMarker); at != std::string_view::npos && !blockBegins;
         at = text.find(BeginMarker, at + 1)) {
      blockBegins = at == 0 || text[at - 1] == '\n';
    }
    const bool base64 =
        !first.empty() && !blockBegins && std::all_of(first.begin(), first.end(), [](char c) {
          return detail::base64Value(static_cast<unsigned char>(c)) != detail::NotInAlphabet;
        });
    kind_ = base64 ? InputKind::Base64 : InputKind::Pem;
    state_ = base64 ? TextState::Data : TextState::Outside;
    this->text(sample);
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
    if (!unnamed_.empty()) {
      unnamed_ += static_cast<char>(c);
      if (unnamed_.size() == MaxCharacterOctets) {
        reportUnnamed();
      }
    } else if (kind_ == InputKind::Base64 && state_ == TextState::Data && !isBlank(c)) {
      base64(c, column_);
    }
    if ((kind_ == InputKind::Pem || base64Undecided()) && lineText_.size() < MaxLineKept) {
      lineText_ += static_cast<char>(c);
    }
  }
}

void InputScanner::endLine() {
  if (!unnamed_.empty()) {
    reportUnnamed();
  }
  const std::string_view line = trimmed(lineText_);
  if (base64Undecided() && beginLabel(line)) {
    // What came before was a title, not Base64: nothing of it has been
    // scanned or reported.
    kind_ = InputKind::Pem;
    state_ = TextState::Outside;
    heldFault_.reset();
  }
  if (kind_ == InputKind::Pem) {
    blockLine(line, column_);
  }
  lineText_.clear();
}

void InputScanner::blockLine(std::string_view line, std::uint64_t length) {
  if (const auto label = beginLabel(line)) {
    if (state_ == TextState::Headers || state_ == TextState::Data) {
      endBlock(BlockEnd::Cut, 0,
               "the PEM block that begins at line " + std::to_string(blockLine_) +
                   " has no END line before this one");
    }
    beginBlock(*label);
    return;
  }
  if (state_ == TextState::Outside) {
    return;
  }
  if (line.starts_with(EndMarker)) {
    if (state_ != TextState::PassedOver) {
      endBlock(BlockEnd::Whole);
    }
    state_ = TextState::Outside;
    return;
  }
  if (state_ == TextState::PassedOver) {
    return;
  }
  if (state_ == TextState::Headers && line.starts_with(ProcType) &&
      line.find("ENCRYPTED") != std::string_view::npos) {
    // A key encrypted the old way (RFC 1421): what follows is no BER.
    endBlock(BlockEnd::Fault, 0,
             "the PEM block \"" + label_ +
                 "\" is encrypted (Proc-Type: 4,ENCRYPTED), so what it holds cannot be read");
  } else if (length > MaxLineKept) {
    endBlock(BlockEnd::Fault, 0,
             "the line is longer than " + std::to_string(MaxLineKept) +
                 " characters, which no PEM block has");
  } else if (state_ == TextState::Data ||
             (!line.empty() && line.find(':') == std::string_view::npos)) {
    // Headers ("Proc-Type: 4,ENCRYPTED") and blank lines come before the
    // data.
    state_ = TextState::Data;
    for (std::size_t index = 0; index < lineText_.size(); ++index) {
      const auto c = static_cast<std::uint8_t>(lineText_[index]);
      if (!isBlank(c) && !base64(c, index + 1)) {
        break;
      }
    }
  }
}

void InputScanner::beginBlock(std::string_view label) {
  ++blocks_;
  label_ = label;
  sink_.blockStarted(blocks_, label);
  scanner_.reset();
  state_ = TextState::Headers;
  blockLine_ = line_;
  group_ = 0;
  groupCharacters_ = 0;
  padding_ = 0;
  padded_ = false;
  decoded_.clear();
}

bool InputScanner::base64(std::uint8_t character, std::uint64_t column) {
  const int value = detail::base64Value(character);
  if (value == detail::NotInAlphabet) {
    if (kind_ == InputKind::Pem) {
      // The line is whole, and the character's place in it, after Base64
      // characters and blanks alone, is its column: at most MaxLineKept.
      endBlock(BlockEnd::Fault, column,
               nameCharacterAt(lineText_, static_cast<std::size_t>(column - 1)) +
                   " is not a Base64 character");
    } else {
      // Ended once the character is named.
      state_ = TextState::PassedOver;
      unnamed_.assign(1, static_cast<char>(character));
      unnamedColumn_ = column;
      if (character < 0x80) {
        reportUnnamed();
      }
    }
    return false;
  }
  if (value == detail::PaddingValue) {
    if (groupCharacters_ < 2 || groupCharacters_ + padding_ == GroupCharacters) {
      endBlock(BlockEnd::Fault, column,
               "the padding character \"=\" stands where no octet is open");
      return false;
    }
    padded_ = true;
    ++padding_;
    return true;
  }
  if (padded_) {
    endBlock(BlockEnd::Fault, column, "Base64 data follows the padding");
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

void InputScanner::flushDecoded() {
  if (kind_ == InputKind::Base64) {
    committed_ = true;
    lineText_.clear();
  }
  scanner_.feed(decoded_);
  decoded_.clear();
}

void InputScanner::endBlock(BlockEnd end, std::uint64_t column, const std::string& message) {
  if (end == BlockEnd::Whole && groupCharacters_ == 1) {
    endBlock(BlockEnd::Fault, 0,
             "a lone Base64 character ends the octets, which no octet ends with");
    return;
  }
  state_ = TextState::PassedOver;
  if (end == BlockEnd::Whole) {
    if (groupCharacters_ > 0) {
      endGroup();
    }
    flushDecoded();
    scanner_.finish();
    return;
  }
  if (base64Undecided()) {
    heldFault_ = HeldFault{line_, column, message};
    return;
  }
  // The octets decoded before the cut are scanned; the cut says so itself,
  // not the scanner.
  flushDecoded();
  scanner_.abandon();
  report(line_, column, message);
}

void InputScanner::report(std::uint64_t line, std::uint64_t column, const std::string& message) {
  sink_.textFault(line, column, message);
}

void InputScanner::reportUnnamed() {
  const std::string message = nameCharacterAt(unnamed_, 0) + " is not a Base64 character";
  unnamed_.clear();
  endBlock(BlockEnd::Fault, unnamedColumn_, message);
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
    if (state_ == TextState::Data) {
      endBlock(BlockEnd::Whole);
    }
    if (heldFault_) {
      // No PEM block came: the input was Base64, with a fault.
      committed_ = true;
      flushDecoded();
      scanner_.abandon();
      report(heldFault_->line, heldFault_->column, heldFault_->message);
    }
    return;
  }
  if (state_ == TextState::Headers || state_ == TextState::Data) {
    endBlock(
        BlockEnd::Cut, 0,
        "the input ends inside the PEM block that begins at line " + std::to_string(blockLine_));
  } else if (blocks_ == 0) {
    report(0, 0, "there is no PEM block in the text, and it is not Base64");
  }
}

}  // namespace pellamar
