#pragma once

// Names the cases of a parameterised test after their `label`.

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace kelvandor::testing {

// Prints a case as its `label`, in test names and failure messages. Test
// files bring it into their own namespace (`using testing::PrintTo;`) so that
// GoogleTest finds it for their case structs.
template <typename Case>
requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

// The name generator of INSTANTIATE_TEST_SUITE_P: each case after its `label`.
struct ParamLabel {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param_info) const {
    return param_info.param.label;
  }
};

}  // namespace kelvandor::testing
