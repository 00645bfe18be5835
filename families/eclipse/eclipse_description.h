#pragma once

#include <string>

#include "core/project.h"

namespace kelvandor {

// "Eclipse: NAME, sub-projects CM4, CM7; generator file NAME.ioc".
std::string DescribeEclipse(const Project& project, const Family& family);

}  // namespace kelvandor
