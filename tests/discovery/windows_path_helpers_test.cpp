// The path and project-name helpers on Windows, with the native path style
// and a file system that ignores letter case and hides by attribute.

#include <string>

#include <gtest/gtest.h>

#include "discovery/path_helpers.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::MarkHidden;
using testing::TempDir;
using testing::WriteFile;

struct SplitCase {
  std::string path;
  HelperResult last_dir;
  HelperResult parent;
};

class WindowsPathHelpersTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WindowsPathHelpersTest, SplitsAtBackslash) {
  EXPECT_EQ(GetLastDir(GetParam().path), GetParam().last_dir);
  EXPECT_EQ(GetPath(GetParam().path), GetParam().parent);
}

INSTANTIATE_TEST_SUITE_P(
    Native, WindowsPathHelpersTest,
    ::testing::Values(
        SplitCase{"C:\\work\\proj", {true, "proj"}, {true, "C:\\work\\"}},
        SplitCase{"C:\\work\\proj\\", {true, "proj"}, {true, "C:\\work\\"}},
        SplitCase{"C:\\work\\proj\\main.prj", {true, "main.prj"}, {true, "C:\\work\\proj\\"}},
        SplitCase{"C:\\proj", {true, "proj"}, {true, "C:\\"}},
        SplitCase{"C:\\", {false, ""}, {false, ""}}, SplitCase{"proj", {false, ""}, {false, ""}}));

TEST(WindowsGetFolderTest, HiddenAttributeDecidesNotTheName) {
  TempDir tmp;
  MakeDirs(tmp / "one/blinky");
  MakeDirs(tmp / "one/attic");
  MarkHidden(tmp / "one/attic");
  EXPECT_EQ(GetFolder(tmp / "one"), (HelperResult{true, "blinky"}));

  MakeDirs(tmp / "two/blinky");
  MakeDirs(tmp / "two/.settings");
  EXPECT_EQ(GetFolder(tmp / "two"), (HelperResult{false, ""}));
}

TEST(WindowsProjectNameTest, NamesKeepTheCaseOnDisk) {
  TempDir tmp;
  WriteFile(tmp / "Main.PRJ", "");
  WriteFile(tmp / "MAIN.prj", "");  // the same file
  MakeDirs(tmp / "Other.prj");
  EXPECT_EQ(GetPrjName(tmp.path()), (HelperResult{true, "Main"}));
  WriteFile(tmp / "Blinky.UVPROJ", "");
  EXPECT_EQ(Get_KEILUV_Name(tmp.path()), (HelperResult{true, "Blinky"}));
}

}  // namespace
}  // namespace kelvandor
