#include "platform/io_error.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

struct TextCase {
  int code;
  std::string text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.code; }

class IoErrorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(IoErrorTextTest, TextForNumber) {
  EXPECT_EQ(IoErrorText(GetParam().code), GetParam().text);
  const IoError error(GetParam().code);
  EXPECT_EQ(error.code(), GetParam().code);
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
  int code;
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
    ::testing::Values(ErrnoCase{ENOENT, kIoFileNotFound}, ErrnoCase{ENOTDIR, kIoFileNotFound},
                      ErrnoCase{ENAMETOOLONG, kIoInvalidFilename},
                      ErrnoCase{EINVAL, kIoInvalidFilename}, ErrnoCase{EMFILE, kIoTooManyOpenFiles},
                      ErrnoCase{ENFILE, kIoTooManyOpenFiles}, ErrnoCase{EACCES, kIoAccessDenied},
                      ErrnoCase{EPERM, kIoAccessDenied}, ErrnoCase{EROFS, kIoAccessDenied},
                      ErrnoCase{EEXIST, kIoAccessDenied}, ErrnoCase{EBUSY, kIoAccessDenied},
                      // Opening a folder as a file is refused as access denied, as on Windows.
                      ErrnoCase{EISDIR, kIoAccessDenied}, ErrnoCase{ENOSPC, kIoDiskFull},
                      ErrnoCase{kQuotaExceeded, kIoDiskFull}, ErrnoCase{EFBIG, kIoDiskFull},
                      // A device error must not pass for "File access denied" (EIO is 5).
                      ErrnoCase{EIO, 1117}, ErrnoCase{0, 0}));

TEST(IoCodeFromErrnoTest, NumbersOfTheTableNeverPassThroughAsAnotherError) {
  // Unmapped errno values that equal a number with a text of its own (on
  // Linux ESRCH 3, EINTR 4, ENETDOWN 100, ENETUNREACH 101, EISCONN 106).
  for (int errno_value : {3, 4, 100, 101, 106}) {
    const int code = IoCodeFromErrno(errno_value);
    if (code == errno_value) {
      // Mapped on purpose onto its own number on this platform.
      continue;
    }
    EXPECT_EQ(IoErrorText(code), "I/O error " + std::to_string(code)) << errno_value;
  }
#ifdef __linux__
  EXPECT_EQ(IoCodeFromErrno(ENETDOWN), 1117);
  EXPECT_EQ(IoCodeFromErrno(EINTR), 1117);
#endif
}

TEST(IoCodeFromErrnoTest, OtherNumbersPassThroughWithoutText) {
  const int code = IoCodeFromErrno(EBADF);
  EXPECT_EQ(code, EBADF);
  EXPECT_EQ(IoErrorText(code), "I/O error " + std::to_string(EBADF));
}

TEST(IoErrorTest, ThrowFromErrnoCarriesTheMappedNumber) {
  try {
    ThrowIoErrorFromErrno(ENOSPC);
    FAIL() << "no exception";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kIoDiskFull);
    EXPECT_STREQ(e.what(), "Disk full");
  }
}

}  // namespace
}  // namespace kelvandor
