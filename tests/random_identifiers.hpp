// Random valid object identifiers, for the property and cross-check tests.
#pragma once

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace pellamar::testing_support {

// Draws identifiers over the whole valid range: every root arc, second arcs
// 0..39 under roots 0 and 1 and up to the 32-bit limit under 2, later arcs
// of every base-128 width up to 2147483647, and up to 100 octets in all.
class RandomIdentifiers {
 public:
  static constexpr std::uint32_t LargestArc = 2147483647;
  static constexpr int MaxOctets = 100;

  explicit RandomIdentifiers(std::uint32_t seed) : random_(seed) {}

  // The arcs of the next identifier.
  std::vector<std::uint32_t> next() {
    const std::uint32_t root = uniform(0, 2);
    const std::uint32_t child = root < 2 ? uniform(0, 39) : arcOfRandomWidth(LargestArc - 80);
    std::vector<std::uint32_t> arcs = {root, child};
    int octets = octetsOf(root * 40 + child);
    // Short and long identifiers alike: up to a hundred one-octet arcs.
    const std::uint32_t wanted = uniform(0, 3) == 0 ? uniform(0, 99) : uniform(0, 12);
    while (arcs.size() < wanted + 2) {
      const std::uint32_t arc = arcOfRandomWidth(LargestArc);
      if (octets + octetsOf(arc) > MaxOctets) {
        break;
      }
      octets += octetsOf(arc);
      arcs.push_back(arc);
    }
    return arcs;
  }

  static std::string dotted(const std::vector<std::uint32_t>& arcs) {
    std::string text;
    for (const std::uint32_t arc : arcs) {
      if (!text.empty()) {
        text += '.';
      }
      text += std::to_string(arc);
    }
    return text;
  }

  std::uint32_t uniform(std::uint32_t low, std::uint32_t high) {
    return std::uniform_int_distribution<std::uint32_t>(low, high)(random_);
  }

  // A value of a random bit width, so that short and long base-128 forms
  // are drawn about as often.
  std::uint64_t valueOfRandomWidth(int maxBits) {
    const auto bits = static_cast<int>(uniform(0, static_cast<std::uint32_t>(maxBits)));
    const std::uint64_t limit = (std::uint64_t{1} << bits) - 1;
    return std::uniform_int_distribution<std::uint64_t>(0, limit)(random_);
  }

 private:
  static int octetsOf(std::uint32_t value) {
    return value == 0 ? 1 : (static_cast<int>(std::bit_width(value)) + 6) / 7;
  }

  std::uint32_t arcOfRandomWidth(std::uint32_t largest) {
    const std::uint64_t value = valueOfRandomWidth(31);
    return static_cast<std::uint32_t>(value < largest ? value : largest);
  }

  std::mt19937 random_;
};

}  // namespace pellamar::testing_support
