#pragma once

// The front-door policy: what the window and kelvandor-cli both make of what
// a user asks for. Each front door gathers a RenameRequest (the window from
// its fields and boxes, the command line from its options over the
// analysis's proposals); PlanRename turns it into the RenamePlan the
// workflow carries out, and the result texts say how the run ended.

#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/project.h"

namespace kelvandor {

struct RenameRequest {
  RenameMode mode = RenameMode::kInPlace;
  std::string new_path;
  std::string new_name;
  // The folder name the user gave (the window's field, --dir), or none: then
  // the folder is the proposed one, or follows the name in rename-folder mode.
  std::optional<std::string> new_dir;
  std::string proposed_dir;
  bool clean_up = true;
  bool backup = false;
};

// An archive is always copied, never backed up: its project lies in a
// temporary folder that goes at the next load.
RenamePlan WithArchiveRule(const Project& project, RenamePlan plan);

// The folder name that goes with `new_name` when none is given: in
// rename-folder mode the folder follows the name; where the IDE of a family
// in the project's folder names its folder after the project, the folder of
// a copy follows it too, by that IDE's rule.
std::string FolderFor(const Project& project, RenameMode mode, std::string_view new_name,
                      std::string_view proposed_dir);

// Why the IDE of one of the project's families could not build under
// `new_name`; empty when every one can.
std::string RefusedName(const Project& project, std::string_view new_name);

RenamePlan PlanRename(const Project& project, const RenameRequest& request);

// What a front door shows when a rename has ended with `failure`, and when a
// clean-up has.
std::string_view RenameResultText(const Failure& failure);
inline constexpr std::string_view kCleanedText = "Cleaned!";

}  // namespace kelvandor
