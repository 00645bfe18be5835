#include "workflow/path_helpers.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::TempDir;
using testing::WriteFile;

struct SplitCase {
  PathStyle style;
  std::string path;
  std::string last_dir;  // empty: GetLastDir fails
  std::string parent;    // empty: GetPath fails
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << (c.style == PathStyle::kWindows ? "windows " : "posix ") << '"' << c.path << '"';
}

class PathSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplitTest, GetLastDirAndGetPath) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(GetLastDir(c.path, c.style), (HelperResult{!c.last_dir.empty(), c.last_dir}));
  EXPECT_EQ(GetPath(c.path, c.style), (HelperResult{!c.parent.empty(), c.parent}));
  if (c.style == kNativeStyle) {
    EXPECT_EQ(GetLastDir(c.path), GetLastDir(c.path, c.style));
    EXPECT_EQ(GetPath(c.path), GetPath(c.path, c.style));
  }
}

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

INSTANTIATE_TEST_SUITE_P(
    Windows, PathSplitTest,
    ::testing::Values(SplitCase{kWin, "C:\\work\\proj", "proj", "C:\\work\\"},
                      SplitCase{kWin, "C:\\work\\proj\\", "proj", "C:\\work\\"},
                      SplitCase{kWin, "C:\\work\\proj\\main.prj", "main.prj", "C:\\work\\proj\\"},
                      SplitCase{kWin, "C:\\proj", "proj", "C:\\"}, SplitCase{kWin, "C:\\", "", ""},
                      SplitCase{kWin, "proj", "", ""}, SplitCase{kWin, "", "", ""},
                      SplitCase{kWin, "\\", "", ""},
                      // Only one of two trailing separators is removed.
                      SplitCase{kWin, "C:\\work\\proj\\\\", "proj\\", "C:\\work\\proj\\"},
                      // ":" and "/" do not separate here.
                      SplitCase{kWin, "C:proj", "", ""},
                      SplitCase{kWin, "C:\\work/proj", "work/proj", "C:\\"},
                      SplitCase{kWin, "\\\\server\\share", "share", "\\\\server\\"},
                      SplitCase{kWin, "D:\\my work\\\xE4 proj", "\xE4 proj", "D:\\my work\\"}));

INSTANTIATE_TEST_SUITE_P(
    Posix, PathSplitTest,
    ::testing::Values(SplitCase{kPosix, "/work/proj", "proj", "/work/"},
                      SplitCase{kPosix, "/work/proj/", "proj", "/work/"},
                      SplitCase{kPosix, "/work/proj/main.prj", "main.prj", "/work/proj/"},
                      SplitCase{kPosix, "/proj", "proj", "/"}, SplitCase{kPosix, "/", "", ""},
                      SplitCase{kPosix, "proj", "", ""}, SplitCase{kPosix, "", "", ""},
                      SplitCase{kPosix, "/work/proj//", "proj/", "/work/proj/"},
                      SplitCase{kPosix, "rel/proj", "proj", "rel/"},
                      SplitCase{kPosix, "/work/C:\\proj", "C:\\proj", "/work/"},
                      SplitCase{kPosix, "/my work/.hidden proj", ".hidden proj", "/my work/"},
                      SplitCase{kPosix, "/w/\xE4rger", "\xE4rger", "/w/"}));

TEST(GetFolderTest, TheOneVisibleSubFolder) {
  TempDir tmp;
  MakeDirs(tmp / "blinky project \xE4");
  MakeDirs(tmp / ".hidden");
  testing::MarkHidden(tmp / ".hidden");
  WriteFile(tmp / "a.txt", "");
  WriteFile(tmp / "b.prj", "");
  EXPECT_EQ(GetFolder(tmp.path()), (HelperResult{true, "blinky project \xE4"}));
}

TEST(GetFolderTest, NoneOrSeveralFail) {
  TempDir tmp;
  MakeDirs(tmp / "two/a");
  MakeDirs(tmp / "two/b");
  MakeDirs(tmp / "hidden only/.git");
  testing::MarkHidden(tmp / "hidden only/.git");
  WriteFile(tmp / "files only/x", "");
  MakeDirs(tmp / "empty");
  const HelperResult fail{false, ""};
  EXPECT_EQ(GetFolder(tmp / "two"), fail);
  EXPECT_EQ(GetFolder(tmp / "hidden only"), fail);
  EXPECT_EQ(GetFolder(tmp / "files only"), fail);
  EXPECT_EQ(GetFolder(tmp / "empty"), fail);
  EXPECT_EQ(GetFolder(tmp / "missing"), fail);
  EXPECT_EQ(GetFolder(tmp / "files only/x"), fail);
  EXPECT_EQ(GetFolder(""), fail);
}

