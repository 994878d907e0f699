#include "snmp_instances.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <span>
#include <vector>

#include "source_lines.hpp"

namespace pellamar::names {

namespace {

struct IndexSyntax {
  char kind = 'x';
  // The octets of an fN string.
  std::size_t size = 0;
  // "a=1,b=2" of an enumerated integer.
  std::string_view labels;
};

// The pieces of `text` between `separator`s; none for empty text.
std::vector<std::string_view> piecesOf(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(separator), text.size());
    pieces.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return pieces;
}

std::vector<IndexSyntax> syntaxesOf(std::string_view indexes) {
  std::vector<IndexSyntax> syntaxes;
  for (const std::string_view word : piecesOf(indexes, ' ')) {
    if (word.empty()) {
      continue;
    }
    IndexSyntax syntax{word[0], 0, {}};
    if (word.size() > 2 && word[1] == ':') {
      syntax.labels = word.substr(2);
    } else if (syntax.kind == 'f') {
      const auto [end, error] =
          std::from_chars(word.data() + 1, word.data() + word.size(), syntax.size);
      if (error != std::errc() || end != word.data() + word.size()) {
        syntax.kind = 'x';
      }
    }
    syntaxes.push_back(syntax);
  }
  return syntaxes;
}

// An arc's value, or nothing for one too large for any use an index
// makes of it.
std::optional<std::uint64_t> valueOf(std::string_view arc) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(arc.data(), arc.data() + arc.size(), value);
  if (error != std::errc() || end != arc.data() + arc.size() || arc.empty()) {
    return std::nullopt;
  }
  return value;
}

bool isNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The label of `value` among "a=1,b=2", or empty.
std::string_view labelOf(std::string_view labels, std::string_view value) {
  for (const std::string_view pair : piecesOf(labels, ',')) {
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(equals + 1) == value) {
      return pair.substr(0, equals);
    }
  }
  return {};
}

// The value of `label` among "a=1,b=2", or empty.
std::string_view valueOfLabel(std::string_view labels, std::string_view label) {
  for (const std::string_view pair : piecesOf(labels, ',')) {
    if (pair.size() > label.size() && pair.starts_with(label) && pair[label.size()] == '=') {
      return pair.substr(label.size() + 1);
    }
  }
  return {};
}

// InetAddressType's values whose addresses net-snmp writes as addresses.
enum InetAddressType : std::uint64_t { Ipv4 = 1, Ipv6 = 2, Ipv4Zoned = 3, Ipv6Zoned = 4 };
constexpr std::size_t Ipv4Octets = 4;
constexpr std::size_t Ipv6Octets = 16;
constexpr std::size_t ZoneOctets = 4;

constexpr std::size_t addressOctets(std::uint64_t type) {
  switch (type) {
    case Ipv4:
      return Ipv4Octets;
    case Ipv6:
      return Ipv6Octets;
    case Ipv4Zoned:
      return Ipv4Octets + ZoneOctets;
    case Ipv6Zoned:
      return Ipv6Octets + ZoneOctets;
    default:
      return 0;
  }
}

// What an index is, for messages: "an octet string, written \"...\"".
std::string wordsFor(const IndexSyntax& syntax) {
  switch (syntax.kind) {
    case 'i':
    case 't':
      return "an integer";
    case 'a':
      return "an IpAddress, written as four numbers";
    case 's':
      return "an octet string, written \"...\"";
    case 'n':
      return "an InetAddress, written \"...\"";
    case 'f':
      return "an octet string of " + std::to_string(syntax.size) + " octets, written '...'";
    case 'm':
      return "an IMPLIED octet string, written '...'";
    case 'o':
    case 'p':
      return "an object identifier, written as numbers";
    default:
      return "written as numbers";
  }
}

// "noAuthNoPriv, authNoPriv, authPriv"
std::string labelList(const IndexSyntax& syntax) {
  std::string list;
  for (const std::string_view pair : piecesOf(syntax.labels, ',')) {
    list.append(list.empty() ? "" : ", ").append(pair.substr(0, pair.find('=')));
  }
  return list;
}

constexpr std::uint8_t MaxOctet = 255;
constexpr unsigned OctetBits = 8;

// "10.0.0.1", "fe:80:...:01", with "%zone" after the zoned kinds.
std::string addressText(std::uint64_t type, const std::vector<std::uint8_t>& octets) {
  static constexpr std::array<char, 16> Hex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                               '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  const bool six = type == Ipv6 || type == Ipv6Zoned;
  const std::size_t addressEnd = six ? Ipv6Octets : Ipv4Octets;
  std::string text = "\"";
  for (std::size_t at = 0; at < addressEnd; ++at) {
    if (at > 0) {
      text += six ? ':' : '.';
    }
    if (six) {
      text += Hex[octets[at] >> 4U];
      text += Hex[octets[at] & 0xFU];
    } else {
      text += std::to_string(octets[at]);
    }
  }
  if (octets.size() > addressEnd) {
    std::uint32_t zone = 0;
    for (std::size_t at = addressEnd; at < octets.size(); ++at) {
      zone = zone << OctetBits | octets[at];
    }
    text += '%' + std::to_string(zone);
  }
  return text + '"';
}

