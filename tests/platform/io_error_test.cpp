#include "platform/io_error.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/line_io.h"

namespace kelvandor {
namespace {

struct TextCase {
  int code;
  std::string text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.code; }

class IoErrorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(IoErrorTextTest, TextForNumber) {
  const IoErrorCode code{GetParam().code};
  EXPECT_EQ(IoErrorText(code), GetParam().text);
  const IoError error(code);
  EXPECT_EQ(static_cast<int>(error.code()), GetParam().code);
  EXPECT_EQ(std::string(error.what()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IoErrorTextTest,
    ::testing::Values(TextCase{2, "File not found"}, TextCase{3, "Invalid filename"},
                      TextCase{4, "Too many open files"}, TextCase{5, "File access denied"},
                      TextCase{100, "Read beyond end of file"}, TextCase{101, "Disk full"},
                      TextCase{106, "Invalid numeric input"}, TextCase{0, "I/O error 0"},
                      TextCase{1, "I/O error 1"}, TextCase{6, "I/O error 6"},
                      TextCase{102, "I/O error 102"}, TextCase{1117, "I/O error 1117"},
                      TextCase{-1, "I/O error -1"}));

struct ErrnoCase {
  int errno_value;
  IoErrorCode code;
};

void PrintTo(const ErrnoCase& c, std::ostream* os) { *os << "errno " << c.errno_value; }

class IoCodeFromErrnoTest : public ::testing::TestWithParam<ErrnoCase> {};

// Windows has no errno for an exceeded quota.
#ifdef EDQUOT
constexpr int kQuotaExceeded = EDQUOT;
#else
constexpr int kQuotaExceeded = ENOSPC;
#endif

TEST_P(IoCodeFromErrnoTest, MapsOntoProgramNumbers) {
  EXPECT_EQ(IoCodeFromErrno(GetParam().errno_value), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IoCodeFromErrnoTest,
    ::testing::Values(
        ErrnoCase{ENOENT, IoErrorCode::kFileNotFound},
        ErrnoCase{ENOTDIR, IoErrorCode::kFileNotFound},
        ErrnoCase{ENAMETOOLONG, IoErrorCode::kInvalidFilename},
        ErrnoCase{EINVAL, IoErrorCode::kInvalidFilename},
        ErrnoCase{EMFILE, IoErrorCode::kTooManyOpenFiles},
        ErrnoCase{ENFILE, IoErrorCode::kTooManyOpenFiles},
        ErrnoCase{EACCES, IoErrorCode::kAccessDenied}, ErrnoCase{EPERM, IoErrorCode::kAccessDenied},
        ErrnoCase{EROFS, IoErrorCode::kAccessDenied}, ErrnoCase{EEXIST, IoErrorCode::kAccessDenied},
        ErrnoCase{EBUSY, IoErrorCode::kAccessDenied},
        // Opening a folder as a file is refused as access denied, as on Windows.
        ErrnoCase{EISDIR, IoErrorCode::kAccessDenied}, ErrnoCase{ENOSPC, IoErrorCode::kDiskFull},
        ErrnoCase{kQuotaExceeded, IoErrorCode::kDiskFull}, ErrnoCase{EFBIG, IoErrorCode::kDiskFull},
        // A device error must not pass for "File access denied" (EIO is 5).
        ErrnoCase{EIO, IoErrorCode::kDeviceError}, ErrnoCase{0, IoErrorCode{0}}));

TEST(IoCodeFromErrnoTest, NumbersOfTheTableNeverPassThroughAsAnotherError) {
  // Unmapped errno values that equal a number with a text of its own (on
  // Linux ESRCH 3, EINTR 4, ENETDOWN 100, ENETUNREACH 101, EISCONN 106).
  for (int errno_value : {3, 4, 100, 101, 106}) {
    const IoErrorCode code = IoCodeFromErrno(errno_value);
    if (code == IoErrorCode{errno_value}) {
      // Mapped on purpose onto its own number on this platform.
      continue;
    }
    EXPECT_EQ(IoErrorText(code), "I/O error " + std::to_string(static_cast<int>(code)))
        << errno_value;
  }
#ifdef __linux__
  EXPECT_EQ(IoCodeFromErrno(ENETDOWN), IoErrorCode{1117});
  EXPECT_EQ(IoCodeFromErrno(EINTR), IoErrorCode{1117});
#endif
}

TEST(IoCodeFromErrnoTest, OtherNumbersPassThroughWithoutText) {
  const IoErrorCode code = IoCodeFromErrno(EBADF);
  EXPECT_EQ(code, IoErrorCode{EBADF});
  EXPECT_EQ(IoErrorText(code), "I/O error " + std::to_string(EBADF));
}

TEST(IoErrorTest, ThrowFromErrnoCarriesTheMappedNumber) {
  EXPECT_EQ(testing::IoErrorCodeOf([] { ThrowIoErrorFromErrno(ENOSPC); }), IoErrorCode::kDiskFull);
}

}  // namespace
}  // namespace kelvandor