using NameHelper = HelperResult (*)(std::string_view);

struct NameCase {
  std::string label;
  NameHelper helper;
  std::vector<std::string> files;
  std::vector<std::string> folders;
  std::string expected;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class ProjectNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProjectNameTest, NameOfTheOnlyMatchingFile) {
  const NameCase& c = GetParam();
  TempDir tmp;
  for (const std::string& f : c.files) WriteFile(tmp / f, "");
  for (const std::string& d : c.folders) MakeDirs(tmp / d);
  EXPECT_EQ(c.helper(tmp.path()), (HelperResult{true, c.expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProjectNameTest,
    ::testing::Values(
        NameCase{"prj_upper_case", GetPrjName, {"Main.PRJ", "Main.wsp", "notes.txt"}, {}, "Main"},
        NameCase{"prj_two", GetPrjName, {"a.prj", "b.prj"}, {}, ""},
        // On Windows the two names are one file.
        NameCase{"prj_two_differing_in_case",
                 GetPrjName,
                 {"a.prj", "A.PRJ"},
                 {},
                 kNativeStyle == PathStyle::kWindows ? "a" : ""},
        NameCase{"prj_none", GetPrjName, {"a.wsp", "a.prj.bak", "a.prjx", "prj"}, {}, ""},
        NameCase{"prj_folder_not_counted", GetPrjName, {"y.prj"}, {"x.prj"}, "y"},
        NameCase{"prj_only_folder", GetPrjName, {}, {"x.prj"}, ""},
        NameCase{"prj_hidden_file_counted", GetPrjName, {".x.prj"}, {}, ".x"},
        NameCase{"prj_hidden_makes_two", GetPrjName, {".x.prj", "y.prj"}, {}, ""},
        NameCase{"prj_blanks_and_high_bytes", GetPrjName, {"My Proj \xE4.Prj"}, {}, "My Proj \xE4"},
        NameCase{"prj_inside_sub_folder_ignored", GetPrjName, {"sub/a.prj"}, {}, ""},
        NameCase{"wsp", GetWspName, {"blinky.wsp", "blinky.prj"}, {}, "blinky"},
        NameCase{"wsp_two", GetWspName, {"a.wsp", "b.WSP"}, {}, ""},
        NameCase{"keil", Get_KEILUV_Name, {"Blinky.uvproj", "Blinky.uvopt"}, {}, "Blinky"},
        NameCase{"keil_upper", Get_KEILUV_Name, {"BLINKY.UVPROJ"}, {}, "BLINKY"},
        NameCase{"keil_other_extension", Get_KEILUV_Name, {"Blinky.uvprojx"}, {}, ""},
        NameCase{
            "keil5", Get_KEILUV5_Name, {"Blinky.uvprojx", "Old.uvproj", "B.uvoptx"}, {}, "Blinky"},
        NameCase{"keil5_two", Get_KEILUV5_Name, {"a.uvprojx", "b.UVPROJX"}, {}, ""},
        NameCase{"iar", Get_IAR_Name, {"proj.eww", "proj.ewp", "proj.ewd"}, {}, "proj"},
        NameCase{"iar_two", Get_IAR_Name, {"a.eww", "b.eww"}, {}, ""},
        NameCase{"iar_dotted_name", Get_IAR_Name, {"v1.2.eww"}, {}, "v1.2"}));

TEST(ProjectNameTest, MissingFolderGivesEmptyNameAndTrue) {
  TempDir tmp;
  WriteFile(tmp / "file.prj", "");
  const HelperResult empty{true, ""};
  EXPECT_EQ(GetPrjName(tmp / "missing"), empty);
  EXPECT_EQ(GetPrjName(tmp / "file.prj"), empty);
  EXPECT_EQ(GetWspName(""), empty);
  EXPECT_EQ(Get_KEILUV_Name(tmp / "missing"), empty);
  EXPECT_EQ(Get_IAR_Name(tmp / "missing"), empty);
}

}  // namespace
}  // namespace kelvandor
