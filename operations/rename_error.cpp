#include "operations/rename_error.h"

namespace kelvandor {

std::string_view RenameErrorText(RenameError error) {
  switch (error) {
    case RenameError::kCopy:
      return "Failed to Copy Project!";
    case RenameError::kRename:
      return "Failed to Rename Project!";
    case RenameError::kBrokenReference:
      return "Reference would break:";
    case RenameError::kUnfinishedRun:
      return "An interrupted run could not be rolled back: nothing was changed";
    case RenameError::kBusy:
      return "Another run is working on this project: nothing was changed";
    case RenameError::kChangedDuringRun:
      return "A project file changed during the run, nothing was renamed:";
    case RenameError::kNone:
    case RenameError::kCreateTarget:
    case RenameError::kDeleteTarget:
    case RenameError::kTargetKept:
    case RenameError::kBadTarget:
      break;
  }
  return {};
}

}  // namespace kelvandor
