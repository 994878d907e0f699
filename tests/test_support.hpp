// Helpers shared by the conversion tests.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "objid_buffer.hpp"

namespace pellamar {

// Names parameterised test rows after their `name` field.
template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// The ConversionError that `convert()` raises; a conversion that succeeds
// fails the test and gives nothing.
template <typename Convert>
std::optional<ConversionError> failureOf(const Convert& convert) {
  try {
    convert();
  } catch (const ConversionError& error) {
    return error;
  }
  ADD_FAILURE() << "the conversion succeeded";
  return std::nullopt;
}

}  // namespace pellamar
