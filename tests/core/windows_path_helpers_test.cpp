// The folder helpers on a Windows file system, which ignores
// letter case and hides by attribute. The path splits of the native style are
// in the style table of path_helpers_test.cpp.

#include <string>

#include <gtest/gtest.h>

#include "core/path_helpers.h"
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

}  // namespace
}  // namespace kelvandor
