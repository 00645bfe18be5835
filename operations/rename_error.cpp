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
