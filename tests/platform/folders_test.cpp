#include "platform/folders.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::SetMode;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

// The temporary folder as the program gets it and, on Windows, also as a user
// types it ("c:\users\..."), where the letter case of a path must not matter.
enum class Spelling { kAsGiven, kTyped };

class FolderTest : public ::testing::TestWithParam<Spelling> {
 protected:
  // `relative` (with "/") below the temporary folder, spelled as the parameter says.
  std::string At(std::string_view relative) const {
    std::string path = tmp_ / relative;
    return GetParam() == Spelling::kTyped ? LowerAscii(path) : path;
  }

  TempDir tmp_;
};

using CreateDirectoryTest = FolderTest;
using DeleteDirectoryTest = FolderTest;

TEST_P(CreateDirectoryTest, CreatesFoldersUpToTheLastSeparatorOnly) {
  EXPECT_TRUE(CreateDirectory(At("work/new/proj"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"work/", "work/new/"}));
}

TEST_P(CreateDirectoryTest, TrailingSeparatorCreatesEveryFolder) {
  EXPECT_TRUE(CreateDirectory(At("work/new/proj/"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"work/", "work/new/", "work/new/proj/"}));
}

TEST_P(CreateDirectoryTest, ExistingFoldersAreKept) {
  WriteFile(tmp_ / "work/new/inside", "x");
  EXPECT_TRUE(CreateDirectory(At("work/new/proj"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"work/", "work/new/", "work/new/inside"}));
}

TEST_P(CreateDirectoryTest, AFileInTheWayFails) {
  WriteFile(tmp_ / "work", "a file");
  EXPECT_FALSE(CreateDirectory(At("work/new/proj"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"work"}));
  EXPECT_EQ(ReadFile(tmp_ / "work"), "a file");
}

TEST_P(CreateDirectoryTest, StopsAtTheFirstFailureKeepingWhatWasMade) {
  const std::string too_long(300, 'n');
  EXPECT_FALSE(CreateDirectory(At("made/" + too_long + "/deeper/proj"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"made/"}));
}

TEST_P(DeleteDirectoryTest, NothingThereIsSuccess) {
  WriteFile(tmp_ / "a file", "stays");
  EXPECT_TRUE(DeleteDirectory(At("missing"), NativeFileSystem()));
  EXPECT_TRUE(DeleteDirectory("", NativeFileSystem()));
  EXPECT_TRUE(DeleteDirectory(At("a file"), NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp_.path()), (Tree{"a file"}));
  EXPECT_EQ(ReadFile(tmp_ / "a file"), "stays");
}

TEST_P(DeleteDirectoryTest, RemovesTheWholeTreeReadOnlyPartsIncluded) {
  const std::string proj = tmp_ / "proj";
  WriteFile(proj + "/a.prj", "");
  WriteFile(proj + "/.hidden", "");
  WriteFile(proj + "/OBJ/deep/er/ro.obj", "");
  SetMode(proj + "/OBJ/deep/er/ro.obj", fs::perms::owner_read);
  WriteFile(proj + "/ro dir/x", "");
  SetMode(proj + "/ro dir", fs::perms::owner_read | fs::perms::owner_exec);
  WriteFile(proj + "/closed/y", "");
  SetMode(proj + "/closed", fs::perms::none);
  EXPECT_TRUE(DeleteDirectory(At("proj"), NativeFileSystem()));
  EXPECT_TRUE(ListTree(tmp_.path()).empty());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Spellings, CreateDirectoryTest,
                         ::testing::Values(Spelling::kAsGiven, Spelling::kTyped));
INSTANTIATE_TEST_SUITE_P(Spellings, DeleteDirectoryTest,
                         ::testing::Values(Spelling::kAsGiven, Spelling::kTyped));
#else
INSTANTIATE_TEST_SUITE_P(Spellings, CreateDirectoryTest, ::testing::Values(Spelling::kAsGiven));
INSTANTIATE_TEST_SUITE_P(Spellings, DeleteDirectoryTest, ::testing::Values(Spelling::kAsGiven));
#endif

void Symlink(const std::string& target, const std::string& link) {
  testing::MakeSymlink(target, link);
}

TEST(DeleteDirectoryTest, LinksAreRemovedNotFollowed) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/precious", "");
  WriteFile(tmp / "proj/own", "");
  Symlink(tmp / "outside", tmp / "proj/link");
  Symlink(tmp / "outside", tmp / "alias");
  EXPECT_TRUE(DeleteDirectory(tmp / "proj", NativeFileSystem()));
  EXPECT_TRUE(DeleteDirectory(tmp / "alias/", NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"outside/", "outside/precious"}));
}

TEST(DeleteDirectoryTest, NeverDeletesAFileSystemRoot) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  // Through a link, so that a fault here removes the link and nothing else.
  TempDir tmp;
  Symlink("/", tmp / "root");
  EXPECT_FALSE(DeleteDirectory(tmp / "root", NativeFileSystem()));
  EXPECT_TRUE(AnythingExists(tmp / "root"));
}

#ifdef _WIN32
TEST(CreateDirectoryTest, FindsFoldersInAnyCase) {
  TempDir tmp;
  MakeDirs(tmp / "Work");
  EXPECT_TRUE(CreateDirectory(LowerAscii(tmp.path()) + "\\WORK\\new\\", NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"Work/", "Work/new/"}));
}

TEST(CreateDirectoryTest, NothingAfterTheDriveRootCreatesNothing) {
  EXPECT_TRUE(CreateDirectory("", NativeFileSystem()));
  EXPECT_TRUE(CreateDirectory("c:\\", NativeFileSystem()));
  EXPECT_TRUE(CreateDirectory("c:", NativeFileSystem()));
  EXPECT_TRUE(CreateDirectory("c:\\kelvandor-never-made", NativeFileSystem()));
  EXPECT_FALSE(AnythingExists("c:\\kelvandor-never-made"));
}

TEST(DeleteDirectoryTest, RemovesATreeWithReadOnlyAttributes) {
  TempDir tmp;
  const std::string proj = tmp / "proj";
  WriteFile(proj + "\\blinky.prj", "p");
  WriteFile(proj + "\\ABS\\blinky.abs", "a");
  for (const char* ro : {"\\blinky.prj", "\\ABS\\blinky.abs", "\\ABS"}) {
    fs::permissions(NativePath(proj + ro), fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
  }
  ASSERT_TRUE(IsReadOnly(proj + "\\blinky.prj"));
  EXPECT_TRUE(DeleteDirectory(LowerAscii(proj), NativeFileSystem()));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}
#else
TEST(CreateDirectoryTest, AwkwardNamesAndRepeatedSeparators) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp.path() + "//my work///.hidden \xE4/last", NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"my work/", "my work/.hidden \xE4/"}));
}

TEST(CreateDirectoryTest, BackslashIsAnOrdinaryCharacterHere) {
  TempDir tmp;
  EXPECT_TRUE(CreateDirectory(tmp / "a\\b/c\\d", NativeFileSystem()));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"a\\b/"}));
}

TEST(CreateDirectoryTest, NothingAfterTheRootCreatesNothing) {
  EXPECT_TRUE(CreateDirectory("", NativeFileSystem()));
  EXPECT_TRUE(CreateDirectory("/", NativeFileSystem()));
  EXPECT_TRUE(CreateDirectory("/kelvandor-never-created", NativeFileSystem()));
  EXPECT_FALSE(AnythingExists("/kelvandor-never-created"));
}
#endif

}  // namespace
}  // namespace kelvandor
