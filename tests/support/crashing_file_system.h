#pragma once

// A file system that stops dead at its Nth changing call (closing a
// descriptor not counted), counted from 1, as
// a kill or a power cut would: that call is not made, Crash is thrown (no
// handler of the program catches it), and every later changing call fails, so
// that no undo runs on the way out. Every other call goes to the real file
// system.

#include "tests/support/gated_file_system.h"

namespace kelvandor::testing {

// Deliberately no std::exception.
struct Crash {};

class CrashingFileSystem : public GatedFileSystem {
 public:
  // `crash_at` 0 never stops; the calls are still counted.
  explicit CrashingFileSystem(int crash_at = 0) : crash_at_(crash_at) {}

  bool crashed() const { return crashed_; }
  int calls() const { return calls_; }

  int Close(int fd) override;

 private:
  // Throws at the crash.
  bool Pass() override;

  int crash_at_ = 0;
  int calls_ = 0;
  bool crashed_ = false;
};

}  // namespace kelvandor::testing
