// The folder operations on a Windows drive, with the Windows examples: a drive
// root of three characters, "\" separating, letter case ignored.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "operations/directory_ops.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

// The temporary folder spelled as a user types it: "c:\users\...".
std::string Typed(const TempDir& tmp) { return LowerAscii(tmp.path()); }

TEST(WindowsDirectoryOpsTest, CreateDirectoryLeavesTheLastComponent) {
  TempDir tmp;
  ASSERT_EQ(Typed(tmp).substr(0, 3), "c:\\");
  EXPECT_TRUE(CreateDirectory(Typed(tmp) + "\\work\\new\\proj"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work/", "work/new/"}));
}

TEST(WindowsDirectoryOpsTest, CreateDirectoryWithTheFinalSeparatorMakesEveryFolder) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(Typed(tmp) + "\\work\\new\\proj\\"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work/", "work/new/", "work/new/proj/"}));
}

TEST(WindowsDirectoryOpsTest, CreateDirectoryFindsFoldersInAnyCase) {
  TempDir tmp;
  MakeDirs(tmp / "Work");
  EXPECT_TRUE(CreateDirectory(Typed(tmp) + "\\WORK\\new\\"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"Work/", "Work/new/"}));
}

TEST(WindowsDirectoryOpsTest, CreateDirectoryOfTheDriveRootDoesNothing) {
  EXPECT_TRUE(CreateDirectory("c:\\"));
  EXPECT_TRUE(CreateDirectory("c:"));
  EXPECT_TRUE(CreateDirectory("c:\\kelvandor-never-made"));
  EXPECT_FALSE(AnythingExists("c:\\kelvandor-never-made"));
}

TEST(WindowsDirectoryOpsTest, CreateDirectoryStopsAtAFile) {
  TempDir tmp;
  WriteFile(tmp / "work", "a file");
  EXPECT_FALSE(CreateDirectory(Typed(tmp) + "\\work\\new\\proj"));
  EXPECT_EQ(ListTree(tmp.path()), Tree{"work"});
}

TEST(WindowsDirectoryOpsTest, RenameOntoAnExistingFolderFails) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  MakeDirs(tmp / "pump");
  RecordingUi ui;
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", tmp / "pump", ui));
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", tmp / "PUMP", ui));
  EXPECT_FALSE(RenameDirectory(tmp / "blinky", Typed(tmp) + "\\blinky", ui));
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>(3, "Failed to Rename Project!")));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"blinky/", "blinky/blinky.prj", "pump/"}));
}

TEST(WindowsDirectoryOpsTest, RenameChangingOnlyTheCaseSucceeds) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  RecordingUi ui;
  EXPECT_TRUE(RenameDirectory(tmp / "blinky", tmp / "Blinky", ui));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(FileExists(tmp / "Blinky/blinky.prj"));
}

TEST(WindowsDirectoryOpsTest, DeleteRemovesATreeWithReadOnlyFiles) {
  TempDir tmp;
  const std::string proj = tmp / "proj";
  WriteFile(proj + "\\blinky.prj", "p");
  WriteFile(proj + "\\ABS\\blinky.abs", "a");
  for (const char* ro : {"\\blinky.prj", "\\ABS\\blinky.abs", "\\ABS"}) {
    fs::permissions(NativePath(proj + ro), fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
  }
  ASSERT_TRUE(IsReadOnly(proj + "\\blinky.prj"));
  EXPECT_TRUE(DeleteDirectory(LowerAscii(proj)));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

TEST(WindowsDirectoryOpsTest, CopyRefusesATargetInsideTheSourceSpelledInAnotherCase) {
  TempDir tmp;
  WriteFile(tmp / "proj/a.prj", "");
  RecordingUi ui;
  EXPECT_FALSE(CopyDirectory(tmp / "proj", tmp / "PROJ\\copy", ui));
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Failed to Copy Project!"});
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"proj/", "proj/a.prj"}));
}

}  // namespace
}  // namespace kelvandor
