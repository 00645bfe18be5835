#pragma once

// The table of families: one row each, in FamilyKind order. The rows are
// written in the families' own folders.

#include <span>

#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_row.h"

namespace kelvandor {

// The rows in FamilyKind order.
std::span<const FamilyRow> FamilyTable();
const FamilyRow& RowOf(FamilyKind kind);

// What the rewriters read of a project and its plan.
RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan);

}  // namespace kelvandor
