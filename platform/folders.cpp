#include "platform/folders.h"

#include <string>

#include "platform/path_style.h"

namespace kelvandor {

bool CreateDirectory(std::string_view path, FileSystem& file_system) {
  const std::size_t root = DriveRootLength();
  if (path.size() <= root) return true;
  std::string prefix(path.substr(0, root));
  for (const char c : path.substr(root)) {
    prefix += c;
    if (c == Separator() && !DirectoryExists(prefix) && !file_system.MakeDirectory(prefix))
      return false;
  }
  return true;
}

bool DeleteDirectory(std::string_view path, FileSystem& file_system) {
  if (!DirectoryExists(path)) return true;
  // A mistyped target such as "C:\" or "/" must never cost the whole disk.
  if (IsFileSystemRoot(path)) return false;
  return file_system.RemoveTree(path);
}

}  // namespace kelvandor
