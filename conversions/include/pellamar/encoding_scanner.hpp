// Every object identifier inside a BER or DER encoding (X.690): a walker
// over any encoding, of any tags, classes and lengths, that reports each
// OBJECT IDENTIFIER (tag 06) and RELATIVE-OID (tag 0D) with its place.
//
// It also looks inside OCTET STRINGs and BIT STRINGs, whose contents are
// often an encoding of their own (X.509 extension values, CMS signed
// attributes, keys): contents that read whole as one or more complete,
// well-formed elements are walked as part of the encoding, as dumpasn1 does.
// That is known only once the string ends, so what is found in one is held
// until then, and dropped when the contents turn out not to be an encoding.
//
// The octets come in chunks of any size, so that a file of any size is
// scanned in fixed memory. No input makes the walker recurse, read outside
// what it was given, or hold more than the limits below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pellamar/error.hpp"
#include "pellamar/object_identifier.hpp"

namespace pellamar {

// The universal tags of the two kinds of identifier.
enum class IdentifierTag : std::uint8_t {
  ObjectIdentifier = 0x06,
  RelativeOid = 0x0D,
};

struct FoundIdentifier {
  // The octet offset of the element's tag, counted from the start of the
  // octets scanned, and of its contents octets.
  std::uint64_t offset = 0;
  std::uint64_t contentsOffset = 0;
  // How many elements enclose it: 0 at the outermost level. A string whose
  // contents are walked counts as one.
  std::uint32_t depth = 0;
  IdentifierTag tag = IdentifierTag::ObjectIdentifier;
  // It is the first element of a SEQUENCE: the type of an algorithm, an
  // extension, an attribute or a content, which the rest of the SEQUENCE
  // goes with.
  bool leads = false;
  // The identifier that leads the nearest SEQUENCE this lies deeper inside
  // than as one of its elements, when there is one: the extension whose
  // value holds it, the attribute whose values hold it, the policy whose
  // qualifiers hold it, the algorithm whose structured parameters hold it.
  // Set when `hasWithin`.
  bool hasWithin = false;
  ObjectIdentifier within;
  // The contents octets, valid as an identifier's are. For a RELATIVE-OID,
  // the same checks hold; read them with RelativeOid::fromContents().
  ObjectIdentifier contents;
};

enum class ScanFaultCode : std::uint8_t {
  // The input ends inside the element at `offset`.
  EndsInsideElement,
  // The tag and length octets of the element at `offset` run past the end
  // of its enclosing element.
  HeaderBeyondParent,
  // The element at `offset` claims `number` octets of contents, but its
  // enclosing element has room for `other`.
  LengthBeyondParent,
  // The element at `offset` would be deeper than `number` levels.
  TooDeep,
  // The tag number of the element at `offset` takes more than `number`
  // octets.
  TagNumberTooLarge,
  // A tag number padded with a leading 80 octet (X.690 8.1.2.4.2).
  PaddedTagNumber,
  // The tag number `number`, below 31, written in the form for larger
  // ones, which X.690 8.1.2.2 does not allow.
  SmallTagNumberInLongForm,
  // The length octet `number` of the element at `offset` opens a length of
  // more octets than 64 bits hold, or is the reserved FF.
  LengthTooLarge,
  // The primitive element at `offset` has the indefinite length.
  IndefinitePrimitive,
  // End-of-contents octets where no indefinite length is open.
  StrayEndOfContents,
  // An OBJECT IDENTIFIER or RELATIVE-OID at `offset` whose contents are not
  // an identifier's: `error` says why, placed in the contents. The scan goes
  // on after it.
  BadIdentifier,
};

struct ScanFault {
  explicit ScanFault(ScanFaultCode faultCode, std::uint64_t at, std::uint64_t first = 0,
                     std::uint64_t second = 0)
      : code(faultCode), offset(at), number(first), other(second) {}
  // A BadIdentifier.
  ScanFault(std::uint64_t at, IdentifierTag identifierTag, Error contentsError)
      : code(ScanFaultCode::BadIdentifier), offset(at), tag(identifierTag), error(contentsError) {}

