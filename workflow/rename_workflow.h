#pragma once

// The rename workflow behind the Rename button: completes the new path,
// produces the new project folder by copying or renaming the old one (or
// works in place), runs the rewriter of every family present and, when asked,
// cleans the build output.

#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/project.h"
#include "core/rename_error.h"
#include "core/run_report.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

struct RenameOutcome {
  RenameError error = RenameError::kNone;
  std::string new_path;  // the plan's new path as the workflow completed it
  RunReport report;      // what the run did (or, when planning, would do)
  bool ok() const { return error == RenameError::kNone; }
  // The error with the message shown for it.
  const Failure& failure() const { return report.failure; }
};

// The plan's new path as the workflow takes it: "c:\" or "/" when empty, made
// absolute against the current folder, ending in the separator.
std::string CompletedNewPath(std::string_view new_path);

// Carries out `plan` on `project`. The project files of all families are
// rewritten together: on any failure every one of them keeps its old name
// and bytes. A rewriter's IoError passes through. Every change goes through
// `file_system`; the process's current folder is left alone.
RenameOutcome RenameProject(const Project& project, const RenamePlan& plan, UserInterface& ui,
                            FileSystem& file_system);

}  // namespace kelvandor
