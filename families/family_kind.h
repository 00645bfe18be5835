#pragma once

// The families' kinds, one per row of the family table and in its order.

#include "core/project.h"

namespace kelvandor {

enum class FamilyKind : int {
  kWspPrj,   // families/softune: ".wsp" + ".prj" in the project folder
  kIar,      // families/iar: ".eww", ".ewp", ".ewd", ".dep"
  kKeilUv4,  // families/keil: the Keil folder, ".uvproj", ".uvopt", the fixed output folders
  kKeilUv5,  // families/keil: ".uvprojx", ".uvoptx" beside or in place of a uVision 4 project
  kEclipse,  // families/eclipse: ".project", ".cproject", launch files; "NAME.ioc"; sub-projects
  kMplab,    // families/mplab: "nbproject/" with "project.xml" and "configurations.xml"
  kCMake,    // families/cmake_project: "CMakeLists.txt" naming the project, "cmake/", "NAME.ioc"
};
inline constexpr FamilyKind kLastFamilyKind = FamilyKind::kCMake;

}  // namespace kelvandor
