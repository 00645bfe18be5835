#include "operations/directory_ops.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;
using Texts = std::vector<std::string>;

void Symlink(const std::string& target, const std::string& link) {
  testing::MakeSymlink(target, link);
}

using testing::SetMode;

// --- CreateDirectory -----------------------------------------------------------

TEST(CreateDirectoryTest, CreatesFoldersUpToTheLastSeparatorOnly) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp / "work/new/proj"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work/", "work/new/"}));
}

TEST(CreateDirectoryTest, TrailingSeparatorCreatesEveryFolder) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp / "work/new/proj/"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work/", "work/new/", "work/new/proj/"}));
}

TEST(CreateDirectoryTest, ExistingFoldersAreKept) {
  TempDir tmp;
  WriteFile(tmp / "work/new/inside", "x");
  EXPECT_TRUE(CreateDirectory(tmp / "work/new/proj"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work/", "work/new/", "work/new/inside"}));
}

#ifndef _WIN32
// Windows: the examples in windows_directory_ops_test.cpp.
TEST(CreateDirectoryTest, AwkwardNamesAndRepeatedSeparators) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp.path() + "//my work///.hidden \xE4/last"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"my work/", "my work/.hidden \xE4/"}));
}

TEST(CreateDirectoryTest, BackslashIsAnOrdinaryCharacterHere) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp / "a\\b/c\\d"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"a\\b/"}));
}
#endif

TEST(CreateDirectoryTest, AFileInTheWayFails) {
  TempDir tmp;
  WriteFile(tmp / "work", "a file");
  EXPECT_FALSE(CreateDirectory(tmp / "work/new/proj"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"work"}));
  EXPECT_EQ(ReadFile(tmp / "work"), "a file");
}

TEST(CreateDirectoryTest, StopsAtTheFirstFailureKeepingWhatWasMade) {
  TempDir tmp;
  const std::string too_long(300, 'n');
  EXPECT_FALSE(CreateDirectory(tmp / ("made/" + too_long + "/deeper/proj")));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"made/"}));
}

TEST(CreateDirectoryTest, NothingAfterTheRootCreatesNothing) {
  EXPECT_TRUE(CreateDirectory(""));
  EXPECT_TRUE(CreateDirectory("/"));
  EXPECT_TRUE(CreateDirectory("/kelvandor-never-created"));
  EXPECT_FALSE(AnythingExists("/kelvandor-never-created"));
}

// --- CopyDirectory -------------------------------------------------------------

TEST(CopyDirectoryTest, CopiesTheTreeWithProgress) {
  TempDir tmp;
  WriteFile(tmp / "old/blinky.prj", "prj");
  WriteFile(tmp / "old/.hidden", "");
  WriteFile(tmp / "old/OBJ/main.obj", "obj");
  MakeDirs(tmp / "old/empty");
  MakeDirs(tmp / "new");
  RecordingUi ui;
  EXPECT_TRUE(CopyDirectory(tmp / "old", tmp / "new/pump", ui));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ListTree(tmp / "new/pump"), ListTree(tmp / "old"));
  EXPECT_EQ(ReadFile(tmp / "new/pump/OBJ/main.obj"), "obj");
  ASSERT_FALSE(ui.progress.empty());
  EXPECT_EQ(ui.progress.back(), (std::pair<std::uint64_t, std::uint64_t>{3, 3}));
}

TEST(CopyDirectoryTest, LinksStayLinks) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/data", "");
  WriteFile(tmp / "old/file", "");
  Symlink(tmp / "outside", tmp / "old/link");
  RecordingUi ui;
  ASSERT_TRUE(CopyDirectory(tmp / "old", tmp / "new", ui));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(NativePath(tmp / "new/link"))));
  EXPECT_EQ(ListTree(tmp / "new"), (Tree{"file", "link"}));
}

