#pragma once

// The rename workflow behind the Rename button: completes the new path,
// produces the new project folder by copying or renaming the old one (or
// works in place), runs the rewriter of every family present and, when asked,
// cleans the build output.

#include <string>

#include "operations/cleanup.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Error codes of the workflow (input analysis has its own).
inline constexpr int kErrorCopy = 1;
inline constexpr int kErrorRename = 2;
inline constexpr int kErrorCreateTarget = 8;
inline constexpr int kErrorDeleteTarget = 14;
inline constexpr int kErrorTargetKept = 15;
// The new folder name is empty, holds a "." or ".." component, or the target
// is a file-system root, or the new project name holds a separator or a
// control character: refused before any folder step.
inline constexpr int kErrorBadTarget = 16;

struct RenameRequest {
  // Edit_New_Path. Completed in place first ("c:\" or "/" when empty, made
  // absolute against the current folder, a final separator appended); the
  // window writes it back, also after a failure.
  std::string new_path;
  std::string new_dir;   // Edit_New_Dir
  std::string new_name;  // Edit_New_WspPrj
  bool copy_project = false;
  bool rename_folder = false;
  bool clean_up = false;
  bool backup = false;
  std::string old_wsp;     // Edit_Old_Wsp
  std::string old_prj;     // Edit_Old_Prj
  std::string old_eww;     // Edit_Old_EWW
  std::string old_uvproj;  // Edit_Old_UVProj
  std::string old_dir;     // Edit_Old_Dir
  std::string old_project_dir;
  std::string input_dir;
  std::string iar_sub_dir;
  std::string keil_sub_dir;
  // Where archives are unpacked; a copy into it would be deleted with it.
  std::string temp_dir;
  bool from_archive = false;
  bool has_wsp_prj = false;
  bool has_eww = false;
  bool has_uvproj = false;
  bool has_uvprojx = false;  // a uVision 5 project beside or in place of a uVision 4 one
  std::string old_uvprojx;
  bool iar_generator_layout = false;
};

// The clean-up of the project the request names: the new location, the
// names and the families.
CleanUpRequest CleanUpRequestFor(const RenameRequest& request);

// True exactly when `error_code` is 0 at the end. `error_code` is set to 0
// first and keeps its value afterwards, also when a rewriter raises IoError,
// which passes through after the cursor and the current folder are restored.
// The project files of all families are rewritten together: on any failure
// every one of them keeps its old name and bytes. A family folder that leads
// out of the target (a link) refuses the rewriting with kErrorBadTarget
// before any file changes. Every change goes through `file_system`.
bool RenameProject(RenameRequest& request, int& error_code, UserInterface& ui,
                   FileSystem& file_system = NativeFileSystem());

}  // namespace kelvandor
