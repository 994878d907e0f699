#include "pellamar/encoding_scanner.hpp"

#include <algorithm>

#include "character_names.hpp"
#include "der_octets.hpp"

namespace pellamar {

namespace {

using detail::LengthCountBits;
using detail::LongLengthBit;

// The parts of an identifier octet (X.690 8.1.2).
constexpr std::uint8_t ClassBits = 0xC0;
constexpr std::uint8_t ConstructedBit = 0x20;
constexpr std::uint8_t TagNumberBits = 0x1F;
constexpr std::uint8_t ContinuationBit = 0x80;
constexpr std::uint8_t TagDigitBits = 0x7F;
constexpr std::uint8_t SequenceOctet = 0x30;
// Universal tag numbers.
constexpr std::uint64_t BitStringTag = 3;
constexpr std::uint64_t OctetStringTag = 4;
constexpr std::size_t MaxLengthOctets = 8;
// The most octets that must be read at once: a header of 1 + 4 tag and 1 +
// 8 length octets, and the contents of an identifier. A chunk that ends
// inside them has its last octets kept until the next chunk comes.
constexpr std::size_t MaxHeaderOctets =
    1 + EncodingScanner::MaxTagNumberOctets + 1 + MaxLengthOctets;
constexpr std::size_t CarryOctets = MaxHeaderOctets + ObjectIdentifier::MaxOctets;

std::string tagName(IdentifierTag tag) {
  return tag == IdentifierTag::ObjectIdentifier ? "OBJECT IDENTIFIER" : "RELATIVE-OID";
}

// What is wrong with the contents of an identifier, as fromContents() found.
std::string contentsFault(const ScanFault& fault) {
  switch (fault.error ? fault.error->code : ErrorCode::NoOctets) {
    case ErrorCode::TooManyContentsOctets:
      return "has " + std::to_string(fault.error->number) +
             " contents octets, more than the 100 an identifier takes";
    case ErrorCode::CutOff:
      return "ends in the middle of a subidentifier";
    case ErrorCode::PaddedSubidentifier:
      return "pads a subidentifier with a leading 80 octet, which X.690 does not allow";
    default:
      return "has no contents octets";
  }
}

}  // namespace

std::string describe(const ScanFault& fault) {
  const auto number = [](std::uint64_t value) { return std::to_string(value); };
  // Each code's words; a switch without default, so that a new code is
  // worded here or the build warns.
  switch (fault.code) {
    case ScanFaultCode::EndsInsideElement:
      return "the input ends inside the element that starts here";
    case ScanFaultCode::LengthBeyondParent:
      return "the element claims " + number(fault.number) +
             " octets of contents, but the element around it has room for " + number(fault.other);
    case ScanFaultCode::HeaderBeyondParent:
      return "the element's tag and length run past the end of the element around it";
    case ScanFaultCode::TooDeep:
      return "the elements are nested more than " + number(fault.number) + " deep";
    case ScanFaultCode::PaddedTagNumber:
      return "the tag number starts with the octet 80, which X.690 does not allow";
    case ScanFaultCode::TagNumberTooLarge:
      return "the tag number takes more than " + number(fault.number) + " octets";
    case ScanFaultCode::IndefinitePrimitive:
      return "a primitive element has the indefinite length";
    case ScanFaultCode::SmallTagNumberInLongForm:
      return "the tag number " + number(fault.number) +
             " is written in the form X.690 keeps for numbers above 30";
    case ScanFaultCode::StrayEndOfContents:
      return "end-of-contents octets stand where no indefinite length is open";
    case ScanFaultCode::BadIdentifier:
      return "the " + tagName(fault.tag) + " " + contentsFault(fault);
    case ScanFaultCode::LengthTooLarge:
      return "the length octet " + detail::hexPair(static_cast<std::uint8_t>(fault.number)) +
             " opens a length too large to follow";
  }
  return "the encoding cannot be read";
}

EncodingScanner::EncodingScanner(ScanSink& sink) : sink_(sink) {}

void EncodingScanner::reset() {
  depth_ = 0;
  wrappedOpen_ = 0;
  held_.clear();
  position_ = 0;
  received_ = 0;
  lastElement_ = 0;
  carry_.clear();
  ended_ = false;
}

void EncodingScanner::feed(std::span<const std::uint8_t> octets) {
  const std::uint64_t chunkBase = received_;
  received_ += octets.size();
  if (ended_) {
    return;
  }
  if (!carry_.empty()) {
    // The element cut by the last chunk is read from its kept octets and
    // the first of these.
    std::vector<std::uint8_t> glued = std::move(carry_);
    carry_.clear();
    const std::size_t kept = glued.size();
    glued.insert(
        glued.end(), octets.begin(),
        octets.begin() + static_cast<std::ptrdiff_t>(std::min(octets.size(), CarryOctets)));
    const std::uint64_t gluedBase = chunkBase - kept;
    walk(glued, gluedBase);
    if (!ended_ && position_ < chunkBase) {
      // The chunk was too short to finish it.
      carry_.assign(glued.begin() + static_cast<std::ptrdiff_t>(position_ - gluedBase),
                    glued.end());
      return;
    }
  }
  walkKeepingRest(octets, chunkBase);
}

void EncodingScanner::walkKeepingRest(std::span<const std::uint8_t> data, std::uint64_t base) {
  walk(data, base);
  if (!ended_ && position_ < base + data.size()) {
    carry_.assign(data.begin() + static_cast<std::ptrdiff_t>(position_ - base), data.end());
  }
}

void EncodingScanner::walk(std::span<const std::uint8_t> data, std::uint64_t base) {
  const std::uint64_t end = base + data.size();
  while (!ended_) {
    while (depth_ > 0 && frames_[depth_ - 1].end == position_) {
      close();
    }
    if (position_ >= end || !step(data, base)) {
      return;
    }
  }
}

bool EncodingScanner::step(std::span<const std::uint8_t> data, std::uint64_t base) {
  const std::uint8_t* at = data.data() + (position_ - base);
  std::size_t available = data.size() - static_cast<std::size_t>(position_ - base);
  Frame* parent = depth_ > 0 ? &frames_[depth_ - 1] : nullptr;
  // Within an element of known length, what lies past its end is no part
  // of this one: needing it is a fault, not a wait for more input.
  const std::uint64_t bound = parent != nullptr ? parent->bound : Indefinite;
  const bool boundedByParent = bound != Indefinite && bound - position_ <= available;
  if (boundedByParent) {
    available = static_cast<std::size_t>(bound - position_);
  }
  const auto needMore = [&] {
    if (boundedByParent) {
      fail(ScanFault{ScanFaultCode::HeaderBeyondParent, position_});
      return true;
    }
    return false;
  };
  if (available < 2) {
    return needMore();
  }
  if (at[0] == 0 && at[1] == 0) {
    if (parent != nullptr && parent->end == Indefinite) {
      position_ += 2;
      close();
    } else {
      fail(ScanFault{ScanFaultCode::StrayEndOfContents, position_});
    }
    return true;
  }
  lastElement_ = position_;
  const std::uint8_t first = at[0];
  std::uint64_t tagNumber = first & TagNumberBits;
  std::size_t index = 1;
  if (tagNumber == TagNumberBits) {
    tagNumber = 0;
    std::uint8_t octet = 0;
    do {
      if (index >= available) {
        return needMore();
      }
      octet = at[index];
      if (index == 1 && octet == ContinuationBit) {
        fail(ScanFault{ScanFaultCode::PaddedTagNumber, position_});
        return true;
      }
      if (index > MaxTagNumberOctets) {
        fail(ScanFault{ScanFaultCode::TagNumberTooLarge, position_, MaxTagNumberOctets});
        return true;
      }
      tagNumber = tagNumber << 7 | (octet & TagDigitBits);
      ++index;
    } while ((octet & ContinuationBit) != 0);
    if (tagNumber < TagNumberBits) {
      fail(ScanFault{ScanFaultCode::SmallTagNumberInLongForm, position_, tagNumber});
      return true;
    }
  }
  if (index >= available) {
    return needMore();
  }
  const std::uint8_t lengthOctet = at[index++];
  std::uint64_t length = lengthOctet;
  const bool indefinite = lengthOctet == LongLengthBit;
  if (lengthOctet > LongLengthBit) {
    const std::size_t count = lengthOctet & LengthCountBits;
    if (count > MaxLengthOctets) {
      fail(ScanFault{ScanFaultCode::LengthTooLarge, position_, lengthOctet});
      return true;
    }
    if (index + count > available) {
      return needMore();
    }
    length = 0;
    for (std::size_t octet = 0; octet < count; ++octet) {
      length = length << 8 | at[index++];
    }
  }
  const std::uint64_t offset = position_;
  const std::uint64_t contentsOffset = position_ + index;
  const bool constructed = (first & ConstructedBit) != 0;
  if (indefinite) {
    length = 0;
    if (!constructed) {
      fail(ScanFault{ScanFaultCode::IndefinitePrimitive, offset});
      return true;
    }
  }
  if (bound != Indefinite && length > bound - contentsOffset) {
    fail(ScanFault{ScanFaultCode::LengthBeyondParent, offset, length, bound - contentsOffset});
    return true;
  }
  if (length > Indefinite - 1 - contentsOffset) {
    fail(ScanFault{ScanFaultCode::LengthTooLarge, offset, lengthOctet});
    return true;
  }
  const std::uint64_t end = contentsOffset + length;
  const bool universal = (first & ClassBits) == 0;
  const bool identifierTag =
      universal && (tagNumber == static_cast<std::uint64_t>(IdentifierTag::ObjectIdentifier) ||
                    tagNumber == static_cast<std::uint64_t>(IdentifierTag::RelativeOid));
  // An identifier is read whole, and a BIT STRING's first contents octet
  // tells whether it may hold an encoding: both must be at hand before the
  // element is taken.
  const std::uint64_t skipped = tagNumber == BitStringTag ? 1 : 0;
  const bool mayHoldEncoding = !constructed && universal &&
                               (tagNumber == OctetStringTag || tagNumber == BitStringTag) &&
                               length >= 2 + skipped && depth_ < MaxDepth;
  if ((identifierTag && !constructed && length <= ObjectIdentifier::MaxOctets &&
       index + length > available) ||
      (mayHoldEncoding && index + skipped > available)) {
    return false;
  }
  const bool leads = parent != nullptr && parent->sequence && parent->children == 0;
  if (parent != nullptr) {
    ++parent->children;
  }
  if (constructed) {
    if (depth_ == MaxDepth) {
      fail(ScanFault{ScanFaultCode::TooDeep, offset, MaxDepth});
      return true;
    }
    frames_[depth_++] = {offset,
                         indefinite ? Indefinite : end,
                         indefinite ? bound : end,
                         false,
                         0,
                         first == SequenceOctet,
                         0,
                         false,
                         {}};
    position_ = contentsOffset;
    return true;
  }
  if (identifierTag) {
    const auto tag = static_cast<IdentifierTag>(tagNumber);
    if (length > ObjectIdentifier::MaxOctets) {
      position_ = end;
      fail(ScanFault{offset, tag,
                     Error{ErrorCode::TooManyContentsOctets, Error::Nowhere, 0, length}});
      return true;
    }
    position_ = end;
    identifier({at + index, static_cast<std::size_t>(length)}, offset, contentsOffset, tag, leads);
    return true;
  }
  // A string that may hold an encoding is walked as one, when there is room
  // for a level more; a BIT STRING's contents start with the count of
  // unused bits, which must be 0.
  if (mayHoldEncoding && (skipped == 0 || at[index] == 0)) {
    frames_[depth_++] = {offset, end, end, true, held_.size(), false, 0, false, {}};
    ++wrappedOpen_;
    position_ = contentsOffset + skipped;
    return true;
  }
  position_ = end;
  return true;
}

void EncodingScanner::identifier(std::span<const std::uint8_t> contents, std::uint64_t offset,
                                 std::uint64_t contentsOffset, IdentifierTag tag, bool leads) {
  FoundIdentifier found;
  if (auto error = ObjectIdentifier::fromContents(contents, found.contents)) {
    fail(ScanFault{offset, tag, *error});
    return;
  }
  found.offset = offset;
  found.contentsOffset = contentsOffset;
  found.depth = static_cast<std::uint32_t>(depth_);
  found.tag = tag;
  found.leads = leads;
  // Its own SEQUENCE is passed over: what stands beside an identifier (the
  // next key purpose of a list, a curve beside its key type) is not inside
  // it.
  for (std::size_t level = depth_ - std::min<std::size_t>(depth_, 1); level-- > 0;) {
    if (frames_[level].hasLeader) {
      found.hasWithin = true;
      found.within = frames_[level].leader;
      break;
    }
  }
  if (leads && tag == IdentifierTag::ObjectIdentifier) {
    frames_[depth_ - 1].hasLeader = true;
    frames_[depth_ - 1].leader = found.contents;
  }
  report(found);
}

void EncodingScanner::report(const FoundIdentifier& identifier) {
  if (wrappedOpen_ == 0) {
    sink_.found(identifier);
    return;
  }
  held_.push_back(identifier);
  if (held_.size() >= MaxHeldIdentifiers) {
    takeStringsAsEncodings();
  }
}

void EncodingScanner::release() {
  for (const FoundIdentifier& identifier : held_) {
    sink_.found(identifier);
  }
  held_.clear();
}

void EncodingScanner::close() {
  if (frames_[--depth_].wrapped && --wrappedOpen_ == 0) {
    release();
  }
}

void EncodingScanner::fail(ScanFault fault) {
  if (wrappedOpen_ > 0) {
    // The innermost string walked as an encoding is not one: what was found
    // in it goes, and the walk goes on after it.
    while (!frames_[depth_ - 1].wrapped) {
      --depth_;
    }
    const Frame& string = frames_[--depth_];
    held_.resize(string.heldMark);
    position_ = string.end;
    lastElement_ = string.offset;
    if (--wrappedOpen_ == 0) {
      release();
    }
    return;
  }
  sink_.fault(fault);
  if (fault.code != ScanFaultCode::BadIdentifier) {
    ended_ = true;
  }
}

void EncodingScanner::takeStringsAsEncodings() {
  for (std::size_t level = 0; level < depth_; ++level) {
    frames_[level].wrapped = false;
  }
  wrappedOpen_ = 0;
  release();
}

void EncodingScanner::abandon() {
  if (ended_) {
    return;
  }
  takeStringsAsEncodings();
  ended_ = true;
}

void EncodingScanner::finish() {
  if (ended_) {
    return;
  }
  const bool cut = !carry_.empty() || position_ > received_;
  if (!cut && depth_ == 0) {
    return;
  }
  const std::uint64_t offset = !carry_.empty()         ? position_
                               : position_ > received_ ? lastElement_
                                                       : frames_[depth_ - 1].offset;
  // What was read whole before the end stands, wherever it was found.
  abandon();
  sink_.fault(ScanFault{ScanFaultCode::EndsInsideElement, offset});
}

void scanEncoding(std::span<const std::uint8_t> octets, ScanSink& sink) {
  EncodingScanner scanner(sink);
  scanner.feed(octets);
  scanner.finish();
}

}  // namespace pellamar
