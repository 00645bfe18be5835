#pragma once

// The clean-up of the output folders an IAR project's configurations name
// (ExePath, ObjPath, ListPath, the browse folder); see
// families/output_folders.h.

#include "families/family_row.h"
#include "platform/file_system.h"

namespace kelvandor {

// Reads new name + ".ewp" (or old name + ".ewp"): for each configuration
// empties the ExePath folder keeping the output images, and the ObjPath and
// ListPath folders; renames the images of the old name to the new one in
// each ExePath folder, never over a file.
void CleanUpIarLayout(const FamilyCleanUp& request, FileSystem& file_system);

// As CleanUpIarLayout, renaming the images only when `rename_images`: outside
// the generator layout the fixed folders rename them, and only in the
// release folder.
void CleanUpIarNamed(const FamilyCleanUp& request, bool rename_images, FileSystem& file_system);

}  // namespace kelvandor
