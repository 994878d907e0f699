// Names parameterised test rows after their `name` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace pellamar {

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

}  // namespace pellamar
