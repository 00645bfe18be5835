#include "core/directory_ops.h"

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

// --- CopyDirectory -------------------------------------------------------------

TEST(CopyDirectoryTest, CopiesTheTreeWithProgress) {
  TempDir tmp;
  WriteFile(tmp / "old/blinky.prj", "prj");
  WriteFile(tmp / "old/.hidden", "");
  WriteFile(tmp / "old/OBJ/main.obj", "obj");
  MakeDirs(tmp / "old/empty");
  MakeDirs(tmp / "new");
  RecordingUi ui;
  EXPECT_TRUE(CopyDirectory(tmp / "old", tmp / "new/pump", ui, NativeFileSystem()));
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
  ASSERT_TRUE(CopyDirectory(tmp / "old", tmp / "new", ui, NativeFileSystem()));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(NativePath(tmp / "new/link"))));
  EXPECT_EQ(ListTree(tmp / "new"), (Tree{"file", "link"}));
}

TEST(CopyDirectoryTest, MissingSourceFailsWithMessage) {
  TempDir tmp;
  RecordingUi ui;
  EXPECT_FALSE(CopyDirectory(tmp / "missing", tmp / "new", ui, NativeFileSystem()));
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
    EXPECT_FALSE(CopyDirectory(tmp / "proj", to, ui, NativeFileSystem()));
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
  EXPECT_FALSE(CopyDirectory(tmp / "old", tmp / "taken", ui, NativeFileSystem()));
  EXPECT_FALSE(CopyDirectory(tmp / "old", tmp / "no/parent", ui, NativeFileSystem()));
  EXPECT_EQ(ui.Texts(), (Texts{"Failed to Copy Project!", "Failed to Copy Project!"}));
  EXPECT_EQ(ListTree(tmp.path()), before);
  EXPECT_EQ(ReadFile(tmp / "taken/a"), "old");
}

// --- RenameDirectory -----------------------------------------------------------

TEST(RenameDirectoryTest, RenamesInPlace) {
  TempDir tmp;
  WriteFile(tmp / "blinky/blinky.prj", "p");
  RecordingUi ui;
  EXPECT_TRUE(RenameDirectory(tmp / "blinky", tmp / "pump \xE4", ui, NativeFileSystem()));
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
    EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / target, ui, NativeFileSystem()));
    EXPECT_EQ(ui.shown, (std::vector<testing::Shown>{{"Kelvandor", "Failed to Rename Project!"}}));
    EXPECT_EQ(ListTree(tmp.path()), before);
  }
}

TEST(RenameDirectoryTest, MissingSourceOrParentFails) {
  TempDir tmp;
  MakeDirs(tmp / "old");
  RecordingUi ui;
  EXPECT_FALSE(RenameDirectory(tmp / "missing", tmp / "new", ui, NativeFileSystem()));
  EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / "no/parent", ui, NativeFileSystem()));
  EXPECT_FALSE(RenameDirectory(tmp / "old", tmp / "old/inside", ui, NativeFileSystem()));
  EXPECT_EQ(ui.Texts(), (Texts{"Failed to Rename Project!", "Failed to Rename Project!",
                               "Failed to Rename Project!"}));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"old/"}));
}

}  // namespace
}  // namespace kelvandor
