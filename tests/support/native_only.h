#pragma once

// The loops that make a run fail or stop at each of its steps (the fault and
// crash loops) take the same way through the code on every platform, and
// under Wine every file step is a round trip to its server. They run in the
// native build only; the Windows build keeps the tests of what its file
// system and path style change. A loop says so by its cases:
//
//   INSTANTIATE_TEST_SUITE_P(Cases, LoopTest, ::testing::ValuesIn(NativeOnly(LoopCases())));
//   GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LoopTest);

#include <vector>

#include "platform/path_style.h"

namespace kelvandor::testing {

inline constexpr bool kNativeOnlyTestsRun = kNativeStyle != PathStyle::kWindows;

// `cases`, or none in the Windows build.
template <typename Case>
std::vector<Case> NativeOnly(std::vector<Case> cases) {
  if (!kNativeOnlyTestsRun) cases.clear();
  return cases;
}

}  // namespace kelvandor::testing
