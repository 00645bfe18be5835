#pragma once

// WSP/PRJ projects: a ".prj" project file, and a ".wsp" workspace that may
// list several of them, in the project folder.

#include "core/path_helpers.h"
#include "families/family_row.h"

namespace kelvandor {

FamilyRow SoftuneRow();

// The names, without extension, of the only ".prj" and the only ".wsp" of
// `dir`; empty when there is none or several. The flag is always true.
HelperResult GetPrjName(std::string_view dir);
HelperResult GetWspName(std::string_view dir);

}  // namespace kelvandor
