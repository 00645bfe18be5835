#include "workflow/cleanup.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "core/cleaning.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/stop_request.h"
#include "workflow/run_guard.h"
#include "workflow/run_recorder.h"

namespace kelvandor {
namespace {

void RenameImage(const std::string& dir, std::string_view old_name, std::string_view new_name,
                 std::string_view ext, FileSystem& file_system) {
  // Without a name on either side the rename would make a file called
  // just the extension out of an image, or pick up a stray one.
  if (old_name.empty() || new_name.empty()) return;
  const std::string from = JoinPath(dir, std::string(old_name) + std::string(ext));
  if (!file_system.FileExists(from)) return;
  file_system.RenameNoReplace(from, JoinPath(dir, std::string(new_name) + std::string(ext)));
}

// `relative` ("/" between levels) below `base`, each folder found in
// whatever letter case it has on disk ("obj" for "OBJ"), as Windows would.
std::string FolderAnyCase(std::string_view base, std::string_view relative, FileSystem& fs) {
  std::string dir(base);
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::string_view name = relative.substr(0, slash);
    const std::optional<DirEntry> entry = fs.FindEntry(dir, name);
    dir = JoinPath(dir, entry && entry->kind == EntryKind::kFolder ? entry->name : name);
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
  }
  return dir;
}

void RunSteps(std::span<const CleanStep> steps, std::string_view base, const Family& family,
              const RenamePlan& plan, std::string_view project, FileSystem& fs) {
  const std::string_view old_name = family.old_name;
  // In a folder other projects share, only the project's own files.
  const auto clean_folder_files = [&](const std::string& dir, std::string_view ext_list,
                                      std::string_view pattern) {
    CleanFolderFilesAnyCase(dir, ext_list, pattern, family.Flag(kSharedFolderValue),
                            {old_name, plan.new_name}, fs);
  };
  for (const CleanStep& step : steps) {
    if (StopRequested()) return;
    const std::string dir = FolderAnyCase(base, step.folder, fs);
    if (!fs.IsSameOrInside(dir, project)) continue;
    switch (step.op) {
      case CleanOp::kKeepImages:
        CleanDirectoryAnyCase(dir, step.ext, true, fs);
        break;
      case CleanOp::kEmpty:
        CleanDirectory(dir, {}, false, fs);
        break;
      case CleanOp::kDeleteBackups:
        if (!plan.backup) clean_folder_files(dir, ".bak", {});
        break;
      case CleanOp::kDeleteExtension:
        clean_folder_files(dir, step.ext, {});
        break;
      case CleanOp::kDeleteNameHolding:
        clean_folder_files(dir, {}, step.ext);
        break;
      case CleanOp::kRenameImage:
        RenameImage(dir, old_name, plan.new_name, step.ext, fs);
        break;
    }
  }
}

bool IsDotComponent(std::string_view component) { return component == "." || component == ".."; }

}  // namespace

bool IsUsableProjectName(std::string_view new_name) {
  constexpr std::string_view kSeparators = kNativeStyle == PathStyle::kWindows ? "\\/:" : "/";
  for (const char c : new_name) {
    if (kSeparators.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20) {
      return false;
    }
  }
  // A name too long shows where a file of it is made, as the system says.
  const NameFault fault = CheckName(new_name);
  return new_name.empty() || IsDotComponent(new_name) ||
         (fault != NameFault::kForbidden && fault != NameFault::kReservedDevice);
}

bool IsUsableTarget(std::string_view new_path, std::string_view new_dir) {
  // Windows takes "/" as a separator too.
  constexpr std::string_view kSeparators = kNativeStyle == PathStyle::kWindows ? "\\/" : "/";
  bool named = false;
  std::size_t start = 0;
  while (start <= new_dir.size()) {
    std::size_t end = new_dir.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) end = new_dir.size();
    const std::string_view component = new_dir.substr(start, end - start);
    if (IsDotComponent(component)) return false;
    const NameFault fault = CheckName(component);
    if (!component.empty() && fault != NameFault::kNone && fault != NameFault::kTooLong) {
      return false;
    }
    named = named || !component.empty();
    start = end + 1;
  }
  return named && !IsFileSystemRoot(std::string(new_path) + std::string(new_dir));
}

