#pragma once

// A family's fields by kind, empty (or false) when the project lacks it.

#include <string>

#include "core/project.h"
#include "families/family_kind.h"
#include "families/iar/iar_family.h"

namespace kelvandor::testing {

inline std::string SubDir(const Project& project, FamilyKind kind) {
  const Family* family = project.Find(kind);
  return family ? family->sub_dir : std::string();
}

inline std::string OldName(const Project& project, FamilyKind kind) {
  const Family* family = project.Find(kind);
  return family ? family->old_name : std::string();
}

inline std::string OldWorkspace(const Project& project) {
  const Family* family = project.Find(FamilyKind::kWspPrj);
  return family ? family->Value(kWorkspaceValue) : std::string();
}

inline bool GeneratorLayout(const Project& project) {
  const Family* family = project.Find(FamilyKind::kIar);
  return family && family->Flag(kGeneratorLayoutValue);
}

}  // namespace kelvandor::testing
