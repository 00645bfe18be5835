#pragma once

// The clean-up of build output whose folders the project file itself names:
// each target of a Keil uVision 4 or 5 project (<OutputDirectory>,
// <ListingPath>) and each configuration of an IAR project (ExePath, ObjPath,
// ListPath). A folder is cleaned only when it lies inside
// the project folder and is neither the folder of the project file nor one
// above it; the others (absolute, leaving by "..", through a link) are passed
// over in silence, and so are RTE/ and DebugConfig/. A uVision target listing
// into the project file's own folder has there only what its build writes
// deleted: the listings and the map, linker and build-log files of its
// output name. Files the project names (sources, group files, its own scatter
// and linker files; not the one the linker writes from the memory layout),
// project files of every family and the ".ioc" are never deleted. Silent,
// like the table-driven clean-up.

#include <string>

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
