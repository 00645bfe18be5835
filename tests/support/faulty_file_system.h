#pragma once

// A file system that makes exactly one of its calls go wrong: the Nth call
// of the kind the fault concerns, counted from 1 (and, when asked, every
// changing call from a later one on). Every other call goes to the real
// file system.

#include <cstddef>
#include <string_view>

#include "tests/support/gated_file_system.h"

namespace kelvandor::testing {

enum class Fault {
  kDiskFull,     // a changing call fails as on a full disk
  kReadFails,    // opening a file for reading or reading it fails (EIO)
  kInterrupted,  // a read or a write returns -1 with EINTR, having done nothing
};

class FaultyFileSystem : public GatedFileSystem {
 public:
  // `fail_at` 0 never fails; the calls are still counted.
  explicit FaultyFileSystem(int fail_at = 0, Fault fault = Fault::kDiskFull)
      : fail_at_(fail_at), fault_(fault) {}
  // Also every changing call from `fail_again_from` on fails, as a disk that
  // went bad would fail the undo of the first failure.
  FaultyFileSystem(int fail_at, int fail_again_from)
      : fail_at_(fail_at), fail_again_from_(fail_again_from) {}

  // Writes beyond `bytes` more fail as on a full disk, also with `fail_at`
  // 0: the disk fills up part-way through a file.
  void set_space(long long bytes) { space_ = bytes; }

  // Whether the fault was injected, and how many calls of its kind were made.
  bool fired() const { return fired_; }
  int calls() const { return calls_; }

  long long Write(int fd, const char* data, std::size_t size) override;
  int Close(int fd) override;
  int OpenForReading(std::string_view path) override;
  long long Read(int fd, char* data, std::size_t size) override;

 private:
  bool Pass() override;
  // Counts a call of the kind `fault`; true (with errno set) when this one is
  // to go wrong.
  bool Hits(Fault fault);

  int fail_at_ = 0;
  Fault fault_ = Fault::kDiskFull;
  int fail_again_from_ = 0;
  int calls_ = 0;
  bool fired_ = false;
  long long space_ = -1;  // no limit
};

}  // namespace kelvandor::testing
