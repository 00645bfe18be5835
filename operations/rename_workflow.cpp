#include "operations/rename_workflow.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "operations/cleanup.h"
#include "operations/directory_ops.h"
#include "operations/families.h"
#include "operations/run_guard.h"
#include "operations/run_recorder.h"
#include "platform/folder_lock.h"
#include "platform/io_error.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/path_style.h"
#include "rewrite/file_rewrite.h"
#include "rewrite/run_journal.h"

namespace kelvandor {
namespace {

constexpr std::string_view kDeleteQuestion = "Project already exist - Delete ?";

// Deleting an existing target, or copying a folder into itself, would
// destroy the project being copied; the archive case meets this when the
// new path still points into the temporary folder. Any other copy into that
// folder would vanish with it at the next load or when the window closes.
bool TargetUnsafeForCopy(std::string_view target, const Project& project, FileSystem& fs) {
  return fs.IsSameOrInside(target, project.project_dir) ||
         fs.IsSameOrInside(project.project_dir, target) ||
         (!project.temp_dir.empty() && fs.IsSameOrInside(target, project.temp_dir));
}

// The folder steps: the first failure, or kNone.
RenameError MakeTargetFolder(const Project& project, const RenamePlan& plan,
                             const std::string& target, UserInterface& ui, FileSystem& fs,
                             RunReport& report, RunJournal& journal) {
  const bool copy = plan.mode == RenameMode::kCopy;
  // An archive's project is copied out of the temporary folder whatever the mode.
  const bool copying = copy || project.from_archive;
  if (copying && TargetUnsafeForCopy(target, project, fs)) {
    ui.ShowMessage(RenameErrorText(RenameError::kCopy));
    return RenameError::kCopy;
  }
  if (copy && fs.DirectoryExists(target)) {
    report.question = std::string(kDeleteQuestion);
    report.answered_yes = ui.Confirm(kDeleteQuestion);
    if (!report.answered_yes) return RenameError::kTargetKept;
    if (!DeleteDirectory(target, fs)) return RenameError::kDeleteTarget;
  }
  if (copy && !CreateDirectory(target, fs)) return RenameError::kCreateTarget;
  if (copying) {
    if (!CopyDirectory(project.project_dir, target, ui, fs)) return RenameError::kCopy;
    // From here on, a failure or an interruption removes the copy again.
    journal.NoteCopy();
  }
  if (plan.mode == RenameMode::kRenameFolder) {
    journal.NoteFolderMove(project.project_dir, target);
    if (!RenameDirectory(project.project_dir, target, ui, fs)) return RenameError::kRename;
    journal.set_root(target);
  }
  return RenameError::kNone;
}

// True when no family folder leads out of the target.
bool FamilyFoldersInside(const Project& project, const std::string& target, FileSystem& fs) {
  for (const Family& family : project.families) {
    if (!fs.IsSameOrInside(target + family.sub_dir, target)) return false;
  }
  return true;
}

// The files of every family change together when the batch is committed.
std::vector<ProjectFileChange> RunRewriters(const Project& project, const RenamePlan& plan,
                                            const std::string& target, UserInterface& ui,
                                            FileSystem& fs, RunJournal& journal) {
  const RewriteValues values = RewriteValuesFor(project, plan);
  RewriteBatch batch(fs);
  batch.set_journal(&journal);
  for (const Family& family : project.families) {
    RowOf(family.kind).rewrite(target + family.sub_dir, family, values, ui, batch);
  }
  batch.Commit();
  return batch.changes();
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
  RunReport& report = outcome.report;
  report.source = project.project_dir;
  report.target = target;
  report.mode = plan.mode;
  report.clean_up = plan.clean_up;

  FolderLock lock;
  if (!IsUsableTarget(plan.new_path, plan.new_dir) || !IsUsableProjectName(plan.new_name)) {
    outcome.error = RenameError::kBadTarget;
  } else {
    outcome.error = GuardRun({project.project_dir, target}, lock, &ui, file_system);
  }
  if (outcome.ok()) {
    // The journal lies in the folder whose files change: the project, its
    // copy, or the project before and after its folder moves.
    RunJournal journal(file_system,
                       plan.mode == RenameMode::kRenameFolder && !project.from_archive
                           ? project.project_dir
                           : target);
    try {
      RunRecorder recorder(file_system, report);
      recorder.set_step(RunRecorder::Step::kTarget);
      outcome.error = MakeTargetFolder(project, plan, target, ui, recorder, report, journal);
      if (outcome.ok() && !FamilyFoldersInside(project, target, file_system)) {
        outcome.error = RenameError::kBadTarget;
      }
      if (outcome.ok()) {
        report.project_files = RunRewriters(project, plan, target, ui, file_system, journal);
      }
    } catch (const IoError&) {
      // Nothing of the run stays: the moves made are undone, the temporary
      // files, a copy and the journal removed, a moved folder moved back.
      journal.Finish();
      throw;
    }
    journal.Finish();
  }
  if (outcome.ok() && plan.clean_up) {
    RunReport cleaned = CleanUpLockedProject(project, plan, file_system);
    report.cleaned = std::move(cleaned.cleaned);
    report.cleaned_total = cleaned.cleaned_total;
    report.renamed_images = std::move(cleaned.renamed_images);
  }
  report.error_code = static_cast<int>(outcome.error);
  report.error_message = std::string(RenameErrorText(outcome.error));
  return outcome;
}

}  // namespace kelvandor
