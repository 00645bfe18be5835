#include "core/directory_ops.h"

#include <string>

#include "core/rename_error.h"
#include "platform/file_system.h"

namespace kelvandor {

bool CopyDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                   FileSystem& file_system) {
  // CopyTree also refuses a missing source, an existing target and a target
  // inside the source, so that nothing is created then.
  const bool copied = file_system.CopyTree(
      from, to, [&ui](std::uint64_t done, std::uint64_t total) { ui.CopyProgress(done, total); });
  if (!copied) {
    ui.ShowMessage(RenameErrorText(RenameError::kCopy));
    return false;
  }
  return true;
}

bool RenameDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                     FileSystem& file_system) {
  if (!file_system.RenameNoReplace(from, to)) {
    ui.ShowMessage(RenameErrorText(RenameError::kRename));
    return false;
  }
  return true;
}

}  // namespace kelvandor
