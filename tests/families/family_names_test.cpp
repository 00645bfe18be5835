// The old-name readers of the families: the name of the only project file
// of a kind in a folder.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/path_helpers.h"
#include "families/iar/iar_family.h"
#include "families/keil/keil_family.h"
#include "families/softune/softune_family.h"
#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::MakeDirs;
using testing::TempDir;
using testing::WriteFile;

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
