#pragma once

// A file system that changes nothing on disk: every change is kept in memory
// over the real files, and every read sees the real files as those changes
// would have left them. Running the rename workflow or the clean-up through
// one yields the report of what they would do.

#include "platform/file_system.h"

namespace kelvandor {

class PlanningFileSystem : public FileSystem {
 public:
  PlanningFileSystem() = default;

  bool MakeDirectory(std::string_view path) override;
  bool RenameNoReplace(std::string_view from, std::string_view to) override;
  bool RenameReplacing(std::string_view from, std::string_view to) override;
  bool RemoveFile(std::string_view path) override;
  bool RemoveTree(std::string_view path) override;
  bool CopyPermissions(std::string_view from, std::string_view to) override;
  bool CopyOneFile(std::string_view from, std::string_view to) override;
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override;
  int CreateForWriting(std::string_view path) override;
  long long Write(int fd, const char* data, std::size_t size) override;
  int Close(int fd) override;
};

}  // namespace kelvandor
