#pragma once

// Keil uVision projects: the Keil folder (the project folder, "example/ARM"
// or a generator's "MDK-ARM") with uVision 4 ".uvproj" and uVision 5
// ".uvprojx" projects, and the ".uvmpw" workspaces that list them.

#include "core/path_helpers.h"
#include "families/family_row.h"

namespace kelvandor {

FamilyRow KeilUv4Row();
FamilyRow KeilUv5Row();

// The names, without extension, of the only ".uvproj" and the only
// ".uvprojx" of `dir`; empty when there is none or several.
HelperResult Get_KEILUV_Name(std::string_view dir);
HelperResult Get_KEILUV5_Name(std::string_view dir);

}  // namespace kelvandor
