#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "platform/text_lines.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

void Symlink(const std::string& target, const std::string& link) {
  testing::MakeSymlink(target, link);
}

using testing::SetMode;

constexpr fs::perms kReadOnlyFile = fs::perms::owner_read | fs::perms::group_read;
constexpr fs::perms kReadOnlyFolder =
    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec;

// Names that are easy to get wrong: blanks, bytes above 127, leading dots.
const std::vector<std::string> kAwkwardNames = {"with blank",    " lead",
#ifndef _WIN32
                                                "trail ",  // Windows drops trailing blanks
#endif
                                                "\xE4rger \xFC", ".hidden", "..two dots",
                                                "a.b.c",         "-dash"};

TEST(FileSystemTest, ExistenceTestsSeparateFilesAndFolders) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "f", "x");
  MakeDirs(tmp / "d");
  Symlink(tmp / "f", tmp / "link-to-file");
  Symlink(tmp / "d", tmp / "link-to-folder");
  Symlink(tmp / "gone", tmp / "dangling");

  EXPECT_TRUE(FileExists(tmp / "f"));
  EXPECT_FALSE(FileExists(tmp / "d"));
  EXPECT_TRUE(DirectoryExists(tmp / "d"));
  EXPECT_FALSE(DirectoryExists(tmp / "f"));
  EXPECT_TRUE(FileExists(tmp / "link-to-file"));
  EXPECT_TRUE(DirectoryExists(tmp / "link-to-folder"));
  EXPECT_FALSE(FileExists(tmp / "dangling"));
  EXPECT_FALSE(DirectoryExists(tmp / "dangling"));
  EXPECT_TRUE(AnythingExists(tmp / "dangling"));
  EXPECT_FALSE(AnythingExists(tmp / "gone"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(DirectoryExists(""));
  EXPECT_FALSE(AnythingExists(""));
  EXPECT_FALSE(FileExists(tmp / "f/"));
}

TEST(FileSystemTest, AwkwardNamesWork) {
  TempDir tmp;
  for (const std::string& name : kAwkwardNames) {
    SCOPED_TRACE(name);
    WriteFile(tmp / ("src/files/" + name), name);
    MakeDirs(tmp / ("src/folders/" + name));
    EXPECT_TRUE(FileExists(tmp / ("src/files/" + name)));
    EXPECT_TRUE(DirectoryExists(tmp / ("src/folders/" + name)));
  }
  EXPECT_EQ(Sorted(ListFiles(tmp / "src/files")), Sorted(kAwkwardNames));
  std::vector<std::string> visible;
  for (const std::string& name : kAwkwardNames) {
    // Only POSIX hides a folder for its name.
    if (kNativeStyle == PathStyle::kWindows || name.front() != '.') visible.push_back(name);
  }
  EXPECT_EQ(Sorted(ListVisibleFolders(tmp / "src/folders")), Sorted(visible));

  const std::string copy = tmp / "copy";
  ASSERT_TRUE(CopyTree(tmp / "src", copy));
  for (const std::string& name : kAwkwardNames) {
    EXPECT_EQ(ReadFile(copy + "/files/" + name), name);
    EXPECT_TRUE(RenameNoReplace(copy + "/files/" + name, copy + "/files/" + name + " renamed"));
    EXPECT_TRUE(RemoveFile(copy + "/files/" + name + " renamed"));
    EXPECT_TRUE(RemoveTree(copy + "/folders/" + name));
  }
  EXPECT_EQ(ListTree(copy), (Tree{"files/", "folders/"}));
}

TEST(FileSystemTest, ListFilesMatchesSuffixIgnoringCaseAndNeverFolders) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  for (const char* name :
       {"a.prj", "B.PRJ", "c.Prj", ".hidden.prj", "d.prj.bak", "e.prjx", "prj", ".prj"}) {
    WriteFile(tmp / name, "");
  }
  MakeDirs(tmp / "folder.prj");
  Symlink(tmp / "a.prj", tmp / "link.prj");
  Symlink(tmp / "folder.prj", tmp / "folderlink.prj");
  Symlink(tmp / "missing", tmp / "dangling.prj");

  EXPECT_EQ(Sorted(ListFiles(tmp.path(), ".prj")),
            (Tree{".hidden.prj", ".prj", "B.PRJ", "a.prj", "c.Prj", "link.prj"}));
  EXPECT_EQ(Sorted(ListFiles(tmp.path(), ".PRJ")), Sorted(ListFiles(tmp.path(), ".prj")));
  EXPECT_EQ(Sorted(ListFiles(tmp.path())), (Tree{".hidden.prj", ".prj", "B.PRJ", "a.prj", "c.Prj",
                                                 "d.prj.bak", "e.prjx", "link.prj", "prj"}));
}

