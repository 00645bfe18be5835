#pragma once

// Names the cases of a parameterised test after their `label`.

#include <cctype>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace kelvandor::testing {

// Prints a case as its `label`, in test names and failure messages. Test
// files bring it into their own namespace (`using testing::PrintTo;`) so that
// GoogleTest finds it for their case structs.
template <typename Case>
requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

// `text` as part of a test name, which holds letters, digits and "_" only
// ("mplab-blink/blink.X" -> "mplab_blink_blink_X").
inline std::string TestNamePart(std::string_view text) {
  std::string part(text);
  for (char& c : part) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return part;
}

// The name generator of INSTANTIATE_TEST_SUITE_P: each case after its `label`.
struct ParamLabel {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param_info) const {
    return param_info.param.label;
  }
};

}  // namespace kelvandor::testing
