#pragma once

// The table of families: one row each, in FamilyKind order. The rows are
// written in the families' own folders.

#include <span>
#include <string>

#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_row.h"

namespace kelvandor {

// The rows in FamilyKind order.
std::span<const FamilyRow> FamilyTable();
const FamilyRow& RowOf(FamilyKind kind);

// " (EWARM/)": where below the project folder the family's files lie, "/"
// between levels; empty at the top.
std::string WhereFound(const Family& family);

// Every family of `project` as its row describes it, with the generator's
// configuration of those configured above their folder; "; " between them.
std::string DescribeProject(const Project& project);

// What the rewriters read of a project and its plan.
RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan);

}  // namespace kelvandor