TEST(CopyDirectoryTest, MissingSourceFailsWithMessage) {
  TempDir tmp;
  RecordingUi ui;
  EXPECT_FALSE(CopyDirectory(tmp / "missing", tmp / "new", ui));
  EXPECT_EQ(ui.shown, (std::vector<testing::Shown>{{"Kelvandor", "Failed to Copy Project!"}}));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

TEST(CopyDirectoryTest, IntoItselfOrBelowItselfFailsAndCreatesNothing) {
  TempDir tmp;
  WriteFile(tmp / "proj/a.prj", "");
  MakeDirs(tmp / "proj/sub");
  Symlink(tmp / "proj", tmp / "alias");
  const Tree before = ListTree(tmp.path());
  for (const std::string& to : {tmp / "proj", tmp / "proj/copy", tmp / "proj/sub/copy",
                                tmp / "alias/copy", tmp / "proj/sub/../copy", tmp / "proj/"}) {
    SCOPED_TRACE(to);
    RecordingUi ui;
    EXPECT_FALSE(CopyDirectory(tmp / "proj", to, ui));
    EXPECT_EQ(ui.Texts(), Texts{"Failed to Copy Project!"});
    EXPECT_EQ(ListTree(tmp.path()), before);
  }
}

TEST(CopyDirectoryTest, ExistingTargetOrMissingParentFails) {
  TempDir tmp;
  WriteFile(tmp / "old/a", "new");
  WriteFile(tmp / "taken/a", "old");
  const Tree before = ListTree(tmp.path());
  RecordingUi ui;
  EXPECT_FALSE(CopyDirectory(tmp / "old", tmp / "taken", ui));
  EXPECT_FALSE(CopyDirectory(tmp / "old", tmp / "no/parent", ui));
  EXPECT_EQ(ui.Texts(), (Texts{"Failed to Copy Project!", "Failed to Copy Project!"}));
  EXPECT_EQ(ListTree(tmp.path()), before);
  EXPECT_EQ(ReadFile(tmp / "taken/a"), "old");
}

// --- RenameDirectory -----------------------------------------------------------

TEST(RenameDirectoryTest, RenamesInPlace) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  RecordingUi ui;
  EXPECT_TRUE(RenameDirectory(tmp / "blinky", tmp / "pump \xE4", ui));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"pump \xE4/", "pump \xE4/blinky.prj"}));
}

TEST(RenameDirectoryTest, ExistingTargetFailsAndChangesNothing) {
  TempDir tmp;
  WriteFile(tmp / "old/a", "");
  MakeDirs(tmp / "empty");
  WriteFile(tmp / "full/b", "");
  WriteFile(tmp / "file", "");
  const Tree before = ListTree(tmp.path());
  for (const char* target : {"empty", "full", "file", "old"}) {
    SCOPED_TRACE(target);
    RecordingUi ui;
    EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / target, ui));
    EXPECT_EQ(ui.shown, (std::vector<testing::Shown>{{"Kelvandor", "Failed to Rename Project!"}}));
    EXPECT_EQ(ListTree(tmp.path()), before);
  }
}

TEST(RenameDirectoryTest, MissingSourceOrParentFails) {
  TempDir tmp;
  MakeDirs(tmp / "old");
  RecordingUi ui;
  EXPECT_FALSE(RenameDirectory(tmp / "missing", tmp / "new", ui));
  EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / "no/parent", ui));
  EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / "old/inside", ui));
  EXPECT_EQ(ui.Texts(), (Texts{"Failed to Rename Project!", "Failed to Rename Project!",
                               "Failed to Rename Project!"}));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"old/"}));
}

// --- DeleteDirectory -----------------------------------------------------------

TEST(DeleteDirectoryTest, NothingThereIsSuccess) {
  TempDir tmp;
  WriteFile(tmp / "a file", "stays");
  EXPECT_TRUE(DeleteDirectory(tmp / "missing"));
  EXPECT_TRUE(DeleteDirectory(""));
  EXPECT_TRUE(DeleteDirectory(tmp / "a file"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"a file"}));
  EXPECT_EQ(ReadFile(tmp / "a file"), "stays");
}

TEST(DeleteDirectoryTest, RemovesTheWholeTreeReadOnlyPartsIncluded) {
  TempDir tmp;
  const std::string proj = tmp / "proj";
  WriteFile(proj + "/a.prj", "");
  WriteFile(proj + "/.hidden", "");
  WriteFile(proj + "/OBJ/deep/er/ro.obj", "");
  SetMode(proj + "/OBJ/deep/er/ro.obj", fs::perms::owner_read);
  WriteFile(proj + "/ro dir/x", "");
  SetMode(proj + "/ro dir", fs::perms::owner_read | fs::perms::owner_exec);
  WriteFile(proj + "/closed/y", "");
  SetMode(proj + "/closed", fs::perms::none);
  EXPECT_TRUE(DeleteDirectory(proj));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

TEST(DeleteDirectoryTest, LinksAreRemovedNotFollowed) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/precious", "");
  WriteFile(tmp / "proj/own", "");
  Symlink(tmp / "outside", tmp / "proj/link");
  Symlink(tmp / "outside", tmp / "alias");
  EXPECT_TRUE(DeleteDirectory(tmp / "proj"));
  EXPECT_TRUE(DeleteDirectory(tmp / "alias/"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"outside/", "outside/precious"}));
}

TEST(DeleteDirectoryTest, NeverDeletesAFileSystemRoot) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  // Through a link, so that a fault here removes the link and nothing else.
  TempDir tmp;
  Symlink("/", tmp / "root");
  EXPECT_FALSE(DeleteDirectory(tmp / "root"));
  EXPECT_TRUE(AnythingExists(tmp / "root"));
}

}  // namespace
}  // namespace kelvandor
