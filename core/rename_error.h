#pragma once

// The rename workflow's errors.

#include <string_view>

namespace kelvandor {

// The workflow's error codes; the numbers are the ones users see (the input
// analysis's share some of them: failure.h tells the two apart).
enum class RenameError {
  kNone = 0,
  kCopy = 1,
  kRename = 2,
  kCreateTarget = 8,
  kDeleteTarget = 14,
  kTargetKept = 15,
  // The new folder name is empty, holds a "." or ".." component, the target
  // is a file-system root, the new project name holds a separator or a
  // control character, a family folder leads out of the target, or the
  // folder to rename is a link: refused before any file changes.
  kBadTarget = 16,
  // A rewritten project file would name a file that does not exist after the
  // rename, or two of its entries the same file: refused before any change.
  kBrokenReference = 17,
  // The journal of an interrupted run could not be completed: nothing done.
  kUnfinishedRun = 18,
  // Another run holds the project: nothing done.
  kBusy = 19,
  // A project file changed while it was rewritten: nothing renamed.
  kChangedDuringRun = 20,
};

// What a run says when it found and completed the journal of an interrupted
// one, before it goes on.
inline constexpr std::string_view kRolledBackText = "Completed the rollback of an interrupted run";
inline constexpr std::string_view kCompletedText = "Completed the clean-up of an interrupted run";
// Followed by the record's path, when it names what no run changes.
inline constexpr std::string_view kRefusedRecordText =
    "The record of an interrupted run names changes no run makes, nothing was changed:";

// The message shown where the workflow meets `error`; empty for the errors
// that are told otherwise (a question, the result) or not at all. Defined
// with the other statuses' texts, in failure.cpp.
std::string_view RenameErrorText(RenameError error);

}  // namespace kelvandor
