#pragma once

// A file system that makes exactly one of its changing calls fail, as a full
// disk would: the Nth call counted from 1 (and, when asked, every call from a
// later one on). Every other call goes to the real file system.

#include <cstddef>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor::testing {

class FaultyFileSystem : public FileSystem {
 public:
  // `fail_at` 0 never fails; the calls are still counted.
  explicit FaultyFileSystem(int fail_at = 0) : fail_at_(fail_at) {}
  // Also every call from `fail_again_from` on fails, as a disk that went bad
  // would fail the undo of the first failure.
  FaultyFileSystem(int fail_at, int fail_again_from)
      : fail_at_(fail_at), fail_again_from_(fail_again_from) {}

  // Whether the failure was injected, and how many calls were made.
  bool fired() const { return fired_; }
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
  // Counts a call; true (with the error set) when this one is to fail.
  bool Fails();

  int fail_at_ = 0;
  int fail_again_from_ = 0;
  int calls_ = 0;
  bool fired_ = false;
};

}  // namespace kelvandor::testing
