#include "core/path_helpers.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::TempDir;
using testing::WriteFile;

struct SplitCase {
  PathStyle style;
  std::string path;
  std::string last_dir;  // empty: GetLastDir fails
  std::string parent;    // empty: GetPath fails
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << (c.style == PathStyle::kWindows ? "windows " : "posix ") << '"' << c.path << '"';
}

class PathSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplitTest, GetLastDirAndGetPath) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(GetLastDir(c.path, c.style), (HelperResult{!c.last_dir.empty(), c.last_dir}));
  EXPECT_EQ(GetPath(c.path, c.style), (HelperResult{!c.parent.empty(), c.parent}));
  if (c.style == kNativeStyle) {
    EXPECT_EQ(GetLastDir(c.path), GetLastDir(c.path, c.style));
    EXPECT_EQ(GetPath(c.path), GetPath(c.path, c.style));
  }
}

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

INSTANTIATE_TEST_SUITE_P(
    Windows, PathSplitTest,
    ::testing::Values(SplitCase{kWin, "C:\\work\\proj", "proj", "C:\\work\\"},
                      SplitCase{kWin, "C:\\work\\proj\\", "proj", "C:\\work\\"},
                      SplitCase{kWin, "C:\\work\\proj\\main.prj", "main.prj", "C:\\work\\proj\\"},
                      SplitCase{kWin, "C:\\proj", "proj", "C:\\"}, SplitCase{kWin, "C:\\", "", ""},
                      SplitCase{kWin, "proj", "", ""}, SplitCase{kWin, "", "", ""},
                      SplitCase{kWin, "\\", "", ""},
                      // Only one of two trailing separators is removed.
                      SplitCase{kWin, "C:\\work\\proj\\\\", "proj\\", "C:\\work\\proj\\"},
                      // ":" and "/" do not separate here.
                      SplitCase{kWin, "C:proj", "", ""},
                      SplitCase{kWin, "C:\\work/proj", "work/proj", "C:\\"},
                      SplitCase{kWin, "\\\\server\\share", "share", "\\\\server\\"},
                      SplitCase{kWin, "D:\\my work\\\xE4 proj", "\xE4 proj", "D:\\my work\\"}));

INSTANTIATE_TEST_SUITE_P(
    Posix, PathSplitTest,
    ::testing::Values(SplitCase{kPosix, "/work/proj", "proj", "/work/"},
                      SplitCase{kPosix, "/work/proj/", "proj", "/work/"},
                      SplitCase{kPosix, "/work/proj/main.prj", "main.prj", "/work/proj/"},
                      SplitCase{kPosix, "/proj", "proj", "/"}, SplitCase{kPosix, "/", "", ""},
                      SplitCase{kPosix, "proj", "", ""}, SplitCase{kPosix, "", "", ""},
                      SplitCase{kPosix, "/work/proj//", "proj/", "/work/proj/"},
                      SplitCase{kPosix, "rel/proj", "proj", "rel/"},
                      SplitCase{kPosix, "/work/C:\\proj", "C:\\proj", "/work/"},
                      SplitCase{kPosix, "/my work/.hidden proj", ".hidden proj", "/my work/"},
                      SplitCase{kPosix, "/w/\xE4rger", "\xE4rger", "/w/"}));

TEST(GetFolderTest, TheOneVisibleSubFolder) {
  TempDir tmp;
  MakeDirs(tmp / "blinky project \xE4");
  MakeDirs(tmp / ".hidden");
  testing::MarkHidden(tmp / ".hidden");
  WriteFile(tmp / "a.txt", "");
  WriteFile(tmp / "b.prj", "");
  EXPECT_EQ(GetFolder(tmp.path()), (HelperResult{true, "blinky project \xE4"}));
}

TEST(GetFolderTest, NoneOrSeveralFail) {
  TempDir tmp;
  MakeDirs(tmp / "two/a");
  MakeDirs(tmp / "two/b");
  MakeDirs(tmp / "hidden only/.git");
  testing::MarkHidden(tmp / "hidden only/.git");
  WriteFile(tmp / "files only/x", "");
  MakeDirs(tmp / "empty");
  const HelperResult fail{false, ""};
  EXPECT_EQ(GetFolder(tmp / "two"), fail);
  EXPECT_EQ(GetFolder(tmp / "hidden only"), fail);
  EXPECT_EQ(GetFolder(tmp / "files only"), fail);
  EXPECT_EQ(GetFolder(tmp / "empty"), fail);
  EXPECT_EQ(GetFolder(tmp / "missing"), fail);
  EXPECT_EQ(GetFolder(tmp / "files only/x"), fail);
  EXPECT_EQ(GetFolder(""), fail);
}

}  // namespace
}  // namespace kelvandor
