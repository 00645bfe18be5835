#pragma once

// The build-output clean-up of a project folder: a fixed table of folders per
// IDE family, emptied or kept to their output images, and the kept release
// images renamed after the new project name. Silent.

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor {

struct CleanUpRequest {
  std::string new_path;    // Edit_New_Path, normally ending in the separator
  std::string new_dir;     // Edit_New_Dir; target = new_path + new_dir
  std::string new_name;    // Edit_New_WspPrj
  std::string old_prj;     // Edit_Old_Prj
  std::string old_eww;     // Edit_Old_EWW
  std::string old_uvproj;  // Edit_Old_UVProj
  bool has_wsp_prj = false;
  bool has_eww = false;
  bool has_uvproj = false;
  std::string iar_sub_dir;
  std::string keil_sub_dir;
  // A uVision 5 project in the Keil folder, and its name: its own output
  // folders are cleaned after the Keil block.
  bool has_uvprojx = false;
  std::string old_uvprojx;
  // The IAR project's output folders are the ones its ".ewp" names: cleaned
  // after the IAR block.
  bool iar_generator_layout = false;
  bool backup = false;  // "Backup Project Files" ticked
};

// Does nothing when the target is not usable (see IsUsableTarget), so that an
// emptied folder field never cleans the parent folder. Only folders that lie
// inside the target, after following every link, are touched: a build-output
// folder that is a link leading elsewhere is passed over.
void CleanUpProject(const CleanUpRequest& request, FileSystem& file_system = NativeFileSystem());

// True when `new_dir` names at least one folder, none of its components is
// "." or "..", and new_path + new_dir is not the root of a file system.
bool IsUsableTarget(std::string_view new_path, std::string_view new_dir);

// True when the new project name can only name files beside the old ones:
// no separator (nor, on Windows, "/" or a drive colon) and no control
// character such as a line break, which would split a rewritten line.
bool IsUsableProjectName(std::string_view new_name);

}  // namespace kelvandor
