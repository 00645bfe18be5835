#include "core/cleaning.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::TempDir;
using testing::WriteFile;
using Names = std::vector<std::string>;

struct ExtensionCase {
  std::string name;
  std::string extension;
};

class FileExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(FileExtensionTest, FromTheLastDot) {
  EXPECT_EQ(FileExtension(GetParam().name), GetParam().extension) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, FileExtensionTest,
                         ::testing::Values(ExtensionCase{"proj.ewp.bak", ".bak"},
                                           ExtensionCase{"a.s", ".s"}, ExtensionCase{"abc.", "."},
                                           ExtensionCase{"README", ""}, ExtensionCase{"", ""},
                                           ExtensionCase{".hidden", ".hidden"},
                                           ExtensionCase{"my file.H EX", ".H EX"}));

struct ListCase {
  std::string name;
  std::string list;
  bool matches;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name << " in \"" << c.list << '"'; }

class ExtensionMatchesTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ExtensionMatchesTest, ExtensionIsARunOfTheList) {
  EXPECT_EQ(ExtensionMatches(GetParam().name, GetParam().list), GetParam().matches);
}

constexpr const char* kImages = ".hex.srec.mhx";

INSTANTIATE_TEST_SUITE_P(
    Table, ExtensionMatchesTest,
    ::testing::Values(ListCase{"p.hex", kImages, true}, ListCase{"p.srec", kImages, true},
                      ListCase{"p.mhx", kImages, true}, ListCase{"abc.", kImages, true},
                      ListCase{"x.h", kImages, true}, ListCase{"x.he", kImages, true},
                      ListCase{"x.s", kImages, true}, ListCase{"x.sr", kImages, true},
                      ListCase{"x.sre", kImages, true}, ListCase{"x.m", kImages, true},
                      ListCase{"x.mh", kImages, true}, ListCase{"p.HEX", kImages, false},
                      ListCase{"p.abs", kImages, false}, ListCase{"p.hexx", kImages, false},
                      ListCase{"README", kImages, false}, ListCase{"p.hex.abs", kImages, false},
                      ListCase{"p.abs.hex", kImages, true}, ListCase{"p.hex", "", false},
                      ListCase{"abc.", "", false}, ListCase{"proj.ewp.bak", ".bak", true},
                      ListCase{"a.b", ".bak", true}, ListCase{"proj.ewp", ".bak", false},
                      ListCase{"notes.bak1", ".bak", false}, ListCase{"main.d", ".dep", true},
                      ListCase{"proj.dep", ".dep", true}, ListCase{"main.c", ".dep", false}));

struct AnchorCase {
  std::string name;
  std::string pattern;
  char anchor;
  bool matches;
};

void PrintTo(const AnchorCase& c, std::ostream* os) {
  *os << c.anchor << " \"" << c.pattern << "\" in " << c.name;
}

class NameMatchesTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(NameMatchesTest, PatternWhereTheAnchorSays) {
  const AnchorCase& c = GetParam();
  EXPECT_EQ(NameMatches(c.name, c.pattern, c.anchor), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NameMatchesTest,
    ::testing::Values(
        AnchorCase{"proj.uvgui.anna", ".uvgui.", 'A', true},
        AnchorCase{"x.uvgui.y", ".uvgui.", 'A', true},
        AnchorCase{"proj.uvguix", ".uvgui.", 'A', false},
        AnchorCase{"proj.UVGUI.anna", ".uvgui.", 'A', false},
        AnchorCase{"a.bak.bak", ".bak", 'R', true}, AnchorCase{"abc", ".bak", 'R', false},
        AnchorCase{"a.bak.x", ".bak", 'R', false}, AnchorCase{"proj.x", "proj", 'L', true},
        AnchorCase{"xproj", "proj", 'L', false}, AnchorCase{"Proj.x", "proj", 'L', false},
        AnchorCase{"same", "same", 'A', true}, AnchorCase{"same", "same", 'L', true},
        AnchorCase{"same", "same", 'R', true}, AnchorCase{"ab", "abc", 'A', false},
        AnchorCase{"ab", "abc", 'L', false}, AnchorCase{"ab", "abc", 'R', false},
        AnchorCase{"anything", "", 'A', false}, AnchorCase{"anything", "", 'L', false},
        AnchorCase{"anything", "", 'R', false}, AnchorCase{"anything", "any", 'a', false},
        AnchorCase{"anything", "any", 'X', false}, AnchorCase{"anything", "any", '\0', false}));

// --- Deleting files ------------------------------------------------------------

// A folder with the given files and a sub-folder that must survive untouched.
struct Fixture {
  explicit Fixture(const Names& files) {
    for (const std::string& f : files) WriteFile(tmp / ("dir/" + f), "content");
    WriteFile(tmp / "dir/sub folder.bak/inner.hex", "");
    WriteFile(tmp / "dir/sub folder.bak/inner.abs", "");
  }
  // The files left directly in the folder.
  Names Left() const {
    Names out;
    for (const std::string& entry : ListTree(dir())) {
      if (entry.find('/') == std::string::npos) out.push_back(entry);
    }
    EXPECT_TRUE(FileExists(tmp / "dir/sub folder.bak/inner.hex"));
    EXPECT_TRUE(FileExists(tmp / "dir/sub folder.bak/inner.abs"));
    return out;
  }
  std::string dir() const { return tmp / "dir"; }

