#include "families/family_table.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

// The rows lie in kind order; the table's size is checked where it is
// written.
TEST(FamilyTableTest, EveryRowHasARewriterAndACleanUp) {
  for (const FamilyRow& row : FamilyTable()) {
    EXPECT_EQ(&RowOf(row.kind), &row);
    EXPECT_NE(row.rewrite, nullptr);
    EXPECT_TRUE(!row.clean_steps.empty() || row.clean_named != nullptr);
  }
}

}  // namespace
}  // namespace kelvandor