TEST(FileSystemTest, ListingsOfNoFolderAreEmpty) {
  TempDir tmp;
  WriteFile(tmp / "file", "");
  EXPECT_TRUE(ListFiles(tmp / "missing").empty());
  EXPECT_TRUE(ListFiles(tmp / "file").empty());
  EXPECT_TRUE(ListFiles("").empty());
  EXPECT_TRUE(ListVisibleFolders(tmp / "missing").empty());
  EXPECT_TRUE(ListDirectory(tmp / "file").empty());
}

TEST(FileSystemTest, ListVisibleFoldersLeavesOutDotFoldersAndFiles) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  MakeDirs(tmp / "src");
  MakeDirs(tmp / ".git");
  MakeDirs(tmp / ".hidden dir");
  MakeDirs(tmp / "a.b");
  WriteFile(tmp / "file", "");
  Symlink(tmp / "src", tmp / "src-link");
  EXPECT_EQ(Sorted(ListVisibleFolders(tmp.path())), (Tree{"a.b", "src", "src-link"}));
}

TEST(FileSystemTest, ListDirectoryDescribesEntries) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / ".f", "");
  MakeDirs(tmp / "d");
  Symlink(tmp / "d", tmp / "l");
  Symlink(tmp / "nowhere", tmp / "x");
  std::vector<DirEntry> entries = ListDirectory(tmp.path());
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].name, ".f");
  EXPECT_EQ(entries[0].kind, EntryKind::kFile);
  EXPECT_TRUE(entries[0].hidden);
  EXPECT_EQ(entries[1].kind, EntryKind::kFolder);
  EXPECT_FALSE(entries[1].is_link);
  EXPECT_FALSE(entries[1].hidden);
  EXPECT_EQ(entries[2].kind, EntryKind::kFolder);
  EXPECT_TRUE(entries[2].is_link);
  EXPECT_EQ(entries[3].kind, EntryKind::kOther);
  EXPECT_TRUE(entries[3].is_link);
}

TEST(FileSystemTest, FindEntryPrefersTheExactName) {
  TempDir tmp;
  WriteFile(tmp / "Motor.sct", "");
  MakeDirs(tmp / "RTE");
  EXPECT_EQ(FindEntry(tmp.path(), "MOTOR.SCT").value().name, "Motor.sct");
  EXPECT_EQ(FindEntry(tmp.path(), "rte").value().kind, EntryKind::kFolder);
  EXPECT_FALSE(FindEntry(tmp.path(), "Motor").has_value());
  EXPECT_FALSE(FindEntry(tmp / "none", "Motor.sct").has_value());
  if (kNativeStyle == PathStyle::kPosix) {
    WriteFile(tmp / "motor.sct", "");
    EXPECT_EQ(FindEntry(tmp.path(), "motor.sct").value().name, "motor.sct");
  }
}

// Windows folds the letter case of names; POSIX keeps them apart.
TEST(FileSystemTest, LetterCaseFoldsOnlyOnWindows) {
  const bool folds = kNativeStyle == PathStyle::kWindows;
  TempDir tmp;
  WriteFile(tmp / "Main.PRJ", "old");
  WriteFile(tmp / "other.Wsp", "x");
  WriteFile(tmp / "blinky/x", "x");
  EXPECT_EQ(FileExists(tmp / "main.prj"), folds);
  EXPECT_EQ(DirectoryExists(tmp / "BLINKY"), folds);
  EXPECT_FALSE(FileExists(tmp / "BLINKY"));
  EXPECT_EQ(AnythingExists(tmp / "MAIN.prj"), folds);
  EXPECT_EQ(ListFiles(tmp.path(), ".prj"), Tree{"Main.PRJ"});
  EXPECT_EQ(ListFiles(tmp.path(), ".WSP"), Tree{"other.Wsp"});
  EXPECT_EQ(RenameNoReplace(tmp / "other.Wsp", tmp / "MAIN.prj"), !folds);
  EXPECT_FALSE(CopyTree(tmp / "blinky", tmp / "BLINKY/sub"));
  EXPECT_TRUE(RenameNoReplace(tmp / "blinky", tmp / "Blinky"));
  EXPECT_TRUE(FileExists(tmp / "Blinky/x"));
  EXPECT_EQ(CopyTree(tmp / "Blinky", tmp / "BLINKY"), !folds);
  EXPECT_EQ(ListVisibleFolders(tmp.path()).size(), folds ? 1u : 2u);
  EXPECT_FALSE(RenameNoReplace(tmp / "Main.PRJ", tmp / "BLINKY"));
  EXPECT_EQ(IsSameOrInside(tmp / "Blinky/x", tmp / "BLINKY"), folds);
  EXPECT_FALSE(IsSameOrInside(tmp / "Blinky", tmp / "BLINK"));
  testing::CurrentDirGuard guard;
  ASSERT_EQ(SetCurrentDir(tmp / "bLINKY"), folds);
  if (folds) {
    EXPECT_TRUE(EqualsIgnoreCase(CurrentDir(), tmp / "Blinky"));
  }
  WriteFile(tmp / "MAIN.PRJ", "new");
  EXPECT_EQ(ListFiles(tmp.path(), ".prj").size(), folds ? 1u : 3u);
  EXPECT_EQ(ReadFile(tmp / "Main.PRJ"), folds ? "new" : "old");
}

