#pragma once

// An advisory lock that keeps two runs of the program off one project: on
// POSIX flock(2) on the folder itself, which follows the folder when it is
// renamed and leaves no file behind; on Windows a named mutex per resolved
// path. The system releases either when the process ends, however it ends.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Adds the lock of the folder `dir` (of its path on Windows), waiting up to
  // `wait` for another process to let go of it. True when held, also when
  // nothing stands at `dir` on POSIX or it is already held here; false when
  // another process keeps it.
  bool Acquire(std::string_view dir, std::chrono::milliseconds wait);

 private:
  std::vector<std::intptr_t> handles_;
  std::vector<std::string> held_;  // resolved paths
};

}  // namespace kelvandor
