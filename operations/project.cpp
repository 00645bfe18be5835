#include "operations/project.h"

#include <algorithm>
#include <utility>

namespace kelvandor {

const Family* Project::Find(FamilyKind kind) const {
  const auto it = std::find_if(families.begin(), families.end(),
                               [kind](const Family& f) { return f.kind == kind; });
  return it == families.end() ? nullptr : &*it;
}

Family* Project::Find(FamilyKind kind) {
  return const_cast<Family*>(std::as_const(*this).Find(kind));
}

Family& Project::Add(FamilyKind kind) {
  auto it = std::find_if(families.begin(), families.end(),
                         [kind](const Family& f) { return f.kind >= kind; });
  if (it != families.end() && it->kind == kind) return *it;
  Family family;
  family.kind = kind;
  return *families.insert(it, std::move(family));
}

}  // namespace kelvandor