TEST(FileSystemTest, MakeDirectoryCreatesOneLevelOnly) {
  TempDir tmp;
  EXPECT_TRUE(MakeDirectory(tmp / "a"));
  EXPECT_FALSE(MakeDirectory(tmp / "a"));
  EXPECT_TRUE(MakeDirectory(tmp / "a/b/"));
  EXPECT_FALSE(MakeDirectory(tmp / "a/b"));
  EXPECT_FALSE(MakeDirectory(tmp / "x/y"));
  EXPECT_FALSE(DirectoryExists(tmp / "x"));
  WriteFile(tmp / "f", "");
  EXPECT_FALSE(MakeDirectory(tmp / "f"));
  EXPECT_FALSE(MakeDirectory(""));
  EXPECT_TRUE(MakeDirectories(tmp / "p/q/r"));
  EXPECT_TRUE(MakeDirectories(tmp / "p/q/r"));
  EXPECT_FALSE(MakeDirectories(tmp / "f/below"));
}

// --- RenameNoReplace ---------------------------------------------------------

TEST(RenameNoReplaceTest, RenamesFilesAndFolders) {
  TempDir tmp;
  WriteFile(tmp / "a.txt", "A");
  WriteFile(tmp / "dir/inner", "I");
  ASSERT_TRUE(RenameNoReplace(tmp / "a.txt", tmp / "b.txt"));
  ASSERT_TRUE(RenameNoReplace(tmp / "dir", tmp / "moved dir"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"b.txt", "moved dir/", "moved dir/inner"}));
  EXPECT_EQ(ReadFile(tmp / "b.txt"), "A");
}

// A rename or copy that would replace, reach into its own source or lacks a
// source or parent fails and changes nothing.
struct RefusedCase {
  bool copy;  // CopyTree, else RenameNoReplace
  const char* from;
  const char* to;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << (c.copy ? "copy " : "rename ") << c.from << " to " << c.to;
}

class RefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, FailsAndChangesNothing) {
  const RefusedCase& c = GetParam();
  const std::string paths = std::string(c.from) + c.to;
  if (paths.find("dangling") != std::string::npos || paths.find("alias") != std::string::npos) {
    KELVANDOR_SKIP_WITHOUT_LINKS();
  }
  TempDir tmp;
  WriteFile(tmp / "src.txt", "source");
  WriteFile(tmp / "dst.txt", "target");
  WriteFile(tmp / "srcdir/f", "in source");
  MakeDirs(tmp / "srcdir/sub");
  MakeDirs(tmp / "emptydir");
  WriteFile(tmp / "fulldir/g", "in target");
  if (testing::kHaveLinks) {
    Symlink(tmp / "nowhere", tmp / "dangling");
    Symlink(tmp / "srcdir", tmp / "alias");
  }
  const auto before = testing::Snapshot(tmp.path());
  const std::string from = *c.from ? tmp / c.from : "";
  const std::string to = *c.to ? tmp / c.to : "";
  EXPECT_FALSE(c.copy ? CopyTree(from, to) : RenameNoReplace(from, to));
  EXPECT_EQ(testing::Snapshot(tmp.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedTest,
    ::testing::Values(
        RefusedCase{false, "src.txt", "dst.txt"}, RefusedCase{false, "src.txt", "emptydir"},
        RefusedCase{false, "src.txt", "dangling"}, RefusedCase{false, "srcdir", "emptydir"},
        RefusedCase{false, "srcdir", "fulldir"}, RefusedCase{false, "srcdir", "dst.txt"},
        RefusedCase{false, "src.txt", "src.txt"}, RefusedCase{false, "srcdir", "srcdir"},
        RefusedCase{false, "srcdir", "srcdir/"}, RefusedCase{false, "srcdir", "emptydir/../srcdir"},
        RefusedCase{false, "srcdir", "srcdir/new"}, RefusedCase{false, "missing", "b"},
        RefusedCase{false, "src.txt", "no/parent"}, RefusedCase{false, "srcdir", "no/parent"},
        RefusedCase{false, "src.txt", ""}, RefusedCase{true, "srcdir", "emptydir"},
        RefusedCase{true, "srcdir", "fulldir"}, RefusedCase{true, "srcdir", "dst.txt"},
        RefusedCase{true, "srcdir", "srcdir"}, RefusedCase{true, "srcdir", "srcdir/copy"},
        RefusedCase{true, "srcdir", "srcdir/sub/copy"},
        RefusedCase{true, "srcdir", "srcdir/./sub/../copy"},
        RefusedCase{true, "srcdir", "alias/copy"}, RefusedCase{true, "alias", "srcdir/copy"},
        RefusedCase{true, "missing", "to"}, RefusedCase{true, "dst.txt", "to"},
        RefusedCase{true, "srcdir", "no/parent"}, RefusedCase{true, "", "to"}));

TEST(RenameReplacingTest, ReplacesAFile) {
  TempDir tmp;
  WriteFile(tmp / "new", "new");
  WriteFile(tmp / "old", "old");
  EXPECT_TRUE(RenameReplacing(tmp / "new", tmp / "old"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"old"}));
  EXPECT_EQ(ReadFile(tmp / "old"), "new");
}

// --- RemoveFile ----------------------------------------------------------------

TEST(RemoveFileTest, RemovesWritableFilesIncludingHiddenOnes) {
  TempDir tmp;
  WriteFile(tmp / "a", "");
  WriteFile(tmp / ".b", "");
  testing::MarkHidden(tmp / ".b");
  EXPECT_TRUE(RemoveFile(tmp / "a"));
  EXPECT_TRUE(RemoveFile(tmp / ".b"));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
  EXPECT_FALSE(RemoveFile(tmp / "a"));
}

TEST(RemoveFileTest, RefusesReadOnlyFilesAndFolders) {
  TempDir tmp;
  WriteFile(tmp / "ro", "keep");
  SetMode(tmp / "ro", kReadOnlyFile);
  MakeDirs(tmp / "dir");
  MakeDirs(tmp / "ro dir");
  SetMode(tmp / "ro dir", kReadOnlyFolder);
  EXPECT_TRUE(IsReadOnly(tmp / "ro"));
  EXPECT_FALSE(RemoveFile(tmp / "ro"));
  EXPECT_FALSE(RemoveFile(tmp / "dir"));
  EXPECT_FALSE(RemoveFile(tmp / "ro dir"));
  EXPECT_FALSE(RemoveFile(""));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"dir/", "ro", "ro dir/"}));
  EXPECT_EQ(ReadFile(tmp / "ro"), "keep");
}

TEST(RemoveFileTest, RemovesALinkNotItsTarget) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "target", "t");
  SetMode(tmp / "target", kReadOnlyFile);
  WriteFile(tmp / "dir/inside", "i");
  Symlink(tmp / "target", tmp / "file link");
  Symlink(tmp / "dir", tmp / "folder link");
  Symlink(tmp / "nowhere", tmp / "dangling");
  EXPECT_FALSE(IsReadOnly(tmp / "file link"));
  EXPECT_TRUE(RemoveFile(tmp / "file link"));
  EXPECT_TRUE(RemoveFile(tmp / "folder link"));
  EXPECT_TRUE(RemoveFile(tmp / "dangling"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"dir/", "dir/inside", "target"}));
}

// --- RemoveTree ----------------------------------------------------------------

TEST(RemoveTreeTest, RemovesReadOnlyAndInaccessibleParts) {
  TempDir tmp;
  const std::string root = tmp / "proj";
  WriteFile(root + "/a.txt", "");
  WriteFile(root + "/.hidden", "");
  WriteFile(root + "/sub/deeper/ro.txt", "");
  SetMode(root + "/sub/deeper/ro.txt", kReadOnlyFile);
  WriteFile(root + "/ro folder/x", "");
  SetMode(root + "/ro folder", kReadOnlyFolder);
  WriteFile(root + "/locked/y/z", "");
  SetMode(root + "/locked/y", fs::perms::none);
  SetMode(root + "/locked", fs::perms::none);
  SetMode(root, kReadOnlyFolder);
  EXPECT_TRUE(RemoveTree(root));
  EXPECT_FALSE(AnythingExists(root));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

TEST(RemoveTreeTest, NeverFollowsALinkOutOfTheTree) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/precious", "p");
  WriteFile(tmp / "outside file", "q");
  const std::string root = tmp / "proj";
  WriteFile(root + "/own", "");
  Symlink(tmp / "outside", root + "/folder link");
  Symlink(tmp / "outside file", root + "/file link");
  Symlink("../outside", root + "/relative link");
  EXPECT_TRUE(RemoveTree(root));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"outside file", "outside/", "outside/precious"}));
}

