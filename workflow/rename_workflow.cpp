#include "workflow/rename_workflow.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/directory_ops.h"
#include "core/file_rewrite.h"
#include "core/run_journal.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/folders.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "workflow/cleanup.h"
#include "workflow/front_door.h"
#include "workflow/run_guard.h"
#include "workflow/run_recorder.h"

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

// `a` and `b` name one folder by the same name: a move between them would
// change nothing (a change of letter case is a move on Windows).
bool IsFolderItself(const std::string& a, const std::string& b, FileSystem& fs) {
  return NamePart(a) == NamePart(b) && fs.IsSameOrInside(a, b) && fs.IsSameOrInside(b, a);
}

// The folder steps: the first failure, or kNone.
RenameError MakeTargetFolder(const Project& project, const RenamePlan& plan,
                             const std::string& target, UserInterface& ui, FileSystem& fs,
                             RunReport& report, RunJournal& journal) {
  const bool copy = plan.mode == RenameMode::kCopy;
  if (copy && TargetUnsafeForCopy(target, project, fs)) {
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
  if (copy) {
    if (!CopyDirectory(project.project_dir, target, ui, fs)) return RenameError::kCopy;
    // From here on, a failure or an interruption removes the copy again.
    journal.NoteCopy();
  }
  // A retry after the folder moved finds it under its new name already.
  if (plan.mode == RenameMode::kRenameFolder && !IsFolderItself(project.project_dir, target, fs)) {
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

// Stages the project files of every family in `target` into `batch`, and the
// generator configuration above a family folder that holds the IDE's files.
void StageRewriters(const Project& project, const RenamePlan& plan, const std::string& target,
                    UserInterface& ui, RewriteBatch& batch) {
  const RewriteValues values = RewriteValuesFor(project, plan);
  std::set<std::string> configured;
  for (const Family& family : project.families) {
    const std::string dir = target + family.sub_dir;
    RowOf(family.kind).rewrite(dir, family, values, ui, batch);
    const auto configure_above = RowOf(family.kind).configure_above;
    if (configure_above == nullptr || family.sub_dir.empty()) continue;
    const std::string above = FolderPart(dir);
    if (batch.file_system().IsSameOrInside(above, target) &&
        configured.insert(LowerAscii(JoinPath(above, family.old_name))).second) {
      configure_above(above, family.old_name, values, batch);
    }
  }
}

// What a rename would break, found by planning its rewrite on the project
// as it stands, before anything is copied or moved. A failure to read is
// left for the run itself to meet and report. Only what the rewrite reads
// back is kept of what it writes: the small files it compares.
std::optional<std::string> PlannedBreak(const Project& project, const RenamePlan& plan) {
  try {
    PlanningFileSystem planning;
    planning.set_content_limit(kCompareLimit);
    SilentUi silent;
    RewriteBatch batch(planning);
    StageRewriters(project, plan, project.project_dir, silent, batch);
    return batch.BrokenReference();
  } catch (const IoError&) {
    return std::nullopt;
  }
}

// The images the clean-up of `plan` will rename, found by planning it on the
// target as it stands before the commit, which moves no image.
std::vector<JournalMove> PlannedImageRenames(const Project& project, const RenamePlan& plan) {
  PlanningFileSystem planning;
  std::vector<JournalMove> out;
  for (const RenamedFile& image : CleanUpLockedProject(project, plan, planning).renamed_images) {
    out.push_back({image.from, image.to});
  }
  return out;
}

// Stops the run with `error`, whose text is followed by what broke, and
// shows it at once.
RenameError Refuse(RenameError error, const std::string& detail, RunReport& report,
                   UserInterface& ui) {
  report.failure = Failure(error);
  if (!report.failure.message.empty()) report.failure.message += " ";
  report.failure.message += detail;
  ui.ShowMessage(report.failure.message);
  return error;
}

// The files of every family change together when the batch is committed,
// unless a reference would break.
RenameError RunRewriters(const Project& project, const RenamePlan& plan, const std::string& target,
                         UserInterface& ui, FileSystem& fs, RunReport& report,
                         RunJournal& journal) {
  RewriteBatch batch(fs);
  batch.set_journal(&journal);
  StageRewriters(project, plan, target, ui, batch);
  report.warnings = batch.warnings();
  if (const std::optional<std::string> broken = batch.BrokenReference()) {
    return Refuse(RenameError::kBrokenReference, *broken, report, ui);
  }
  if (const std::optional<std::string> changed = batch.ChangedSource()) {
    return Refuse(RenameError::kChangedDuringRun, *changed, report, ui);
  }
  batch.Commit();
  report.project_files = batch.changes();
  for (const FileMove& move : batch.renames()) report.renamed_files.push_back({move.from, move.to});
  return RenameError::kNone;
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
  RenamePlan plan = WithArchiveRule(project, requested);
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
  // Renaming a project reached through a link would rename the link.
  const bool linked_folder_moves =
      plan.mode == RenameMode::kRenameFolder && file_system.IsLink(project.project_dir);
  if (!IsUsableTarget(plan.new_path, plan.new_dir) || !IsUsableProjectName(plan.new_name) ||
      linked_folder_moves) {
    outcome.error = RenameError::kBadTarget;
  } else if (const std::string refused = RefusedName(project, plan.new_name); !refused.empty()) {
    outcome.error = Refuse(RenameError::kBadTarget, refused, report, ui);
  } else {
    // An interrupted run is rolled back before the project is looked at.
    outcome.error = GuardRun({project.project_dir, target}, lock, &ui, file_system);
  }
  if (outcome.ok()) {
    if (const std::optional<std::string> broken = PlannedBreak(project, plan)) {
      outcome.error = Refuse(RenameError::kBrokenReference, *broken, report, ui);
    }
  }
  if (outcome.ok()) {
    // The journal lies in the folder whose files change: the project, its
    // copy, or the project before and after its folder moves.
    RunJournal journal(file_system,
                       plan.mode == RenameMode::kRenameFolder ? project.project_dir : target);
    try {
      RunRecorder recorder(file_system, report);
      recorder.set_step(RunRecorder::Step::kTarget);
      outcome.error = MakeTargetFolder(project, plan, target, ui, recorder, report, journal);
      if (outcome.ok() && !FamilyFoldersInside(project, target, file_system)) {
        outcome.error = RenameError::kBadTarget;
      }
      // A run stopped in the clean-up is completed with the images it owes:
      // a retry knows only the new name.
      if (outcome.ok() && plan.clean_up) {
        journal.OweImageRenames(PlannedImageRenames(project, plan));
      }
      if (outcome.ok()) {
        outcome.error = RunRewriters(project, plan, target, ui, file_system, report, journal);
      }
      if (outcome.ok() && plan.clean_up) {
        // Without the note, a stop in the clean-up could find the commit
        // undone on disk, and roll it back over what the clean-up deleted.
        if (!journal.NoteCleanUp()) journal.Finish();
        RunReport cleaned = CleanUpLockedProject(project, plan, file_system);
        report.cleaned = std::move(cleaned.cleaned);
        report.cleaned_total = cleaned.cleaned_total;
        report.renamed_images = std::move(cleaned.renamed_images);
      }
    } catch (const IoError&) {
      // Nothing of the run stays: the moves made are undone, the temporary
      // files, a copy and the journal removed, a moved folder moved back.
      journal.Finish();
      throw;
    }
    journal.Finish();
  }
  // A failure that names what broke has its message already.
  if (!report.failure.failed()) report.failure = Failure(outcome.error);
  return outcome;
}

}  // namespace kelvandor
