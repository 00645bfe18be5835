#pragma once

// The build-output clean-up of a project folder: a fixed table of folders per
// IDE family, emptied or kept to their output images, and the kept release
// images renamed after the new project name. Silent.

#include <string>

namespace kelvandor {

struct CleanUpRequest {
  std::string new_path;  // Edit_New_Path, normally ending in the separator
  std::string new_dir;   // Edit_New_Dir; target = new_path + new_dir
  std::string new_name;  // Edit_New_WspPrj
  std::string old_prj;   // Edit_Old_Prj
  std::string old_eww;   // Edit_Old_EWW
  std::string old_uvproj;  // Edit_Old_UVProj
  bool has_wsp_prj = false;
  bool has_eww = false;
  bool has_uvproj = false;
  std::string iar_sub_dir;
  std::string keil_sub_dir;
  bool backup = false;  // "Backup Project Files" ticked
};

void CleanUpProject(const CleanUpRequest& request);

}  // namespace kelvandor
