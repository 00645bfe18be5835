#pragma once

// The values every project-file rewriter reads, taken by the rename workflow
// from the project and its rename plan.

#include <string>

namespace kelvandor {

struct RewriteValues {
  std::string new_name;  // the new project name
  std::string new_path;  // the target's parent folder, ending in the platform's separator
  std::string new_dir;   // the new project folder's name
  std::string old_dir;   // the old project folder's name
  bool backup = false;   // "Backup Project Files" ticked
};

}  // namespace kelvandor