namespace {

void CleanUp(const Project& project, const RenamePlan& plan, FileSystem& file_system) {
  const std::string target = plan.Target();
  // The project itself may be reached through a link (the user named it);
  // below it, nothing leads out.
  const std::string resolved = file_system.ResolvedPath(target);
  if (resolved.empty()) return;
  for (const Family& family : project.families) {
    if (StopRequested()) return;
    const FamilyRow& row = RowOf(family.kind);
    const std::string dir = target + family.sub_dir;
    RunSteps(row.clean_steps, dir, family, plan, resolved, file_system);
    if (row.clean_named) {
      row.clean_named(family, {target, dir, family.old_name, plan.new_name, plan.backup},
                      file_system);
    }
  }
}

// `refused`: the first file or image that stayed because the system refused
// the change; empty when none did.
RunReport CleanUpLocked(const Project& project, const RenamePlan& plan, FileSystem& file_system,
                        std::string& refused) {
  RunReport report;
  report.source = project.project_dir;
  report.target = plan.Target();
  report.mode = plan.mode;
  report.clean_up = true;
  if (!IsUsableTarget(plan.new_path, plan.new_dir)) return report;
  RunRecorder recorder(file_system, report);
  recorder.set_step(RunRecorder::Step::kCleanUp);
  // A name that is a path would move the images out of their folder.
  if (!IsUsableProjectName(plan.new_name)) {
    RenamePlan without_renames = plan;
    without_renames.new_name.clear();
    CleanUp(project, without_renames, recorder);
  } else {
    CleanUp(project, plan, recorder);
  }
  // Sorted, as a folder lists in no order a copy keeps: a plan and the
  // report of its run compare line by line.
  std::sort(report.cleaned.begin(), report.cleaned.end(),
            [](const RemovedFile& a, const RemovedFile& b) { return a.path < b.path; });
  refused = recorder.clean_up_refused();
  return report;
}

// The clean-up on its own goes on past a file that stays, and is a failure
// all the same: a read-only project is never reported cleaned.
RunReport CleanUpAlone(const Project& project, const RenamePlan& plan, FileSystem& file_system) {
  std::string refused;
  RunReport report = CleanUpLocked(project, plan, file_system, refused);
  if (!refused.empty()) throw IoError(IoErrorCode::kAccessDenied, refused);
  return report;
}

RunReport CleanUpGuarded(const Project& project, const RenamePlan& plan, UserInterface* ui,
                         FileSystem& file_system) {
  if (!IsUsableTarget(plan.new_path, plan.new_dir)) return CleanUpAlone(project, plan, file_system);
  FolderLock lock;
  const RenameError error = GuardRun({project.project_dir, plan.Target()}, lock, ui, file_system);
  if (error != RenameError::kNone) {
    RunReport report;
    report.source = project.project_dir;
    report.target = plan.Target();
    report.mode = plan.mode;
    report.clean_up = true;
    report.failure = Failure(error);
    return report;
  }
  return CleanUpAlone(project, plan, file_system);
}

}  // namespace

RunReport CleanUpProject(const Project& project, const RenamePlan& plan, UserInterface& ui,
                         FileSystem& file_system) {
  return CleanUpGuarded(project, plan, &ui, file_system);
}

RunReport CleanUpProject(const Project& project, const RenamePlan& plan, FileSystem& file_system) {
  return CleanUpGuarded(project, plan, nullptr, file_system);
}

RunReport CleanUpLockedProject(const Project& project, const RenamePlan& plan,
                               FileSystem& file_system) {
  std::string refused;
  return CleanUpLocked(project, plan, file_system, refused);
}

}  // namespace kelvandor