// The octets of an address written as addressText() writes it.
std::optional<std::vector<std::uint8_t>> addressOctetsOf(std::uint64_t type,
                                                         std::string_view text) {
  if (addressOctets(type) == 0) {
    return std::nullopt;
  }
  const bool six = type == Ipv6 || type == Ipv6Zoned;
  const bool zoned = type == Ipv4Zoned || type == Ipv6Zoned;
  const std::size_t percent = text.find('%');
  if (zoned != (percent != std::string_view::npos)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> octets;
  for (std::string_view part : piecesOf(six ? std::string_view() : text.substr(0, percent), '.')) {
    const auto value = isNumber(part) ? valueOf(part) : std::nullopt;
    if (!value || *value > MaxOctet) {
      return std::nullopt;
    }
    octets.push_back(static_cast<std::uint8_t>(*value));
  }
  if (six) {
    const std::string_view address = text.substr(0, percent);
    for (std::size_t at = 0; at < address.size(); at += 3) {
      std::uint8_t octet = 0;
      const char* end = address.data() + std::min(at + 2, address.size());
      const auto [stop, error] = std::from_chars(address.data() + at, end, octet, 16);
      if (error != std::errc() || stop != end || end - (address.data() + at) != 2 ||
          (at + 2 < address.size() && address[at + 2] != ':')) {
        return std::nullopt;
      }
      octets.push_back(octet);
    }
  }
  if (octets.size() != (six ? Ipv6Octets : Ipv4Octets)) {
    return std::nullopt;
  }
  if (zoned) {
    std::uint32_t zone = 0;
    const std::string_view digits = text.substr(percent + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), zone);
    if (!isNumber(digits) || error != std::errc() || end != digits.data() + digits.size()) {
      return std::nullopt;
    }
    for (unsigned shift = OctetBits * ZoneOctets; shift > 0; shift -= OctetBits) {
      octets.push_back(static_cast<std::uint8_t>(zone >> (shift - OctetBits)));
    }
  }
  return octets;
}

constexpr bool printable(std::uint64_t octet, char quote) {
  return octet >= ' ' && octet <= '~' && octet != static_cast<std::uint64_t>(quote);
}

// `arcs` as octets between `quote`s, or nothing when one is no printable
// character or the quote itself.
std::optional<std::string> quoted(std::span<const std::string_view> arcs, char quote) {
  std::string text(1, quote);
  for (const std::string_view arc : arcs) {
    const auto value = valueOf(arc);
    if (!value || !printable(*value, quote)) {
      return std::nullopt;
    }
    text += static_cast<char>(*value);
  }
  return text + quote;
}

