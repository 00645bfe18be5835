#pragma once

// The input/output error of the program. Text files that cannot be opened,
// created, read, written, closed or moved aside raise it; the operation that
// meets it does not catch it, and the window (or the command-line program)
// shows its text. The number is the program's own, not the platform's; the
// path, when known, names the file the error met (it is not in the text).

#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvandor {

// The named numbers have a text of their own. Any other number may occur too
// (a platform error without a name here passes through as its number), so
// the type is open: IoErrorCode{n} is valid for every n.
enum class IoErrorCode : int {
  kFileNotFound = 2,
  kInvalidFilename = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kReadBeyondEnd = 100,
  kDiskFull = 101,
  kInvalidNumericInput = 106,
  // Windows' number for a failing device (ERROR_IO_DEVICE), used for errors
  // that have no number of their own; it has no text of its own either.
  kDeviceError = 1117,
  // The user stopped the run (Windows' ERROR_OPERATION_ABORTED).
  kInterrupted = 995,
};

// The text shown for an error number: "File not found", ..., or
// "I/O error <n>" for any number without a text of its own.
std::string IoErrorText(IoErrorCode code);

// Maps a POSIX errno value onto the program's numbers (ENOENT -> 2,
// EACCES/EPERM/EROFS -> 5, ENOSPC/EDQUOT -> 101, ...).
IoErrorCode IoCodeFromErrno(int errno_value);

#ifdef _WIN32
// Maps a Windows GetLastError() value onto the program's numbers.
IoErrorCode IoCodeFromWindowsError(unsigned long error);
#endif

class IoError : public std::runtime_error {
 public:
  explicit IoError(IoErrorCode code, std::string_view path = {})
      : std::runtime_error(IoErrorText(code)), code_(code), path_(path) {}
  IoErrorCode code() const noexcept { return code_; }
  const std::string& path() const noexcept { return path_; }

 private:
  IoErrorCode code_ = IoErrorCode{0};
  std::string path_;
};

// Throws IoError for the given errno value, met on `path`.
[[noreturn]] void ThrowIoErrorFromErrno(int errno_value, std::string_view path = {});

// Throws IoError for the last failed system call of this thread (errno on
// POSIX, GetLastError() on Windows), e.g. after a file_system.h call on
// `path` returned false.
[[noreturn]] void ThrowLastIoError(std::string_view path = {});

}  // namespace kelvandor
