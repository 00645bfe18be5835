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
TEST(ProjectTest, FamiliesStayInKindOrderAndUnique) {
  const FamilyKind first{0}, second{1}, third{2}, fourth{3};
  Project project;
  project.Add(fourth).old_name = "four";
  project.Add(first);
  project.Add(third);
  project.Add(second);
  project.Add(fourth);
  EXPECT_EQ(Kinds(project), (std::vector<FamilyKind>{first, second, third, fourth}));
  EXPECT_EQ(project.Find(fourth)->old_name, "four");
  project.families.pop_back();
  EXPECT_FALSE(project.Has(fourth));
}

}  // namespace
}  // namespace kelvandor
