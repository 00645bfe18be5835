#pragma once

// IAR Embedded Workbench projects: ".ewp" projects listed by an ".eww"
// workspace, in the project folder, "example/IAR" or a generator's "EWARM".

#include <string_view>

#include "core/path_helpers.h"
#include "families/family_row.h"

namespace kelvandor {

// A flag: the output folders are the ones the ".ewp" names.
inline constexpr std::string_view kGeneratorLayoutValue = "generator_layout";

FamilyRow IarRow();

// The name, without extension, of the only ".eww" of `dir`; empty when
// there is none or several.
HelperResult Get_IAR_Name(std::string_view dir);

}  // namespace kelvandor
