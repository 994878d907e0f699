// A relative object identifier (X.690 8.20, the RELATIVE-OID type): arcs
// below some identifier the context gives, such as 8571.3.2, encoded as
// the arcs of an identifier are but without the first two combined. Like
// ObjectIdentifier it holds its contents octets, at most 100, inline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "pellamar/error.hpp"
#include "pellamar/object_identifier.hpp"
#include "pellamar/writers.hpp"

namespace pellamar {

class RelativeOid {
 public:
  static constexpr std::size_t MaxOctets = ObjectIdentifier::MaxOctets;

  // The relative identifier whose contents octets are `octets`: the rules
  // of ObjectIdentifier::fromContents(), whose errors it fails with; for
  // CutOff, `number` is the arc, counted from 1.
  static std::optional<Error> fromContents(std::span<const std::uint8_t> octets, RelativeOid& out);

  std::span<const std::uint8_t> octets() const { return contents_.octets(); }

  bool operator==(const RelativeOid& other) const { return contents_ == other.contents_; }

 private:
  friend std::optional<Error> readRelativeDotted(std::string_view text, RelativeOid& out);
  friend std::optional<Error> readRelativeDer(std::span<const std::uint8_t> octets,
                                              RelativeOid& out);

  // The octets are held to the rules of an identifier's, which they share.
  ObjectIdentifier contents_;
};

// Dotted text of one or more arcs of any size ("8571.3.2", "5"), strictly
// as readDotted() reads an identifier's arcs, without its prefixes or its
// rules for the first two arcs. Fails with NoArcs, EndsWithFullStop,
// FullStopWithoutArc, NotInIdentifier, LeadingZero or TooManyOctets, whose
// `number` counts arcs from 1.
std::optional<Error> readRelativeDotted(std::string_view text, RelativeOid& out);

// A whole DER encoding of a relative identifier: the tag 0D, a one-octet
// length and that many contents octets, read strictly. Fails as readDer()
// does, with NotRelativeOidTag in place of NotObjectIdentifierTag.
std::optional<Error> readRelativeDer(std::span<const std::uint8_t> octets, RelativeOid& out);

// Writes `form` of `relative` as write() writes an identifier's, with the
// arcs as they are and the DER forms under the tag 0D. There is no Uuid
// form: it writes nothing and returns 0.
std::size_t write(const RelativeOid& relative, Form form, std::span<char> out);
void append(const RelativeOid& relative, Form form, std::string& out);

}  // namespace pellamar
