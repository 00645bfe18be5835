#pragma once

#include <string>

#include "core/project.h"

namespace kelvandor {

// "WSP/PRJ: workspace NAME.wsp, project NAME.prj".
std::string DescribeWspPrj(const Project& project, const Family& family);

}  // namespace kelvandor
