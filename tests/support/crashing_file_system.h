#pragma once

// A file system that stops dead at its Nth changing call (closing a
// descriptor not counted), counted from 1, as
// a kill or a power cut would: that call is not made, Crash is thrown (no
// handler of the program catches it), and every later changing call fails, so
// that no undo runs on the way out. Every other call goes to the real file
// system.

#include <cstddef>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor::testing {

// Deliberately no std::exception.
struct Crash {};

class CrashingFileSystem : public FileSystem {
 public:
  // `crash_at` 0 never stops; the calls are still counted.
  explicit CrashingFileSystem(int crash_at = 0) : crash_at_(crash_at) {}

  bool crashed() const { return crashed_; }
  int calls() const { return calls_; }

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
  bool SyncFile(int fd) override;
  bool SyncFolder(std::string_view dir) override;

 private:
  // Counts a call; false when it may not be made (throws at the crash).
  bool Allowed();

  int crash_at_ = 0;
  int calls_ = 0;
  bool crashed_ = false;
};

}  // namespace kelvandor::testing
