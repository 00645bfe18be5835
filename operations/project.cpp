#include "operations/project.h"

#include <algorithm>
#include <utility>

namespace kelvandor {

const Family* Project::Find(FamilyKind kind) const {
  const auto it = std::find_if(families.begin(), families.end(),
                               [kind](const Family& f) { return f.kind == kind; });
  return it == families.end() ? nullptr : &*it;
}

Family& Project::Add(FamilyKind kind) {
  auto it = std::find_if(families.begin(), families.end(),
                         [kind](const Family& f) { return f.kind >= kind; });
  if (it != families.end() && it->kind == kind) return *it;
  Family family;
  family.kind = kind;
  return *families.insert(it, std::move(family));
}

RenamePlan ProposedPlan(const Project& project) {
  RenamePlan plan;
  plan.new_path = project.old_path;
  plan.new_dir = project.old_dir;
  for (FamilyKind kind : {FamilyKind::kWspPrj, FamilyKind::kIar, FamilyKind::kKeilUv4}) {
    const Family* family = project.Find(kind);
    if (family && (kind == FamilyKind::kWspPrj || !family->old_name.empty())) {
      plan.new_name = family->old_name;
    }
  }
  return plan;
}

}  // namespace kelvandor
