#include "platform/io_error.h"

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kelvandor {
namespace {

// Windows' number for a failing device (ERROR_IO_DEVICE), used for errors
// that have no number of their own.
constexpr int kIoDeviceError = 1117;

bool HasOwnText(int code) { return IoErrorText(code) != "I/O error " + std::to_string(code); }

}  // namespace

std::string IoErrorText(int code) {
  switch (code) {
    case kIoFileNotFound:
      return "File not found";
    case kIoInvalidFilename:
      return "Invalid filename";
    case kIoTooManyOpenFiles:
      return "Too many open files";
    case kIoAccessDenied:
      return "File access denied";
    case kIoReadBeyondEnd:
      return "Read beyond end of file";
    case kIoDiskFull:
      return "Disk full";
    case kIoInvalidNumericInput:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

int IoCodeFromErrno(int errno_value) {
  switch (errno_value) {
    case ENOENT:
    case ENOTDIR:
      return kIoFileNotFound;
    case EINVAL:
    case ENAMETOOLONG:
#ifdef ELOOP
    case ELOOP:
#endif
      return kIoInvalidFilename;
    case EMFILE:
    case ENFILE:
      return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR:  // Windows refuses to open a folder as a file with access denied
#ifdef ETXTBSY
    case ETXTBSY:
#endif
    case EBUSY:
      return kIoAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
      return kIoDiskFull;
    // EIO is 5 on POSIX and would read "File access denied"; Windows reports
    // a device failure as ERROR_IO_DEVICE.
    case EIO:
      return kIoDeviceError;
    default:
      // A number of the table would show another error's text.
      if (HasOwnText(errno_value)) return kIoDeviceError;
      return errno_value > 0 ? errno_value : 0;
  }
}

#ifdef _WIN32
int IoCodeFromWindowsError(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kIoFileNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return kIoInvalidFilename;
    case ERROR_TOO_MANY_OPEN_FILES:
      return kIoTooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return kIoAccessDenied;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return kIoDiskFull;
    case ERROR_HANDLE_EOF:
      return kIoReadBeyondEnd;
    default: {
      // ERROR_TOO_MANY_SEMAPHORES (100) must not read "Read beyond end of file".
      const int code = static_cast<int>(error);
      return HasOwnText(code) ? kIoDeviceError : code;
    }
  }
}
#endif

void ThrowIoErrorFromErrno(int errno_value) { throw IoError(IoCodeFromErrno(errno_value)); }

void ThrowLastIoError() {
#ifdef _WIN32
  throw IoError(IoCodeFromWindowsError(GetLastError()));
#else
  const int saved = errno;
  ThrowIoErrorFromErrno(saved != 0 ? saved : EIO);
#endif
}

}  // namespace kelvandor
