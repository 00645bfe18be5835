#include "operations/rename_workflow.h"

#include <string>
#include <string_view>

#include "operations/cleanup.h"
#include "operations/directory_ops.h"
#include "operations/families.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/path_style.h"
#include "rewrite/file_rewrite.h"

namespace kelvandor {
namespace {

constexpr std::string_view kDeleteQuestion = "Project already exist - Delete ?";

// Deleting an existing target, or copying a folder into itself, would
// destroy the project being copied; the archive case meets this when the
// new path still points into the temporary folder. Any other copy into that
// folder would vanish with it at the next load or when the window closes.
bool TargetUnsafeForCopy(std::string_view target, const Project& project) {
  return IsSameOrInside(target, project.project_dir) ||
         IsSameOrInside(project.project_dir, target) ||
         (!project.temp_dir.empty() && IsSameOrInside(target, project.temp_dir));
}

// The folder steps: the first failure, or kNone.
RenameError MakeTargetFolder(const Project& project, const RenamePlan& plan,
                             const std::string& target, UserInterface& ui, FileSystem& fs) {
  const bool copy = plan.mode == RenameMode::kCopy;
  // An archive's project is copied out of the temporary folder whatever the mode.
  const bool copying = copy || project.from_archive;
  if (copying && TargetUnsafeForCopy(target, project)) {
    ui.ShowMessage(RenameErrorText(RenameError::kCopy));
    return RenameError::kCopy;
  }
  if (copy && DirectoryExists(target)) {
    if (!ui.Confirm(kDeleteQuestion)) return RenameError::kTargetKept;
    if (!DeleteDirectory(target, fs)) return RenameError::kDeleteTarget;
  }
  if (copy && !CreateDirectory(target, fs)) return RenameError::kCreateTarget;
  if (copying && !CopyDirectory(project.project_dir, target, ui, fs)) return RenameError::kCopy;
  if (plan.mode == RenameMode::kRenameFolder &&
      !RenameDirectory(project.project_dir, target, ui, fs)) {
    return RenameError::kRename;
  }
  return RenameError::kNone;
}

// True when no family folder leads out of the target.
bool FamilyFoldersInside(const Project& project, const std::string& target) {
  for (const Family& family : project.families) {
    if (!IsSameOrInside(target + family.sub_dir, target)) return false;
  }
  return true;
}

// The files of every family change together when the batch is committed.
void RunRewriters(const Project& project, const RenamePlan& plan, const std::string& target,
                  UserInterface& ui, FileSystem& fs) {
  const RewriteValues values = RewriteValuesFor(project, plan);
  RewriteBatch batch(fs);
  for (const Family& family : project.families) {
    RowOf(family.kind).rewrite(target + family.sub_dir, family, values, ui, batch);
  }
  batch.Commit();
}

}  // namespace

std::string CompletedNewPath(std::string_view new_path) {
  std::string out = new_path.empty() ? DefaultNewPath() : std::string(new_path);
  // The rewriters write the target into the project files; a relative path
  // there would name another place for every other program.
  out = AbsolutePath(out);
  if (out.back() != Separator()) out += Separator();
  return out;
}

RenameOutcome RenameProject(const Project& project, const RenamePlan& requested, UserInterface& ui,
                            FileSystem& file_system) {
  const BusyCursor busy(ui);
  RenamePlan plan = requested;
  plan.new_path = CompletedNewPath(plan.new_path);
  RenameOutcome outcome;
  outcome.new_path = plan.new_path;
  const std::string target = plan.Target();

  if (!IsUsableTarget(plan.new_path, plan.new_dir) || !IsUsableProjectName(plan.new_name)) {
    outcome.error = RenameError::kBadTarget;
  } else {
    outcome.error = MakeTargetFolder(project, plan, target, ui, file_system);
  }
  if (outcome.ok() && !FamilyFoldersInside(project, target)) {
    outcome.error = RenameError::kBadTarget;
  }
  if (outcome.ok()) RunRewriters(project, plan, target, ui, file_system);
  if (outcome.ok() && plan.clean_up) CleanUpProject(project, plan, file_system);
  return outcome;
}

}  // namespace kelvandor