  ScanFaultCode code;
  std::uint64_t offset = 0;
  std::uint64_t number = 0;
  std::uint64_t other = 0;
  // For BadIdentifier: the tag and what is wrong with the contents.
  IdentifierTag tag = IdentifierTag::ObjectIdentifier;
  std::optional<Error> error;
};

// The message for a fault, one sentence in plain English, without its
// place, which the program gives in its own way.
std::string describe(const ScanFault& fault);

// Where the scanner's results go, in the order of the input.
class ScanSink {
 public:
  virtual ~ScanSink() = default;
  virtual void found(const FoundIdentifier& identifier) = 0;
  // A fault. Every fault but BadIdentifier ends the scan.
  virtual void fault(const ScanFault& fault) = 0;
};

class EncodingScanner {
 public:
  // Deeper than any structure a standard defines (a certificate's
  // extensions reach 10 levels, with their values walked), and shallow
  // enough that the open elements take a few kilobytes.
  static constexpr std::size_t MaxDepth = 64;
  // A tag number takes at most 4 octets after the first: 28 bits, far more
  // than any module assigns.
  static constexpr std::size_t MaxTagNumberOctets = 4;
  // Identifiers found inside strings not yet read whole are held until the
  // strings end; past this many, the outermost such string is taken as an
  // encoding and what it holds is reported, so that memory stays bounded.
  // No certificate, CRL or message holds nearly as many in one value.
  static constexpr std::size_t MaxHeldIdentifiers = 65536;

  explicit EncodingScanner(ScanSink& sink);

  // Scans the next `octets` of the input.
  void feed(std::span<const std::uint8_t> octets);
  // Ends the input: reports a fault if it ends inside an element.
  void finish();
  // Ends the input where a fault outside the encoding cut it (in the text
  // it was decoded from), which its reader reports: what was read whole is
  // reported, and the cut is not reported again.
  void abandon();
  // Forgets the input, to scan another from offset 0.
  void reset();

  // A fault has ended the scan; further octets are ignored.
  bool ended() const { return ended_; }
  // The octets fed since the last reset.
  std::uint64_t size() const { return received_; }

 private:
  static constexpr std::uint64_t Indefinite = ~std::uint64_t{0};

  struct Frame {
    std::uint64_t offset;
    // The offset just past the contents, or Indefinite.
    std::uint64_t end;
    // The end of this element or, for an indefinite length, of the nearest
    // enclosing element of definite length, or Indefinite: no element
    // inside may run past it.
    std::uint64_t bound;
    // The string whose contents are walked without yet knowing whether they
    // are an encoding; held_ had `heldMark` entries when it opened.
    bool wrapped;
    std::size_t heldMark;
    bool sequence;
    std::uint32_t children;
    bool hasLeader;
    ObjectIdentifier leader;
  };

  // Walks the octets of `data`, which start at offset `base`, from
  // position_ as far as they go.
  void walk(std::span<const std::uint8_t> data, std::uint64_t base);
  void walkKeepingRest(std::span<const std::uint8_t> data, std::uint64_t base);
  // Reads the element at position_ in `data` (which starts at `base`);
  // returns false when `data` ends before what must be read at once.
  bool step(std::span<const std::uint8_t> data, std::uint64_t base);
  void identifier(std::span<const std::uint8_t> contents, std::uint64_t offset,
                  std::uint64_t contentsOffset, IdentifierTag tag, bool leads);
  // Ends the innermost string being walked as an encoding, or the scan.
  void fail(ScanFault fault);
  void close();
  void report(const FoundIdentifier& identifier);
  void release();
  // Takes every string being walked as an encoding, reporting what is held.
  void takeStringsAsEncodings();

  ScanSink& sink_;
  std::array<Frame, MaxDepth> frames_;  // NOLINT(*-member-init): only the open ones are read
  std::size_t depth_ = 0;
  std::size_t wrappedOpen_ = 0;
  std::vector<FoundIdentifier> held_;
  std::uint64_t position_ = 0;
  std::uint64_t received_ = 0;
  // The element being read or passed over, for a fault at the end.
  std::uint64_t lastElement_ = 0;
  // Octets from position_ on that a chunk ended in the middle of.
  std::vector<std::uint8_t> carry_;
  bool ended_ = false;
};

// Scans the whole of `octets`.
void scanEncoding(std::span<const std::uint8_t> octets, ScanSink& sink);

}  // namespace pellamar