TEST(RemoveTreeTest, ALinkGivenAsTheTreeIsRemovedAlone) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "target/keep", "");
  Symlink(tmp / "target", tmp / "link");
  Symlink(tmp / "target", tmp / "link2");
  EXPECT_TRUE(RemoveTree(tmp / "link"));
  // A trailing separator would make the system look through the link.
  EXPECT_TRUE(RemoveTree(tmp / "link2/"));
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"target/", "target/keep"}));
}

TEST(RemoveTreeTest, MissingEmptyAndFilePaths) {
  TempDir tmp;
  WriteFile(tmp / "file", "");
  WriteFile(tmp / "dir/x", "");
  EXPECT_TRUE(RemoveTree(tmp / "missing"));
  EXPECT_TRUE(RemoveTree(""));
  EXPECT_TRUE(RemoveTree(tmp / "file"));
  EXPECT_TRUE(RemoveTree(tmp / "dir/"));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

// --- CopyTree ------------------------------------------------------------------

TEST(CopyTreeTest, CopiesEverythingBelowTheFolder) {
  TempDir tmp;
  const std::string from = tmp / "from";
  WriteFile(from + "/main.prj", "p");
  WriteFile(from + "/.hidden", "h");
  testing::MarkHidden(from + "/.hidden");
  WriteFile(from + "/OBJ/a.o", "o");
  WriteFile(from + "/deep/er/est/x", "x");
  MakeDirs(from + "/empty");
  WriteFile(from + "/ro/file", "r");
  SetMode(from + "/ro/file", kReadOnlyFile);
  SetMode(from + "/ro", kReadOnlyFolder);
  const std::string to = tmp / "to";
  ASSERT_TRUE(CopyTree(from, to));
  EXPECT_EQ(ListTree(to), ListTree(from));
  EXPECT_EQ(ReadFile(to + "/deep/er/est/x"), "x");
  EXPECT_EQ(ReadFile(to + "/ro/file"), "r");
}

TEST(CopyTreeTest, CopiesLargeContentsAndModesExactly) {
  TempDir tmp;
  const std::string from = tmp / "from";
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) % 251);
  WriteFile(from + "/ABS/image.abs", big);
  WriteFile(from + "/tool", "#!/bin/sh\n");
  SetMode(from + "/tool", fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec);
  WriteFile(from + "/ro", "r");
  SetMode(from + "/ro", kReadOnlyFile);
  const std::string to = tmp / "to";
  ASSERT_TRUE(CopyTree(from, to));
  EXPECT_EQ(ReadFile(to + "/ABS/image.abs"), big);
  EXPECT_EQ(fs::status(NativePath(to + "/tool")).permissions(),
            fs::status(NativePath(from + "/tool")).permissions());
  EXPECT_TRUE(IsReadOnly(to + "/ro"));
}

// Links stay links: into the tree they lead to the same place in the copy,
// out of it to the same place as the original, never to a neighbour of the
// copy.
TEST(CopyTreeTest, CopiesLinksAsLinksToTheSamePlace) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/big", "not to be copied");
  const std::string from = tmp / "from";
  WriteFile(from + "/file", "f");
  WriteFile(from + "/sub/inner", "i");
  const fs::path real = fs::canonical(NativePath(tmp.path()));
  Symlink(tmp / "outside", from + "/abs link");
  Symlink("file", from + "/rel link");
  Symlink(from + "/sub", from + "/abs inside");
  Symlink("../outside", from + "/up link");
  Symlink("nowhere", from + "/dangling");
  Symlink("../gone", from + "/dangling out");
  Symlink("../../from/file", from + "/sub/back in");
  const std::string to = tmp / "to";
  ASSERT_TRUE(CopyTree(from, to));
  const struct {
    const char* name;
    fs::path target;
  } kLinks[] = {
      {"abs link", real / "outside"}, {"rel link", "file"},    {"abs inside", "sub"},
      {"up link", real / "outside"},  {"dangling", "nowhere"}, {"dangling out", real / "gone"},
      {"sub/back in", "../file"},
  };
  for (const auto& link : kLinks) {
    SCOPED_TRACE(link.name);
    ASSERT_TRUE(IsLink(to + "/" + link.name));
    EXPECT_EQ(fs::read_symlink(NativePath(to + "/" + link.name)), link.target);
  }
  EXPECT_EQ(ReadFile(to + "/sub/back in"), "f");
}

