// Text files on Windows: opened in binary mode, so that the C runtime neither
// adds CRs nor stops at a Ctrl-Z, and failures carry the program's numbers.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/text_lines.h"
#include "tests/support/line_io.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::IoErrorCodeOf;
using testing::ReadAllLines;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(WindowsTextLinesTest, WritesBytesWithoutTranslation) {
  TempDir tmp;
  LineWriter writer(tmp / "a.prj");
  writer.WriteLine("PRJ=c:\\work\\");
  writer.Write("lone\nLF");
  writer.EndLine();
  writer.Close();
  EXPECT_EQ(ReadFile(tmp / "a.prj"), "PRJ=c:\\work\\\r\nlone\nLF\r\n");
}

TEST(WindowsTextLinesTest, CtrlZInsideALineIsData) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "one\x1Atwo\r\nthree\r\n\x1Ahidden\r\n");
  EXPECT_EQ(ReadAllLines(tmp / "a.prj"), (std::vector<std::string>{"one\x1Atwo", "three"}));
}

TEST(WindowsTextLinesTest, OpensByAnsiCodePageName) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, not " << GetACP();
  TempDir tmp;
  const std::string path = tmp / "\xC4rger.prj";
  {
    LineWriter writer(path);
    writer.WriteLine("x");
    writer.Close();
  }
  EXPECT_EQ(ListFiles(tmp.path(), ".prj"), std::vector<std::string>{"\xC4rger.prj"});
  EXPECT_EQ(ReadAllLines(tmp / "\xE4RGER.PRJ"), std::vector<std::string>{"x"});
}

TEST(WindowsTextLinesTest, WritingAReadOnlyFileIsAccessDenied) {
  TempDir tmp;
  WriteFile(tmp / "ro.prj", "x");
  const std::wstring wide = NativePath(tmp / "ro.prj").wstring();
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(IoErrorCodeOf([&] { LineWriter writer(tmp / "ro.prj"); }), IoErrorCode::kAccessDenied);
  EXPECT_EQ(ReadFile(tmp / "ro.prj"), "x");
}

struct WindowsErrorCase {
  unsigned long error = 0;
  IoErrorCode code{0};
};

class WindowsIoCodeTest : public ::testing::TestWithParam<WindowsErrorCase> {};

TEST_P(WindowsIoCodeTest, MapsOntoProgramNumbers) {
  EXPECT_EQ(IoCodeFromWindowsError(GetParam().error), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsIoCodeTest,
    ::testing::Values(WindowsErrorCase{ERROR_FILE_NOT_FOUND, IoErrorCode::kFileNotFound},
                      WindowsErrorCase{ERROR_PATH_NOT_FOUND, IoErrorCode::kFileNotFound},
                      WindowsErrorCase{ERROR_INVALID_NAME, IoErrorCode::kInvalidFilename},
                      WindowsErrorCase{ERROR_TOO_MANY_OPEN_FILES, IoErrorCode::kTooManyOpenFiles},
                      WindowsErrorCase{ERROR_ACCESS_DENIED, IoErrorCode::kAccessDenied},
                      WindowsErrorCase{ERROR_SHARING_VIOLATION, IoErrorCode::kAccessDenied},
                      WindowsErrorCase{ERROR_ALREADY_EXISTS, IoErrorCode::kAccessDenied},
                      WindowsErrorCase{ERROR_DISK_FULL, IoErrorCode::kDiskFull},
                      WindowsErrorCase{ERROR_HANDLE_DISK_FULL, IoErrorCode::kDiskFull},
                      WindowsErrorCase{ERROR_HANDLE_EOF, IoErrorCode::kReadBeyondEnd},
                      WindowsErrorCase{ERROR_IO_DEVICE, IoErrorCode::kDeviceError},
                      WindowsErrorCase{ERROR_INVALID_HANDLE, IoErrorCode{ERROR_INVALID_HANDLE}},
                      // Unmapped numbers that the table gives another error's text.
                      WindowsErrorCase{ERROR_TOO_MANY_SEMAPHORES, IoErrorCode::kDeviceError},
                      WindowsErrorCase{ERROR_EXCL_SEM_ALREADY_OWNED, IoErrorCode::kDeviceError},
                      WindowsErrorCase{ERROR_SEM_USER_LIMIT, IoErrorCode::kDeviceError}));

TEST(WindowsIoCodeTest, LastErrorOfAFailedCallIsRaised) {
  TempDir tmp;
  ASSERT_FALSE(RenameNoReplace(tmp / "missing", tmp / "to"));
  EXPECT_EQ(IoErrorCodeOf([] { ThrowLastIoError(); }), IoErrorCode::kFileNotFound);
}

}  // namespace
}  // namespace kelvandor
