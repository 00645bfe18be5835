#pragma once

// The clean-up of an Eclipse-based IDE project: the build folders its
// ".cproject" configurations name, in the project and in each sub-project
// ("CM4/", "CM7/"). Only what the build writes there is deleted; sources,
// the makefile fragments at the project's root and the generator's folders
// stay. Silent, like the other clean-up blocks.

#include "families/family_row.h"
#include "platform/file_system.h"

namespace kelvandor {

// In the Eclipse project of request.family_dir (see FindEclipseProjects) and
// each of its sub-projects: for every configuration of its ".cproject",
// deletes below the configuration's build folder (EclipseBuildFolder) the
// makefiles ("makefile", "*.mk"), objects and the compiler's side files
// ("*.o", "*.obj", "*.d", "*.su", "*.cyclo", ...), the images and listings
// ("*.elf", "*.axf", "*.out", "*.map", "*.list", "*.bin", "*.hex", ...) and,
// when the configuration's link script is managed, the generated "*.ld";
// folders left empty go with them. A build folder that lies outside
// request.project_dir, is the project's own folder or holds a ".project" is
// passed over; links are neither followed nor deleted.
void CleanUpEclipse(const FamilyCleanUp& request, FileSystem& file_system);

}  // namespace kelvandor
