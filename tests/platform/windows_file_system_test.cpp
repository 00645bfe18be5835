// The file-system calls on a real Windows drive: letter case, attributes,
// renames that refuse existing targets, paths in the ANSI code page.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::CurrentDirGuard;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Names = std::vector<std::string>;

void AddAttributes(const std::string& path, DWORD attributes) {
  const std::wstring wide = NativePath(path).wstring();
  const DWORD old = GetFileAttributesW(wide.c_str());
  ASSERT_NE(old, INVALID_FILE_ATTRIBUTES) << path;
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), (old & ~FILE_ATTRIBUTE_DIRECTORY) | attributes))
      << path;
}

TEST(WindowsFileSystemTest, ExistenceTestsIgnoreLetterCase) {
  TempDir tmp;
  WriteFile(tmp / "Main.PRJ", "x");
  MakeDirs(tmp / "Output");
  EXPECT_TRUE(FileExists(tmp / "main.prj"));
  EXPECT_TRUE(DirectoryExists(tmp / "OUTPUT"));
  EXPECT_FALSE(FileExists(tmp / "OUTPUT"));
  EXPECT_TRUE(AnythingExists(tmp / "MAIN.prj"));
}

TEST(WindowsFileSystemTest, ListingKeepsTheCaseOnDiskAndMatchesAnyCase) {
  TempDir tmp;
  WriteFile(tmp / "Main.PRJ", "x");
  WriteFile(tmp / "other.Wsp", "x");
  EXPECT_EQ(ListFiles(tmp.path(), ".prj"), Names{"Main.PRJ"});
  EXPECT_EQ(ListFiles(tmp.path(), ".WSP"), Names{"other.Wsp"});
}

TEST(WindowsFileSystemTest, NamesDifferingInCaseAreOneEntry) {
  TempDir tmp;
  WriteFile(tmp / "blinky.prj", "old");
  WriteFile(tmp / "BLINKY.PRJ", "new");
  const Names listed = ListFiles(tmp.path(), ".prj");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_TRUE(EqualsIgnoreCase(listed[0], "blinky.prj"));
  EXPECT_EQ(ReadFile(tmp / "blinky.prj"), "new");
}

TEST(WindowsFileSystemTest, RenameChangingOnlyTheCaseSucceeds) {
  TempDir tmp;
  MakeDirs(tmp / "blinky");
  WriteFile(tmp / "blinky/x", "x");
  EXPECT_TRUE(RenameNoReplace(tmp / "blinky", tmp / "Blinky"));
  EXPECT_TRUE(FileExists(tmp / "Blinky/x"));
  EXPECT_EQ(ListVisibleFolders(tmp.path()).size(), 1u);
}

TEST(WindowsFileSystemTest, RenameRefusesAnExistingTarget) {
  TempDir tmp;
  MakeDirs(tmp / "from");
  WriteFile(tmp / "from/a.prj", "a");
  MakeDirs(tmp / "empty");
  WriteFile(tmp / "file", "keep");

  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "empty"));
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "EMPTY"));
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "file"));
  EXPECT_FALSE(RenameNoReplace(tmp / "from/a.prj", tmp / "FILE"));
  // MoveFileExW alone would report these as done.
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "from"));
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "from\\"));
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "empty\\..\\from"));
  EXPECT_EQ(ListTree(tmp.path()), (Names{"empty/", "file", "from/", "from/a.prj"}));
  EXPECT_EQ(ReadFile(tmp / "file"), "keep");
}

TEST(WindowsFileSystemTest, RenameFailsWithoutTheTargetsParent) {
  TempDir tmp;
  MakeDirs(tmp / "from");
  EXPECT_FALSE(RenameNoReplace(tmp / "from", tmp / "missing/to"));
  EXPECT_TRUE(DirectoryExists(tmp / "from"));
}

TEST(WindowsFileSystemTest, RenameReplacingPutsAFileInPlace) {
  TempDir tmp;
  WriteFile(tmp / "new", "new");
  WriteFile(tmp / "old", "old");
  EXPECT_TRUE(RenameReplacing(tmp / "new", tmp / "old"));
  EXPECT_EQ(ListTree(tmp.path()), Names{"old"});
  EXPECT_EQ(ReadFile(tmp / "old"), "new");
}

