#include "tests/support/crashing_file_system.h"

#include <cerrno>

namespace kelvandor::testing {

bool CrashingFileSystem::Pass() {
  if (crashed_) {
    errno = EIO;
    return false;
  }
  if (++calls_ != crash_at_) return true;
  crashed_ = true;
  throw Crash{};
}

int CrashingFileSystem::Close(int fd) {
  // Not a place to stop: closing changes nothing the next process sees, and
  // descriptors are closed in destructors, which must not throw. A stopped
  // process loses its descriptors; this one must not leak them.
  const int closed = GatedFileSystem::Close(fd);
  if (!crashed_) return closed;
  errno = EIO;
  return -1;
}

}  // namespace kelvandor::testing
