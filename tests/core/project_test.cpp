#include "core/project.h"

#include <vector>

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

std::vector<FamilyKind> Kinds(const Project& project) {
  std::vector<FamilyKind> kinds;
  for (const Family& family : project.families) kinds.push_back(family.kind);
  return kinds;
}

// The rewriters and clean-up blocks run in table order, whatever order the
// analysis found the families in; adding a kind twice keeps one family.
TEST(ProjectTest, FamiliesStayInTableOrderAndUnique) {
  Project project;
  project.Add(FamilyKind::kKeilUv5).old_name = "five";
  project.Add(FamilyKind::kWspPrj);
  project.Add(FamilyKind::kKeilUv4);
  project.Add(FamilyKind::kIar);
  project.Add(FamilyKind::kKeilUv5);
  EXPECT_EQ(Kinds(project), (std::vector<FamilyKind>{FamilyKind::kWspPrj, FamilyKind::kIar,
                                                     FamilyKind::kKeilUv4, FamilyKind::kKeilUv5}));
  EXPECT_EQ(project.Find(FamilyKind::kKeilUv5)->old_name, "five");
  project.families.pop_back();
  EXPECT_FALSE(project.Has(FamilyKind::kKeilUv5));
}

}  // namespace
}  // namespace kelvandor
