// The families' old-name readers on a Windows file system, which ignores
// letter case.

#include <string>

#include <gtest/gtest.h>

#include "core/path_helpers.h"
#include "families/keil/keil_family.h"
#include "families/softune/softune_family.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::TempDir;
using testing::WriteFile;

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
