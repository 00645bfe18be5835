#pragma once

#include <string>

#include "core/project.h"

namespace kelvandor {

// "IAR: workspace NAME.eww, project NAME (EWARM/)".
std::string DescribeIar(const Project& project, const Family& family);

}  // namespace kelvandor