  TempDir tmp;
};

struct CleanCase {
  std::string label;
  Names files;
  std::string list;
  bool keep_matching;
  Names left;  // sorted
};

void PrintTo(const CleanCase& c, std::ostream* os) { *os << c.label; }

class CleanDirectoryTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanDirectoryTest, DeletesByExtension) {
  const CleanCase& c = GetParam();
  Fixture fixture(c.files);
  CleanDirectory(fixture.dir(), c.list, c.keep_matching, NativeFileSystem());
  EXPECT_EQ(fixture.Left(), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CleanDirectoryTest,
    ::testing::Values(
        CleanCase{
            "keep_images",
            {"p.hex", "p.srec", "p.mhx", "p.abs", "p.map", "README", "p.HEX", "x.h", "x.s", "x.m"},
            kImages,
            true,
            {"p.hex", "p.mhx", "p.srec", "x.h", "x.m", "x.s"}},
        CleanCase{"empty_list_deletes_all", {"a.o", "b", ".hidden", "c d.lst"}, "", false, {}},
        CleanCase{"empty_list_keeping_deletes_all", {"a.o", "b"}, "", true, {}},
        CleanCase{"bak",
                  {"proj.ewp.bak", "a.b", "proj.ewp", "notes.bak1", ".hidden.bak", ".bak"},
                  ".bak",
                  false,
                  {"notes.bak1", "proj.ewp"}},
        CleanCase{"dep_deletes_prefix_extensions",
                  {"main.d", "proj.dep", "x.de", "x.e", "main.c", "dep"},
                  ".dep",
                  false,
                  {"dep", "main.c", "x.e"}},
        CleanCase{"awkward_names",
                  {"my file.obj", "\xE4rger.obj", " .obj", "keep me.c"},
                  ".obj",
                  false,
                  {"keep me.c"}}));

struct CleanFileCase {
  std::string label;
  Names files;
  std::string pattern;
  char anchor;
  bool keep_matching;
  Names left;  // sorted
};

void PrintTo(const CleanFileCase& c, std::ostream* os) { *os << c.label; }

class CleanDirectoryFileTest : public ::testing::TestWithParam<CleanFileCase> {};

TEST_P(CleanDirectoryFileTest, DeletesByNamePattern) {
  const CleanFileCase& c = GetParam();
  Fixture fixture(c.files);
  CleanDirectoryFile(fixture.dir(), c.pattern, c.anchor, c.keep_matching, NativeFileSystem());
  EXPECT_EQ(fixture.Left(), c.left);
}

// Names differing only in letter case would be one file on Windows.
const Names kGuiFiles = {"proj.uvgui.anna", "x.uvgui.y", "proj.uvguix", "other.UVGUI.anna",
                         ".uvgui.hidden"};

INSTANTIATE_TEST_SUITE_P(
    Table, CleanDirectoryFileTest,
    ::testing::Values(
        CleanFileCase{
            "anywhere", kGuiFiles, ".uvgui.", 'A', false, {"other.UVGUI.anna", "proj.uvguix"}},
        CleanFileCase{"anywhere_keeping",
                      kGuiFiles,
                      ".uvgui.",
                      'A',
                      true,
                      {".uvgui.hidden", "proj.uvgui.anna", "x.uvgui.y"}},
        CleanFileCase{"right", {"a.bak.bak", "abc", "x.bak"}, ".bak", 'R', false, {"abc"}},
        CleanFileCase{"left", {"proj.x", "xproj", "proj"}, "proj", 'L', false, {"xproj"}},
        CleanFileCase{"empty_pattern_deletes_nothing", {"a", "b"}, "", 'A', false, {"a", "b"}},
        CleanFileCase{"empty_pattern_keeping_deletes_all", {"a", "b"}, "", 'A', true, {}},
        CleanFileCase{"unknown_anchor_deletes_nothing", {"a", "ab"}, "a", 'X', false, {"a", "ab"}},
        CleanFileCase{"unknown_anchor_keeping_deletes_all", {"a", "ab"}, "a", 'l', true, {}}));

TEST(CleaningTest, ReadOnlyFileStaysAndTheWalkGoesOn) {
  TempDir tmp;
  Names files;
  // Not "f" + std::to_string(i): GCC 12 at -O2 then warns of an overlapping
  // copy inside std::string that cannot happen (-Wrestrict).
  for (int i = 0; i < 20; ++i) files.push_back(std::string("f").append(std::to_string(i)) + ".obj");
  for (const std::string& f : files) WriteFile(tmp / ("dir/" + f), "");
  testing::SetMode(tmp / "dir/f7.obj", fs::perms::owner_read);
  CleanDirectory(tmp / "dir", "", false, NativeFileSystem());
  EXPECT_EQ(ListTree(tmp / "dir"), Names{"f7.obj"});

  WriteFile(tmp / "dir/a.tmp", "");
  WriteFile(tmp / "dir/z.tmp", "");
  CleanDirectoryFile(tmp / "dir", ".", 'A', false, NativeFileSystem());
  EXPECT_EQ(ListTree(tmp / "dir"), Names{"f7.obj"});
}

TEST(CleaningTest, MissingFolderOrFileLeavesEverythingAlone) {
  TempDir tmp;
  WriteFile(tmp / "file.obj", "x");
  for (const std::string& dir : {tmp / "missing", tmp / "file.obj", std::string()}) {
    CleanDirectory(dir, "", false, NativeFileSystem());
    CleanDirectory(dir, ".obj", true, NativeFileSystem());
    CleanDirectoryFile(dir, "", 'A', true, NativeFileSystem());
  }
  EXPECT_EQ(ListTree(tmp.path()), Names{"file.obj"});
}

TEST(CleaningTest, LinksAreDeletedNotWhatTheyPointTo) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/keep.obj", "");
  MakeDirs(tmp / "dir");
  fs::create_symlink(NativePath(tmp / "outside/keep.obj"), NativePath(tmp / "dir/link.obj"));
  fs::create_directory_symlink(NativePath(tmp / "outside"), NativePath(tmp / "dir/folder.obj"));
  CleanDirectory(tmp / "dir", ".obj", false, NativeFileSystem());
  EXPECT_EQ(ListTree(tmp.path()),
            (Names{"dir/", "dir/folder.obj", "outside/", "outside/keep.obj"}));
}

}  // namespace
}  // namespace kelvandor
