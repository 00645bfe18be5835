#pragma once

// The clean-up of the output folders a uVision project's targets name
// (<OutputDirectory>, <ListingPath>); see families/output_folders.h.

#include "families/family_row.h"
#include "platform/file_system.h"

namespace kelvandor {

// Reads new name + ".uvprojx" in the family folder, or old name + ".uvprojx"
// when there is none (Clean-Only). Deletes, unless backups are wanted, the
// ".bak" files of the family folder; empties each target's output and
// listing folders keeping the output images; deletes the ".dep" and
// ".uvguix." files of the family folder (with `shared_folder`, those and
// the backups only where named after the old or new name); renames the
// images of the old output name to the new one in each output folder, never
// over a file.
void CleanUpKeilUv5(const FamilyCleanUp& request, FileSystem& file_system);

// Reads new name + ".uvproj" (or old name + ".uvproj") and empties each
// target's output and listing folders keeping the output images. The fixed
// folders of the uVision 4 clean-up rename the images.
void CleanUpKeilUv4(const FamilyCleanUp& request, FileSystem& file_system);

}  // namespace kelvandor
