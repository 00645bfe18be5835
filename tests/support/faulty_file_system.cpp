#include "tests/support/faulty_file_system.h"

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace kelvandor::testing {

namespace {

void SetError(Fault fault) {
  switch (fault) {
    case Fault::kDiskFull:
      errno = ENOSPC;
#ifdef _WIN32
      SetLastError(ERROR_DISK_FULL);
#endif
      break;
    case Fault::kReadFails:
      errno = EIO;
#ifdef _WIN32
      SetLastError(ERROR_READ_FAULT);
#endif
      break;
    case Fault::kInterrupted:
      errno = EINTR;
      break;
  }
}

}  // namespace

bool FaultyFileSystem::Hits(Fault fault) {
  if (fault != fault_) return false;
  ++calls_;
  const bool again = fail_again_from_ > 0 && calls_ >= fail_again_from_;
  if (calls_ != fail_at_ && !again) return false;
  fired_ = true;
  SetError(fault);
  return true;
}

bool FaultyFileSystem::Pass() { return !Hits(Fault::kDiskFull); }

long long FaultyFileSystem::Write(int fd, const char* data, std::size_t size) {
  if (Hits(Fault::kInterrupted)) return -1;
  if (space_ >= 0 && static_cast<unsigned long long>(space_) < size) {
    if (space_ == 0) {
      fired_ = true;
      SetError(Fault::kDiskFull);
      return -1;
    }
    size = static_cast<std::size_t>(space_);
  }
  const long long written = GatedFileSystem::Write(fd, data, size);
  if (space_ >= 0 && written > 0) space_ -= written;
  return written;
}

int FaultyFileSystem::Close(int fd) {
  if (!Hits(Fault::kDiskFull)) return GatedFileSystem::Close(fd);
  // The descriptor is gone either way; only the report differs.
  GatedFileSystem::Close(fd);
  errno = ENOSPC;
  return -1;
}

int FaultyFileSystem::OpenForReading(std::string_view path) {
  return Hits(Fault::kReadFails) ? -1 : GatedFileSystem::OpenForReading(path);
}

long long FaultyFileSystem::Read(int fd, char* data, std::size_t size) {
  if (Hits(Fault::kReadFails) || Hits(Fault::kInterrupted)) return -1;
  return GatedFileSystem::Read(fd, data, size);
}

}  // namespace kelvandor::testing
