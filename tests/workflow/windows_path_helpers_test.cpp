// The folder and project-name helpers on a Windows file system, which ignores
// letter case and hides by attribute. The path splits of the native style are
// in the style table of path_helpers_test.cpp.

#include <string>

#include <gtest/gtest.h>

#include "workflow/path_helpers.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::MarkHidden;
using testing::TempDir;
using testing::WriteFile;

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
