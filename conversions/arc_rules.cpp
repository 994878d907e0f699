#include "arc_rules.hpp"

#include "objid_buffer.hpp"

namespace pellamar::detail {

std::string quoteDigits(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') {
    digits.remove_prefix(1);
  }
  if (digits.size() > MaxQuotedDigits) {
    return std::string(digits.substr(0, MaxQuotedDigits)) + "...";
  }
  return std::string(digits);
}

void throwFirstArcOutOfRange(std::string_view first, int position) {
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The first arc is " + quoteDigits(first) + " (at position " +
                            std::to_string(position) + "), but it must be 0, 1 or 2.",
                        position);
}

void throwSecondArcOutOfRange(std::string_view first, std::string_view second, int position) {
  throw ConversionError(ErrorKind::InvalidArgument,
                        "Under the arc " + quoteDigits(first) +
                            " the second arc must be at most 39, but it is " + quoteDigits(second) +
                            " (at position " + std::to_string(position) + ").",
                        position);
}

}  // namespace pellamar::detail