TEST(CopyTreeTest, ReportsProgressOfFiles) {
  TempDir tmp;
  const std::string from = tmp / "from";
  WriteFile(from + "/a", "");
  WriteFile(from + "/b", "");
  WriteFile(from + "/sub/c", "");
  MakeDirs(from + "/empty");
  if (testing::kHaveLinks) Symlink("a", from + "/link");
  const std::uint64_t files = testing::kHaveLinks ? 4 : 3;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
  ASSERT_TRUE(CopyTree(from, tmp / "to", [&](std::uint64_t done, std::uint64_t total) {
    calls.emplace_back(done, total);
  }));
  ASSERT_FALSE(calls.empty());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].second, files);
    if (i > 0) {
      EXPECT_GE(calls[i].first, calls[i - 1].first);
    }
  }
  EXPECT_EQ(calls.back(), std::make_pair(files, files));
}

TEST(CopyTreeTest, ProgressEndsWithDoneEqualTotalForAnEmptyFolder) {
  TempDir tmp;
  MakeDirs(tmp / "from");
  std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
  ASSERT_TRUE(CopyTree(tmp / "from", tmp / "to", [&](std::uint64_t done, std::uint64_t total) {
    calls.emplace_back(done, total);
  }));
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().first, calls.back().second);
}

TEST(CopyTreeTest, AnUnreadableFileFailsTheCopy) {
  TempDir tmp;
  WriteFile(tmp / "from/a", "a");
  WriteFile(tmp / "from/secret", "s");
  SetMode(tmp / "from/secret", fs::perms::none);
  if (std::ifstream(NativePath(tmp / "from/secret"))) {
    GTEST_SKIP() << "permissions do not apply to this user";
  }
  EXPECT_FALSE(CopyTree(tmp / "from", tmp / "to"));
}

TEST(FileSystemTest, IsWritableFolderAgreesWithATryToCreate) {
  TempDir tmp;
  WriteFile(tmp / "file", "");
  MakeDirs(tmp / "ro");
  SetMode(tmp / "ro", kReadOnlyFolder);
  EXPECT_TRUE(IsWritableFolder(tmp.path()));
  EXPECT_FALSE(IsWritableFolder(tmp / "file"));
  EXPECT_FALSE(IsWritableFolder(tmp / "missing"));
  // Root may write into any folder, and so may anyone on Windows.
  const bool created = static_cast<bool>(std::ofstream(NativePath(tmp / "ro/probe")));
  EXPECT_EQ(IsWritableFolder(tmp / "ro"), created);
}

// --- Current folder, resolving, containment ------------------------------------

TEST(FileSystemTest, CurrentDirFollowsSetCurrentDir) {
  TempDir tmp;
  MakeDirs(tmp / "with blank");
  testing::CurrentDirGuard guard;
  ASSERT_TRUE(SetCurrentDir(tmp / "with blank"));
  EXPECT_EQ(CurrentDir(), tmp / "with blank");
  EXPECT_EQ(ResolvedPath("x/../y"), tmp / "with blank/y");
  EXPECT_EQ(ResolvedPath("."), tmp / "with blank");
  EXPECT_FALSE(SetCurrentDir(tmp / "missing"));
  EXPECT_EQ(CurrentDir(), tmp / "with blank");
}

TEST(FileSystemTest, ResolvedPathNormalises) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  MakeDirs(tmp / "a/b");
  Symlink(tmp / "a", tmp / "l");
  EXPECT_EQ(ResolvedPath(tmp / "a/./b/.."), tmp / "a");
  EXPECT_EQ(ResolvedPath(tmp.path() + "//a///b/"), tmp / "a/b");
  EXPECT_EQ(ResolvedPath(tmp / "l/b"), tmp / "a/b");
  EXPECT_EQ(ResolvedPath(tmp / "l/new/../x"), tmp / "a/x");
  EXPECT_EQ(ResolvedPath("/"), "/");
  EXPECT_EQ(ResolvedPath(""), "");
}

struct InsideCase {
  std::string inner;  // relative to the temporary folder
  std::string outer;
  bool expected;
};

void PrintTo(const InsideCase& c, std::ostream* os) { *os << c.inner << " in " << c.outer; }

class IsSameOrInsideTest : public ::testing::TestWithParam<InsideCase> {};

