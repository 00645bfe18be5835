#pragma once

// The rename workflow's errors and the one table of their messages.

#include <string_view>

namespace kelvandor {

// The workflow's error codes; the numbers are the ones users see (input
// analysis has its own).
enum class RenameError {
  kNone = 0,
  kCopy = 1,
  kRename = 2,
  kCreateTarget = 8,
  kDeleteTarget = 14,
  kTargetKept = 15,
  // The new folder name is empty, holds a "." or ".." component, the target
  // is a file-system root, the new project name holds a separator or a
  // control character, or a family folder leads out of the target: refused
  // before any file changes.
  kBadTarget = 16,
  // A rewritten project file would name a file that does not exist after the
  // rename, or two of its entries the same file: refused before any change.
  kBrokenReference = 17,
};

// The message shown where the workflow meets `error`; empty for the errors
// that are told otherwise (a question, the result) or not at all.
std::string_view RenameErrorText(RenameError error);

}  // namespace kelvandor
