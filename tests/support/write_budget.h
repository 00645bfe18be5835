#pragma once

// Makes every LineWriter fail as on a full disk after a number of bytes, and
// lifts the limit again when the scope ends, whatever the test does.

#include "platform/text_lines.h"

namespace kelvandor::testing {

class WriteBudget {
 public:
  explicit WriteBudget(long long bytes) { SetWriteBudgetForTesting(bytes); }
  ~WriteBudget() { SetWriteBudgetForTesting(-1); }
  WriteBudget(const WriteBudget&) = delete;
  WriteBudget& operator=(const WriteBudget&) = delete;
};

}  // namespace kelvandor::testing
