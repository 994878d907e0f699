// The names ASN.1 gives arcs: which words are identifiers (X.680 12.3),
// and the arcs that X.660 names near the root.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellamar {

// Whether `name` is an ASN.1 identifier, as value notation writes an arc's
// name: a lowercase letter, then letters, digits and hyphens, with no two
// hyphens together and none last (X.680 12.3).
bool isAsn1Identifier(std::string_view name);

// The name X.660 gives the arc `number` (decimal) at `position`: 0 for a
// root, 1 for an arc under the root `root`. Empty for any other arc. Where
// two names stand for one arc ("itu-t" and "ccitt"), the current one.
std::string_view standardArcName(std::size_t position, std::string_view root,
                                 std::string_view number);

}  // namespace pellamar