TEST(WindowsFileSystemTest, ReadOnlyFilesAreRefusedByRemoveFile) {
  TempDir tmp;
  WriteFile(tmp / "ro.prj", "x");
  AddAttributes(tmp / "ro.prj", FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(IsReadOnly(tmp / "ro.prj"));
  EXPECT_FALSE(RemoveFile(tmp / "ro.prj"));
  EXPECT_TRUE(FileExists(tmp / "ro.prj"));
}

TEST(WindowsFileSystemTest, RemoveFileDeletesHiddenAndSystemFilesButNoFolder) {
  TempDir tmp;
  WriteFile(tmp / "h", "x");
  WriteFile(tmp / "s", "x");
  MakeDirs(tmp / "d");
  AddAttributes(tmp / "h", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(tmp / "s", FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(RemoveFile(tmp / "h"));
  EXPECT_TRUE(RemoveFile(tmp / "s"));
  EXPECT_FALSE(RemoveFile(tmp / "d"));
  EXPECT_EQ(ListTree(tmp.path()), Names{"d/"});
}

TEST(WindowsFileSystemTest, RemoveTreeClearsReadOnlyAttributes) {
  TempDir tmp;
  const std::string root = tmp / "proj";
  WriteFile(root + "\\ro.prj", "x");
  WriteFile(root + "\\OBJ\\deep\\ro.obj", "x");
  WriteFile(root + "\\hidden.txt", "x");
  AddAttributes(root + "\\ro.prj", FILE_ATTRIBUTE_READONLY);
  AddAttributes(root + "\\OBJ\\deep\\ro.obj", FILE_ATTRIBUTE_READONLY);
  AddAttributes(root + "\\OBJ\\deep", FILE_ATTRIBUTE_READONLY);
  AddAttributes(root + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(RemoveTree(root));
  EXPECT_FALSE(AnythingExists(root));
}

TEST(WindowsFileSystemTest, RemoveTreeAcceptsATrailingSeparator) {
  TempDir tmp;
  WriteFile(tmp / "proj/a", "x");
  EXPECT_TRUE(RemoveTree(tmp / "proj\\"));
  EXPECT_FALSE(AnythingExists(tmp / "proj"));
}

TEST(WindowsFileSystemTest, VisibleFoldersLeaveOutHiddenAndSystemFolders) {
  TempDir tmp;
  for (const char* name : {"ABS", ".git", "hidden", "system", "both"}) MakeDirs(tmp / name);
  WriteFile(tmp / "file", "x");
  AddAttributes(tmp / "hidden", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(tmp / "system", FILE_ATTRIBUTE_SYSTEM);
  AddAttributes(tmp / "both", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Names visible = ListVisibleFolders(tmp.path());
  std::sort(visible.begin(), visible.end());
  // A leading "." hides nothing on Windows.
  EXPECT_EQ(visible, (Names{".git", "ABS"}));
}

TEST(WindowsFileSystemTest, FileListingsIncludeHiddenAndSystemFiles) {
  TempDir tmp;
  for (const char* name : {"a.prj", "h.prj", "s.prj"}) WriteFile(tmp / name, "x");
  MakeDirs(tmp / "folder.prj");
  AddAttributes(tmp / "h.prj", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(tmp / "s.prj", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  Names listed = ListFiles(tmp.path(), ".prj");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"a.prj", "h.prj", "s.prj"}));

  for (const DirEntry& e : ListDirectory(tmp.path())) {
    EXPECT_EQ(e.hidden, e.name == "h.prj" || e.name == "s.prj") << e.name;
  }
}

TEST(WindowsFileSystemTest, ListingTheDriveRootWithItsSeparator) {
  TempDir tmp;
  const std::string root = tmp.path().substr(0, 3);
  ASSERT_EQ(root.substr(1), ":\\");
  EXPECT_FALSE(ListDirectory(root).empty());
  EXPECT_FALSE(ListVisibleFolders(root).empty());
}

TEST(WindowsFileSystemTest, PathsAreBytesOfTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, not " << GetACP();
  TempDir tmp;
  const std::string name =
      "M\xFC"
      "ller.prj";  // "Müller.prj" in code page 1252
  WriteFile(tmp / name, "x");
  EXPECT_TRUE(fs::exists(NativePath(tmp.path()) / L"M\u00FCller.prj"));
  EXPECT_EQ(ListFiles(tmp.path(), ".prj"), Names{name});
  EXPECT_TRUE(FileExists(tmp / "M\xDC"
                               "LLER.PRJ"));  // upper case of a non-ASCII letter
  EXPECT_TRUE(RenameNoReplace(tmp / name, tmp / "\xC4rger.prj"));
  EXPECT_TRUE(fs::exists(NativePath(tmp.path()) / L"\u00C4rger.prj"));
}

TEST(WindowsFileSystemTest, MakeDirectoryCreatesOneLevel) {
  TempDir tmp;
  EXPECT_TRUE(MakeDirectory(tmp / "a"));
  EXPECT_TRUE(MakeDirectory(tmp / "a\\b\\"));
  EXPECT_FALSE(MakeDirectory(tmp / "a\\b"));
  EXPECT_FALSE(MakeDirectory(tmp / "x\\y"));
  EXPECT_TRUE(MakeDirectories(tmp / "x\\y\\z"));
  EXPECT_TRUE(DirectoryExists(tmp / "x\\y\\z"));
}

TEST(WindowsFileSystemTest, CopyTreeCopiesReadOnlyAndHiddenFiles) {
  TempDir tmp;
  WriteFile(tmp / "from/ro.prj", "ro");
  WriteFile(tmp / "from/sub/h.txt", "h");
  AddAttributes(tmp / "from/ro.prj", FILE_ATTRIBUTE_READONLY);
  AddAttributes(tmp / "from/sub/h.txt", FILE_ATTRIBUTE_HIDDEN);
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  ASSERT_TRUE(CopyTree(tmp / "from", tmp / "to", [&](std::uint64_t d, std::uint64_t t) {
    done = d;
    total = t;
  }));
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(total, 2u);
  EXPECT_EQ(ListTree(tmp / "to"), (Names{"ro.prj", "sub/", "sub/h.txt"}));
  EXPECT_EQ(ReadFile(tmp / "to/ro.prj"), "ro");
  EXPECT_TRUE(RemoveTree(tmp / "to"));
}

TEST(WindowsFileSystemTest, CopyTreeRefusesAnExistingTargetInAnyCase) {
  TempDir tmp;
  WriteFile(tmp / "from/a", "a");
  MakeDirs(tmp / "to");
  EXPECT_FALSE(CopyTree(tmp / "from", tmp / "TO"));
  EXPECT_FALSE(CopyTree(tmp / "from", tmp / "FROM\\sub"));
}

TEST(WindowsFileSystemTest, ResolvedPathUsesBackslashesAndKeepsTheDriveRoot) {
  TempDir tmp;
  MakeDirs(tmp / "a");
  EXPECT_EQ(ResolvedPath(tmp / "a\\..\\a\\.\\"), tmp / "a");
  EXPECT_EQ(ResolvedPath(tmp.path() + "/a"), tmp / "a");
  EXPECT_EQ(ResolvedPath("C:\\"), "C:\\");
  EXPECT_EQ(ResolvedPath("C:\\x\\..\\y"), "C:\\y");
}

TEST(WindowsFileSystemTest, ContainmentIgnoresLetterCase) {
  TempDir tmp;
  MakeDirs(tmp / "Work/Sub");
  MakeDirs(tmp / "Work2");
  const std::string upper = ResolvedPath(tmp.path()) + "\\WORK";
  EXPECT_TRUE(IsSameOrInside(tmp / "Work\\Sub", upper));
  EXPECT_TRUE(IsSameOrInside(LowerAscii(tmp / "Work"), upper));
  EXPECT_FALSE(IsSameOrInside(tmp / "Work2", upper));
  EXPECT_TRUE(IsSameOrInside(tmp / "Work", "C:\\"));
}

TEST(WindowsFileSystemTest, DriveRootsAreFileSystemRoots) {
  EXPECT_TRUE(IsFileSystemRoot("C:\\"));
  EXPECT_TRUE(IsFileSystemRoot("c:\\"));
  EXPECT_FALSE(IsFileSystemRoot("C:\\windows"));
}

TEST(WindowsFileSystemTest, CurrentFolderAcceptsAnyCase) {
  CurrentDirGuard guard;
  TempDir tmp;
  MakeDirs(tmp / "Proj");
  ASSERT_TRUE(SetCurrentDir(tmp / "PROJ"));
  EXPECT_TRUE(EqualsIgnoreCase(CurrentDir(), tmp / "Proj"));
  EXPECT_FALSE(SetCurrentDir(tmp / "missing"));
}

TEST(WindowsFileSystemTest, ProgramFilePathNamesTheRunningExe) {
  const std::string exe = ProgramFilePath();
  EXPECT_TRUE(EndsWithIgnoreCase(exe, ".exe")) << exe;
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_EQ(exe[1], ':');
  EXPECT_EQ(exe[2], '\\');
}

}  // namespace
}  // namespace kelvandor
