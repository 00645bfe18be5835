#pragma once

// The values every project-file rewriter reads from the window.

#include <string>

namespace kelvandor {

struct RewriteValues {
  std::string new_name;  // Edit_New_WspPrj: the new project name
  std::string new_path;  // Edit_New_Path, ending in the platform's separator
  std::string new_dir;   // Edit_New_Dir: the new project folder's name
  std::string old_dir;   // Edit_Old_Dir: the old project folder's name
  bool backup = false;   // "Backup Project Files" ticked
};

}  // namespace kelvandor
