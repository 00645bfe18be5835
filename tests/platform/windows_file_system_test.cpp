// The file-system calls on a real Windows drive: letter case, attributes,
// renames that refuse existing targets, paths in the ANSI code page.

#include <algorithm>
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
using testing::ListTree;
using testing::MakeDirs;
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

TEST(WindowsFileSystemTest, ResolvedPathUsesBackslashesAndKeepsTheDriveRoot) {
  TempDir tmp;
  MakeDirs(tmp / "a");
  EXPECT_EQ(ResolvedPath(tmp / "a\\..\\a\\.\\"), tmp / "a");
  EXPECT_EQ(ResolvedPath(tmp.path() + "/a"), tmp / "a");
  EXPECT_EQ(ResolvedPath("C:\\"), "C:\\");
  EXPECT_EQ(ResolvedPath("C:\\x\\..\\y"), "C:\\y");
}

TEST(WindowsFileSystemTest, DriveRootsAreFileSystemRoots) {
  EXPECT_TRUE(IsFileSystemRoot("C:\\"));
  EXPECT_TRUE(IsFileSystemRoot("c:\\"));
  EXPECT_FALSE(IsFileSystemRoot("C:\\windows"));
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
