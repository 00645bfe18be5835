#pragma once

// The input/output error of the program. Text files that cannot be opened,
// created, read, written, closed or moved aside raise it; the operation that
// meets it does not catch it, and the window (or the command-line program)
// shows its text. The number is the program's own, not the platform's.

#include <stdexcept>
#include <string>

namespace kelvandor {

inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoInvalidFilename = 3;
inline constexpr int kIoTooManyOpenFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoReadBeyondEnd = 100;
inline constexpr int kIoDiskFull = 101;
inline constexpr int kIoInvalidNumericInput = 106;

// The text shown for an error number: "File not found", ..., or
// "I/O error <n>" for any number without a text of its own.
std::string IoErrorText(int code);

// Maps a POSIX errno value onto the program's numbers (ENOENT -> 2,
// EACCES/EPERM/EROFS -> 5, ENOSPC/EDQUOT -> 101, ...).
int IoCodeFromErrno(int errno_value);

#ifdef _WIN32
// Maps a Windows GetLastError() value onto the program's numbers.
int IoCodeFromWindowsError(unsigned long error);
#endif

class IoError : public std::runtime_error {
 public:
  explicit IoError(int code) : std::runtime_error(IoErrorText(code)), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_ = 0;
};

// Throws IoError for the given errno value.
[[noreturn]] void ThrowIoErrorFromErrno(int errno_value);

// Throws IoError for the last failed system call of this thread (errno on
// POSIX, GetLastError() on Windows), e.g. after a file_system.h call
// returned false.
[[noreturn]] void ThrowLastIoError();

}  // namespace kelvandor
