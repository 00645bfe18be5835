#include "operations/directory_ops.h"

#include <string>

#include "platform/file_system.h"

namespace kelvandor {

bool CreateDirectory(std::string_view path) {
  const std::size_t root = DriveRootLength();
  if (path.size() <= root) return true;
  std::string prefix(path.substr(0, root));
  for (const char c : path.substr(root)) {
    prefix += c;
    if (c == Separator() && !DirectoryExists(prefix) && !MakeDirectory(prefix)) return false;
  }
  return true;
}

bool CopyDirectory(std::string_view from, std::string_view to, UserInterface& ui) {
  // CopyTree also refuses a missing source, an existing target and a target
  // inside the source, so that nothing is created then.
  const bool copied = CopyTree(
      from, to, [&ui](std::uint64_t done, std::uint64_t total) { ui.CopyProgress(done, total); });
  if (!copied) {
    ui.ShowMessage("Failed to Copy Project!");
    return false;
  }
  return true;
}

bool RenameDirectory(std::string_view from, std::string_view to, UserInterface& ui) {
  if (!RenameNoReplace(from, to)) {
    ui.ShowMessage("Failed to Rename Project!");
    return false;
  }
  return true;
}

bool DeleteDirectory(std::string_view path) {
  if (!DirectoryExists(path)) return true;
  // A mistyped target such as "C:\" or "/" must never cost the whole disk.
  if (IsFileSystemRoot(path)) return false;
  return RemoveTree(path);
}

}  // namespace kelvandor
