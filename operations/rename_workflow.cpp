#include "operations/rename_workflow.h"

#include <string>
#include <string_view>
#include <utility>

#include "operations/cleanup.h"
#include "operations/directory_ops.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "rewrite/iar_rewriter.h"
#include "rewrite/keil5_rewriter.h"
#include "rewrite/keil_rewriter.h"
#include "rewrite/prj_rewriter.h"
#include "rewrite/rewrite_values.h"
#include "rewrite/wsp_rewriter.h"

namespace kelvandor {
namespace {

constexpr std::string_view kDeleteQuestion = "Project already exist - Delete ?";
constexpr std::string_view kCopyFailed = "Failed to Copy Project!";

// Puts the process back into `dir` when the workflow ends, also when a
// rewriter's IoError ends it early.
class CurrentDirRestorer {
 public:
  explicit CurrentDirRestorer(std::string dir) : dir_(std::move(dir)) {}
  ~CurrentDirRestorer() { SetCurrentDir(dir_); }
  CurrentDirRestorer(const CurrentDirRestorer&) = delete;
  CurrentDirRestorer& operator=(const CurrentDirRestorer&) = delete;

 private:
  std::string dir_;
};

void CompleteNewPath(std::string& new_path) {
  if (new_path.empty()) new_path = DefaultNewPath();
  // The workflow changes the current folder before the rewriters resolve the
  // target again; a relative path would then name another place.
  new_path = AbsolutePath(new_path);
  if (new_path.back() != Separator()) new_path += Separator();
}

// Deleting an existing target, or copying a folder into itself, would
// destroy the project being copied; the archive case meets this when the
// new path still points into the temporary folder. Any other copy into that
// folder would vanish with it at the next load or when the window closes.
bool TargetUnsafeForCopy(std::string_view target, const RenameRequest& request) {
  return IsSameOrInside(target, request.old_project_dir) ||
         IsSameOrInside(request.old_project_dir, target) ||
         (!request.temp_dir.empty() && IsSameOrInside(target, request.temp_dir));
}

// Steps 3 to 6: the folder steps. Leaves the first failure in `error_code`.
void MakeTargetFolder(const RenameRequest& request, const std::string& target, int& error_code,
                      UserInterface& ui, FileSystem& fs) {
  const bool copying = request.copy_project || request.from_archive;
  if (copying && TargetUnsafeForCopy(target, request)) {
    ui.ShowMessage(kCopyFailed);
    error_code = kErrorCopy;
    return;
  }
  if (request.copy_project && DirectoryExists(target)) {
    if (!ui.Confirm(kDeleteQuestion)) {
      error_code = kErrorTargetKept;
    } else if (!DeleteDirectory(target, fs)) {
      error_code = kErrorDeleteTarget;
    }
  }
  if (error_code == 0 && request.copy_project && !CreateDirectory(target, fs)) {
    error_code = kErrorCreateTarget;
  }
  if (error_code == 0 && copying && !CopyDirectory(request.old_project_dir, target, ui, fs)) {
    error_code = kErrorCopy;
  }
  if (error_code == 0 && request.rename_folder &&
      !RenameDirectory(request.old_project_dir, target, ui, fs)) {
    error_code = kErrorRename;
  }
}

// True when no family folder leads out of the target.
bool FamilyFoldersInside(const RenameRequest& request, const std::string& target) {
  return (!request.has_eww || IsSameOrInside(target + request.iar_sub_dir, target)) &&
         (!request.has_uvproj || IsSameOrInside(target + request.keil_sub_dir, target));
}

// Step 8. Each rewriter is given its folder and also finds it current. The
// files of every family change together when the batch is committed.
void RunRewriters(const RenameRequest& request, const std::string& target, UserInterface& ui,
                  FileSystem& fs) {
  const RewriteValues values{.new_name = request.new_name,
                             .new_path = request.new_path,
                             .new_dir = request.new_dir,
                             .old_dir = request.old_dir,
                             .backup = request.backup};
  RewriteBatch batch(fs);
  if (request.has_wsp_prj) {
    ParseWsp(target, request.old_wsp + ".wsp", values, ui, batch);
    ParsePrj(target, request.old_prj + ".prj", values, ui, batch);
  }
  if (request.has_eww) {
    const std::string dir = target + request.iar_sub_dir;
    SetCurrentDir(dir);
    ParseIAR(dir, request.old_eww, values, batch);
  }
  if (request.has_uvproj) {
    const std::string dir = target + request.keil_sub_dir;
    SetCurrentDir(dir);
    ParseKEILUV(dir, request.old_uvproj, values, batch);
    if (request.has_uvprojx) ParseKEILUV5(dir, request.old_uvprojx, values, batch);
  }
  batch.Commit();
}

}  // namespace

CleanUpRequest CleanUpRequestFor(const RenameRequest& request) {
  return CleanUpRequest{.new_path = request.new_path,
                        .new_dir = request.new_dir,
                        .new_name = request.new_name,
                        .old_prj = request.old_prj,
                        .old_eww = request.old_eww,
                        .old_uvproj = request.old_uvproj,
                        .has_wsp_prj = request.has_wsp_prj,
                        .has_eww = request.has_eww,
                        .has_uvproj = request.has_uvproj,
                        .iar_sub_dir = request.iar_sub_dir,
                        .keil_sub_dir = request.keil_sub_dir,
                        .has_uvprojx = request.has_uvprojx,
                        .old_uvprojx = request.old_uvprojx,
                        .iar_generator_layout = request.iar_generator_layout,
                        .backup = request.backup};
}

bool RenameProject(RenameRequest& request, int& error_code, UserInterface& ui,
                   FileSystem& file_system) {
  const BusyCursor busy(ui);
  const CurrentDirRestorer restore(request.input_dir);
  error_code = 0;
  CompleteNewPath(request.new_path);
  const std::string target = request.new_path + request.new_dir;

  if (!IsUsableTarget(request.new_path, request.new_dir) ||
      !IsUsableProjectName(request.new_name)) {
    error_code = kErrorBadTarget;
  } else {
    MakeTargetFolder(request, target, error_code, ui, file_system);
  }
  SetCurrentDir(target);
  if (error_code == 0 && !FamilyFoldersInside(request, target)) error_code = kErrorBadTarget;
  if (error_code == 0) RunRewriters(request, target, ui, file_system);
  if (error_code == 0 && request.clean_up) {
    CleanUpProject(CleanUpRequestFor(request), file_system);
  }
  return error_code == 0;
}

}  // namespace kelvandor