TEST_P(IsSameOrInsideTest, ComparesResolvedPaths) {
  TempDir tmp;
  MakeDirs(tmp / "a/b");
  MakeDirs(tmp / "ab");
  Symlink(tmp / "a", tmp / "la");
  Symlink(tmp / "a/b", tmp / "lb");
  const InsideCase& c = GetParam();
  if (c.inner.front() == 'l' || c.outer.front() == 'l') KELVANDOR_SKIP_WITHOUT_LINKS();
  EXPECT_EQ(IsSameOrInside(tmp / c.inner, tmp / c.outer), c.expected)
      << c.inner << " in " << c.outer;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IsSameOrInsideTest,
    ::testing::Values(InsideCase{"a", "a", true}, InsideCase{"a/b", "a", true},
                      InsideCase{"a/new/deeper", "a", true}, InsideCase{"a", "a/b", false},
                      InsideCase{"ab", "a", false}, InsideCase{"ab/x", "a", false},
                      InsideCase{"a/.", "a", true}, InsideCase{"a/b/..", "a", true},
                      InsideCase{"a/..", "a", false}, InsideCase{"a/../ab", "a", false},
                      InsideCase{"a//b", "a/", true}, InsideCase{"a///", "a", true},
                      InsideCase{"la/b", "a", true}, InsideCase{"a/b", "la", true},
                      InsideCase{"lb", "a", true}, InsideCase{"lb/..", "a", true},
                      InsideCase{"la", "lb", false}, InsideCase{"a/x/../../ab", "a", false}));

TEST(IsSameOrInsideTest, EverythingIsInsideTheRoot) {
  TempDir tmp;
  const std::string root = kNativeStyle == PathStyle::kWindows ? tmp.path().substr(0, 3) : "/";
  EXPECT_TRUE(IsSameOrInside(tmp.path(), root));
  EXPECT_TRUE(IsSameOrInside(root, root));
  EXPECT_FALSE(IsSameOrInside(root, tmp.path()));
  EXPECT_FALSE(IsSameOrInside("", tmp.path()));
  EXPECT_FALSE(IsSameOrInside(tmp.path(), ""));
}

TEST(FileSystemTest, IsFileSystemRoot) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  Symlink("/", tmp / "root link");
  EXPECT_TRUE(IsFileSystemRoot("/"));
  EXPECT_TRUE(IsFileSystemRoot("/."));
  EXPECT_TRUE(IsFileSystemRoot("//"));
  EXPECT_TRUE(IsFileSystemRoot(tmp.path() + "/../../../../../../../../.."));
  EXPECT_TRUE(IsFileSystemRoot(tmp / "root link"));
  EXPECT_FALSE(IsFileSystemRoot(tmp.path()));
  EXPECT_FALSE(IsFileSystemRoot(""));
}

TEST(FileSystemTest, FreeSpaceIsWhatTheFileSystemReports) {
  TempDir tmp;
  const std::optional<std::uint64_t> free = FreeSpace(tmp.path());
  ASSERT_TRUE(free.has_value());
  // Other programs write meanwhile; the two readings need only be close.
  const std::uint64_t reported = fs::space(NativePath(tmp.path())).available;
  EXPECT_LT(*free > reported ? *free - reported : reported - *free, 256u << 20);
  EXPECT_EQ(FreeSpace(tmp / "missing/folder"), std::nullopt);
}

TEST(FileSystemTest, ProgramFilePathNamesThisProgram) {
  EXPECT_TRUE(FileExists(ProgramFilePath()));
}