// How many arcs from `at` the index of `syntax` takes, or nothing when the
// arcs left cannot hold it.
std::optional<std::size_t> arcsTaken(const IndexSyntax& syntax,
                                     std::span<const std::string_view> arcs, std::size_t at) {
  const std::size_t left = arcs.size() - at;
  switch (syntax.kind) {
    case 'i':
    case 't':
      return 1;
    case 'a':
      return left >= Ipv4Octets ? std::optional<std::size_t>(Ipv4Octets) : std::nullopt;
    case 'f':
      return left >= syntax.size ? std::optional<std::size_t>(syntax.size) : std::nullopt;
    case 'm':
    case 'p':
      return left;
    case 's':
    case 'n':
    case 'o': {
      const auto length = valueOf(arcs[at]);
      if (!length || *length >= left) {
        return std::nullopt;
      }
      return static_cast<std::size_t>(*length) + 1;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string writeInstance(std::string_view indexes, std::string_view dotted) {
  const std::vector<std::string_view> arcs = piecesOf(dotted, '.');
  std::string text;
  const auto append = [&text](std::string_view piece) {
    if (!text.empty()) {
      text += '.';
    }
    text += piece;
  };
  std::size_t at = 0;
  std::optional<std::uint64_t> addressType;
  for (const IndexSyntax& syntax : syntaxesOf(indexes)) {
    const auto taken = at < arcs.size() ? arcsTaken(syntax, arcs, at) : std::nullopt;
    if (!taken) {
      break;
    }
    const std::span<const std::string_view> own(arcs.data() + at, *taken);
    std::optional<std::string> written;
    switch (syntax.kind) {
      case 'i':
      case 't':
        if (const std::string_view label = labelOf(syntax.labels, own[0]); !label.empty()) {
          written = std::string(label);
        }
        break;
      case 's':
        written = quoted(own.subspan(1), '"');
        break;
      case 'n':
        if (const std::size_t size = addressType ? addressOctets(*addressType) : 0;
            size != 0 && own.size() == size + 1) {
          std::vector<std::uint8_t> octets;
          for (const std::string_view arc : own.subspan(1)) {
            if (const auto value = valueOf(arc); value && *value <= MaxOctet) {
              octets.push_back(static_cast<std::uint8_t>(*value));
            }
          }
          if (octets.size() == size) {
            written = addressText(*addressType, octets);
            break;
          }
        }
        written = quoted(own.subspan(1), '"');
        // Text that reads as an address of the type before it is written
        // as numbers: read back, it would be the address.
        if (written && addressType && addressOctets(*addressType) != 0 &&
            addressOctetsOf(*addressType,
                            std::string_view(*written).substr(1, written->size() - 2))) {
          written.reset();
        }
        break;
      case 'f':
      case 'm':
        written = quoted(own, '\'');
        break;
      default:
        break;
    }
    if (written) {
      append(*written);
    } else {
      for (const std::string_view arc : own) {
        append(arc);
      }
    }
    addressType = syntax.kind == 't' ? valueOf(own[0]) : std::nullopt;
    at += *taken;
  }
  for (; at < arcs.size(); ++at) {
    append(arcs[at]);
  }
  return text;
}

namespace {

// Where the index that arcs written after `arcs` would start is: its place
// among `syntaxes`, or nothing when `arcs` ends inside an index or after
// the last. `addressType`, empty on the call, is set to the value of an
// InetAddressType index just before that place.
std::optional<std::size_t> placeAfter(const std::vector<IndexSyntax>& syntaxes,
                                      std::span<const std::string_view> arcs,
                                      std::optional<std::uint64_t>& addressType) {
  std::size_t at = 0;
  for (std::size_t place = 0; place < syntaxes.size(); ++place) {
    if (at == arcs.size()) {
      return place;
    }
    const auto taken = arcsTaken(syntaxes[place], arcs, at);
    if (!taken) {
      return std::nullopt;
    }
    addressType = syntaxes[place].kind == 't' ? valueOf(arcs[at]) : std::nullopt;
    at += *taken;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> readInstance(std::string_view indexes, std::string_view text,
                                        std::string& fault) {
  const std::vector<IndexSyntax> syntaxes = syntaxesOf(indexes);
  std::vector<std::string> arcs;
  const auto addOctets = [&arcs](std::string_view octets) {
    for (const char octet : octets) {
      arcs.push_back(std::to_string(static_cast<std::uint8_t>(octet)));
    }
  };
  for (std::size_t at = 0; at <= text.size();) {
    std::string_view piece;
    const char quote = at < text.size() && (text[at] == '"' || text[at] == '\'') ? text[at] : '\0';
    if (quote != '\0') {
      const std::size_t close = text.find(quote, at + 1);
      if (close == std::string_view::npos) {
        fault = "the quoted string " + std::string(text.substr(at)) + " is not closed";
        return std::nullopt;
      }
      piece = text.substr(at, close + 1 - at);
      at = close + 1;
      if (at < text.size() && text[at] != '.') {
        fault = "a full stop must follow the quoted string " + std::string(piece);
        return std::nullopt;
      }
    } else {
      piece = text.substr(at, std::min(text.find('.', at), text.size()) - at);
      at += piece.size();
    }
    ++at;
    if (isNumber(piece)) {
      arcs.emplace_back(piece);
      continue;
    }
    if (piece.empty()) {
      fault = "an arc is empty";
      return std::nullopt;
    }
    const std::string shown = quote != '\0' ? std::string(piece) : '"' + std::string(piece) + '"';
    const std::vector<std::string_view> earlier(arcs.begin(), arcs.end());
    std::optional<std::uint64_t> addressType;
    const auto place = placeAfter(syntaxes, earlier, addressType);
    if (!place) {
      fault = shown + " stands where no index of the INDEX clause begins";
      return std::nullopt;
    }
    const IndexSyntax& syntax = syntaxes[*place];
    const bool lengthFirst = syntax.kind == 's' || syntax.kind == 'n';
    const bool lengthKnown = syntax.kind == 'f' || syntax.kind == 'm';
    if ((quote == '"' && !lengthFirst) || (quote == '\'' && !lengthKnown) ||
        (quote == '\0' && syntax.labels.empty())) {
      fault = shown + " stands where the index is " + wordsFor(syntax);
      return std::nullopt;
    }
    const std::string_view octets = quote != '\0' ? piece.substr(1, piece.size() - 2) : piece;
    if (quote == '\0') {
      const std::string_view value = valueOfLabel(syntax.labels, piece);
      if (value.empty()) {
        fault = shown + " is none of the named values of the index there: " + labelList(syntax);
        return std::nullopt;
      }
      arcs.emplace_back(value);
    } else if (const auto address = syntax.kind == 'n' && addressType
                                        ? addressOctetsOf(*addressType, octets)
                                        : std::nullopt) {
      // An address as the type before it says; text that is none is an
      // octet string.
      arcs.push_back(std::to_string(address->size()));
      for (const std::uint8_t octet : *address) {
        arcs.push_back(std::to_string(octet));
      }
    } else if (syntax.kind == 'f' && octets.size() != syntax.size) {
      fault = shown + " holds " + std::to_string(octets.size()) + " octets where the index holds " +
              std::to_string(syntax.size);
      return std::nullopt;
    } else {
      if (lengthFirst) {
        arcs.push_back(std::to_string(octets.size()));
      }
      addOctets(octets);
    }
  }
  return joined(arcs, '.');
}

}  // namespace pellamar::names
