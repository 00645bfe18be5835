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

struct NamedError {
  IoErrorCode code;
  const char* text;
};

constexpr NamedError kTexts[] = {
    {IoErrorCode::kFileNotFound, "File not found"},
    {IoErrorCode::kInvalidFilename, "Invalid filename"},
    {IoErrorCode::kTooManyOpenFiles, "Too many open files"},
    {IoErrorCode::kAccessDenied, "File access denied"},
    {IoErrorCode::kReadBeyondEnd, "Read beyond end of file"},
    {IoErrorCode::kDiskFull, "Disk full"},
    {IoErrorCode::kInvalidNumericInput, "Invalid numeric input"},
    {IoErrorCode::kInterrupted, "Interrupted"},
};

const char* OwnText(IoErrorCode code) {
  for (const NamedError& named : kTexts) {
    if (named.code == code) return named.text;
  }
  return nullptr;
}

// A platform number passes through unless it would show another error's text.
IoErrorCode PassThrough(int number) {
  const IoErrorCode code{number};
  return OwnText(code) != nullptr ? IoErrorCode::kDeviceError : code;
}

}  // namespace

std::string IoErrorText(IoErrorCode code) {
  if (const char* text = OwnText(code)) return text;
  return "I/O error " + std::to_string(static_cast<int>(code));
}

IoErrorCode IoCodeFromErrno(int errno_value) {
  switch (errno_value) {
    case ENOENT:
    case ENOTDIR:
      return IoErrorCode::kFileNotFound;
    case EINVAL:
    case ENAMETOOLONG:
#ifdef ELOOP
    case ELOOP:
#endif
      return IoErrorCode::kInvalidFilename;
    case EMFILE:
    case ENFILE:
      return IoErrorCode::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR:  // Windows refuses to open a folder as a file with access denied
#ifdef ETXTBSY
    case ETXTBSY:
#endif
    case EBUSY:
      return IoErrorCode::kAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
      return IoErrorCode::kDiskFull;
    // EIO is 5 on POSIX and would read "File access denied"; Windows reports
    // a device failure as ERROR_IO_DEVICE.
    case EIO:
      return IoErrorCode::kDeviceError;
    default:
      return errno_value > 0 ? PassThrough(errno_value) : IoErrorCode{0};
  }
}

#ifdef _WIN32
IoErrorCode IoCodeFromWindowsError(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return IoErrorCode::kFileNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return IoErrorCode::kInvalidFilename;
    case ERROR_TOO_MANY_OPEN_FILES:
      return IoErrorCode::kTooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return IoErrorCode::kAccessDenied;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return IoErrorCode::kDiskFull;
    case ERROR_HANDLE_EOF:
      return IoErrorCode::kReadBeyondEnd;
    default:
      // ERROR_TOO_MANY_SEMAPHORES (100) must not read "Read beyond end of file".
      return PassThrough(static_cast<int>(error));
  }
}
#endif

void ThrowIoErrorFromErrno(int errno_value, std::string_view path) {
  throw IoError(IoCodeFromErrno(errno_value), path);
}

void ThrowLastIoError(std::string_view path) {
#ifdef _WIN32
  throw IoError(IoCodeFromWindowsError(GetLastError()), path);
#else
  const int saved = errno;
  ThrowIoErrorFromErrno(saved != 0 ? saved : EIO, path);
#endif
}

}  // namespace kelvandor
