// The native path style of the Windows build: the rules written for Windows
// paths hold without naming a style.

#include <string>

#include <gtest/gtest.h>

#include "platform/path_style.h"

namespace kelvandor {
namespace {

static_assert(kNativeStyle == PathStyle::kWindows);

struct SplitCase {
  std::string path;
  std::string folder;
  std::string name;
};

class WindowsPathStyleTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WindowsPathStyleTest, SplitsAtBackslashAndColon) {
  EXPECT_EQ(FolderPart(GetParam().path), GetParam().folder);
  EXPECT_EQ(NamePart(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Native, WindowsPathStyleTest,
    ::testing::Values(SplitCase{"C:\\work\\x.prj", "C:\\work", "x.prj"},
                      SplitCase{"C:\\x.prj", "C:\\", "x.prj"}, SplitCase{"x.prj", "", "x.prj"},
                      SplitCase{"C:x.prj", "C:", "x.prj"}, SplitCase{"C:\\work\\", "C:\\work", ""},
                      SplitCase{"\\\\server\\share\\x.prj", "\\\\server\\share", "x.prj"},
                      // "/" is an ordinary character in the program's paths.
                      SplitCase{"C:\\a/b.prj", "C:\\", "a/b.prj"}));

TEST(WindowsPathStyleNativeTest, SeparatorRootAndDefaultPath) {
  EXPECT_EQ(Separator(), '\\');
  EXPECT_EQ(SeparatorString(), "\\");
  EXPECT_TRUE(IsFolderDelimiter(':'));
  EXPECT_FALSE(IsFolderDelimiter('/'));
  EXPECT_EQ(DriveRootLength(), 3u);
  EXPECT_EQ(DefaultNewPath(), "c:\\");
}

}  // namespace
}  // namespace kelvandor
