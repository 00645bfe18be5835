// The copy and the rename of a folder on a Windows drive, where letter case
// is ignored.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/directory_ops.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::MakeDirs;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

// The temporary folder spelled as a user types it: "c:\users\...".
std::string Typed(const TempDir& tmp) { return LowerAscii(tmp.path()); }

TEST(WindowsDirectoryOpsTest, RenameOntoAnExistingFolderFails) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  MakeDirs(tmp / "pump");
  RecordingUi ui;
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", tmp / "pump", ui, NativeFileSystem()));
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", tmp / "PUMP", ui, NativeFileSystem()));
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", Typed(tmp) + "\\blinky", ui, NativeFileSystem()));
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>(3, "Failed to Rename Project!")));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"blinky/", "blinky/blinky.prj", "pump/"}));
}

TEST(WindowsDirectoryOpsTest, RenameChangingOnlyTheCaseSucceeds) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  RecordingUi ui;
  EXPECT_TRUE(RenameDirectory(tmp / "blinky", tmp / "Blinky", ui, NativeFileSystem()));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(FileExists(tmp / "Blinky/blinky.prj"));
}

TEST(WindowsDirectoryOpsTest, CopyRefusesATargetInsideTheSourceSpelledInAnotherCase) {
  TempDir tmp;
  WriteFile(tmp / "proj/a.prj", "");
  RecordingUi ui;
  EXPECT_FALSE(CopyDirectory(tmp / "proj", tmp / "PROJ\\copy", ui, NativeFileSystem()));
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Failed to Copy Project!"});
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"proj/", "proj/a.prj"}));
}

}  // namespace
}  // namespace kelvandor
