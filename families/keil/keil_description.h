#pragma once

#include <string>

#include "core/project.h"

namespace kelvandor {

// "Keil: project NAME.uvproj (MDK-ARM/)", and the same of ".uvprojx": each
// row names the project file of its own version, when the folder holds it.
std::string DescribeKeilUv4(const Project& project, const Family& family);
std::string DescribeKeilUv5(const Project& project, const Family& family);

}  // namespace kelvandor