// What a planned change shows to later reads, with the disk untouched.
TEST(PlanningFileSystemTest, ReadsSeeThePlannedChangesOnly) {
  TempDir tmp;
  MakeDirs(tmp / "p/OBJ");
  WriteFile(tmp / "p/a.prj", "old");
  WriteFile(tmp / "p/OBJ/x.o", "12345");
  const auto before = testing::Snapshot(tmp.path());
  PlanningFileSystem plan;

  // A copy shows the source below its new name; the source stays.
  ASSERT_TRUE(plan.CopyTree(tmp / "p", tmp / "q"));
  EXPECT_FALSE(plan.CopyTree(tmp / "p", tmp / "q"));
  EXPECT_EQ(plan.FileSize(tmp / "q/OBJ/x.o"), std::optional<std::uint64_t>(5));
  EXPECT_EQ(plan.ResolvedPath(tmp / "q/OBJ"),
            JoinPath(JoinPath(ResolvedPath(tmp.path()), "q"), "OBJ"));
  EXPECT_TRUE(plan.IsSameOrInside(tmp / "q/OBJ", tmp / "q"));

  // Deleted files leave listings; written ones join them and read back.
  ASSERT_TRUE(plan.RemoveFile(tmp / "q/OBJ/x.o"));
  EXPECT_FALSE(plan.RemoveFile(tmp / "q/OBJ/x.o"));
  EXPECT_TRUE(plan.ListFiles(tmp / "q/OBJ").empty());
  EXPECT_TRUE(plan.FileExists(tmp / "p/OBJ/x.o"));
  const int fd = plan.CreateForWriting(tmp / "q/b.kvtmp");
  ASSERT_GE(fd, 0);
  ASSERT_EQ(plan.Write(fd, "new", 3), 3);
  ASSERT_EQ(plan.Close(fd), 0);
  ASSERT_TRUE(plan.RenameNoReplace(tmp / "q/b.kvtmp", tmp / "q/b.prj"));
  EXPECT_FALSE(plan.RenameNoReplace(tmp / "q/a.prj", tmp / "q/b.prj"));
  std::vector<std::string> files = plan.ListFiles(tmp / "q", ".PRJ");
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (Tree{"a.prj", "b.prj"}));
  EXPECT_EQ(ReadWholeFile(tmp / "q/b.prj", plan), "new");

  // A renamed folder takes the changes below it along.
  // As the workflow creates the folders above a target: each ends in a separator.
  ASSERT_TRUE(plan.MakeDirectory(JoinPath(tmp.path(), "r") + SeparatorString()));
  ASSERT_TRUE(plan.MakeDirectory(JoinPath(tmp / "r", "t") + SeparatorString()));
  EXPECT_FALSE(plan.RenameNoReplace(tmp / "q", tmp / "q/OBJ/q"));
  ASSERT_TRUE(plan.RenameNoReplace(tmp / "q", tmp / "r/s"));
  EXPECT_FALSE(plan.AnythingExists(tmp / "q"));
  EXPECT_EQ(ReadWholeFile(tmp / "r/s/b.prj", plan), "new");
  EXPECT_EQ(ReadWholeFile(tmp / "r/s/a.prj", plan), "old");
  EXPECT_FALSE(plan.FileExists(tmp / "r/s/OBJ/x.o"));
  ASSERT_TRUE(plan.RemoveTree(tmp / "r"));
  EXPECT_FALSE(plan.DirectoryExists(tmp / "r"));

  // With a limit, a longer file keeps only its size and cannot be read back.
  plan.set_content_limit(2);
  for (const auto& [name, text] : {std::pair{"short.kvtmp", "ab"}, {"long.kvtmp", "abc"}}) {
    const int out = plan.CreateForWriting(tmp / name);
    ASSERT_GE(out, 0);
    ASSERT_EQ(plan.Write(out, text, 2), 2);
    const std::size_t rest = std::strlen(text) - 2;
    ASSERT_EQ(plan.Write(out, text + 2, rest), static_cast<long long>(rest));
    ASSERT_EQ(plan.Close(out), 0);
    EXPECT_EQ(plan.FileSize(tmp / name), std::optional<std::uint64_t>(std::strlen(text)));
  }
  EXPECT_EQ(ReadWholeFile(tmp / "short.kvtmp", plan), "ab");
  errno = 0;
  EXPECT_EQ(plan.OpenForReading(tmp / "long.kvtmp"), -1);
  EXPECT_EQ(errno, EIO);

  EXPECT_EQ(testing::Snapshot(tmp.path()), before);
}

// Each call that makes a name fails for a name the real one could not make,
// with the error the real call gives: the plan meets it where the run would.
TEST(PlanningFileSystemTest, RefusesANameTheSystemCannotHold) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "old");
  MakeDirs(tmp / "d");
  const std::string too_long = tmp / std::string(kMaxNameLength + 1, 'n');
  const std::string longest = tmp / std::string(kMaxNameLength, 'n');
  for (const bool planned : {true, false}) {
    if (kNativeStyle == PathStyle::kWindows && !planned) break;  // MAX_PATH comes first
    SCOPED_TRACE(planned ? "planned" : "real");
    PlanningFileSystem planning;
    FileSystem& fs = planned ? static_cast<FileSystem&>(planning) : NativeFileSystem();
    errno = 0;
    EXPECT_EQ(fs.CreateForWriting(too_long), -1);
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(fs.RenameNoReplace(tmp / "a.prj", too_long));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(fs.MakeDirectory(too_long));
    EXPECT_FALSE(fs.CopyOneFile(tmp / "a.prj", too_long));
    EXPECT_FALSE(fs.CopyTree(tmp / "d", too_long));
    if (kNativeStyle == PathStyle::kPosix) {
      ASSERT_TRUE(fs.RenameNoReplace(tmp / "a.prj", longest));
      ASSERT_TRUE(fs.RenameNoReplace(longest, tmp / "a.prj"));
    }
  }
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"a.prj", "d/"}));
}

}  // namespace
}  // namespace kelvandor
