#include "families/mplab/mplab_rewriter.h"

#include <string>

#include <gtest/gtest.h>

#include "core/file_rewrite.h"
#include "families/mplab/mplab_family.h"
#include "platform/path_style.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A line of a generated file in nbproject/, the folder "Lab 10.X" becoming
// "pump.X".
struct LineCase {
  std::string label;
  std::string file;
  std::string line;
  std::string expected;  // empty: unchanged
};

class MplabBuildFileTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(MplabBuildFileTest, OnlyTheNamedVariablesFollowTheFolder) {
  const LineCase& c = GetParam();
  TempDir tmp;
  const std::string project = tmp / "Lab 10.X";
  const std::string nbproject = JoinPath(project, kMplabFolder);
  const std::string text = "# generated\n" + c.line + "\nend\n";
  WriteFile(JoinPath(nbproject, c.file), text);
  RewriteValues values{
      .new_name = "pump", .new_path = {}, .new_dir = "pump.X", .old_dir = "Lab 10.X"};
  InOwnBatch([&](RewriteBatch& batch) {
    ParseMplab(project, "Lab 10", "Lab 10.X", "pump.X", values, batch);
  });
  const std::string want = c.expected.empty() ? text : "# generated\n" + c.expected + "\nend\n";
  EXPECT_EQ(ReadFile(JoinPath(nbproject, c.file)), want);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MplabBuildFileTest,
    ::testing::Values(
        LineCase{"ProjectName", "Makefile-impl.mk", "PROJECTNAME=Lab 10.X", "PROJECTNAME=pump.X"},
        LineCase{"ProjectNameOfAnotherFolder", "Makefile-impl.mk", "PROJECTNAME=Lab 10.X2", ""},
        LineCase{"AnotherVariable", "Makefile-impl.mk", "PROJECTNAMES=Lab 10.X", ""},
        LineCase{"FinalImage", "Makefile-default.mk",
                 "FINAL_IMAGE=${DISTDIR}/Lab_10.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}",
                 "FINAL_IMAGE=${DISTDIR}/pump.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}"},
        LineCase{"FinalImageSpacedAndIndented", "Makefile-release.mk",
                 "\tFINAL_IMAGE := Lab_10.X.production.hex",
                 "\tFINAL_IMAGE := pump.X.production.hex"},
        LineCase{"ImageOfALongerName", "Makefile-default.mk",
                 "FINAL_IMAGE=${DISTDIR}/Lab_10.Xb.${IMAGE_TYPE}.hex", ""},
        LineCase{"ImageWithTheBlank", "Makefile-default.mk",
                 "FINAL_IMAGE=${DISTDIR}/Lab 10.X.${IMAGE_TYPE}.hex", ""},
        LineCase{"RecipeNamingTheImage", "Makefile-default.mk",
                 "${DISTDIR}/Lab_10.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}: ${OBJECTFILES}", ""},
        LineCase{"ArtifactName", "Makefile-variables.mk",
                 "CND_ARTIFACT_NAME_release=Lab_10.X.production.hex",
                 "CND_ARTIFACT_NAME_release=pump.X.production.hex"},
        LineCase{"ArtifactPath", "Makefile-variables.mk",
                 "CND_ARTIFACT_PATH_default=dist/default/production/Lab_10.X.production.hex",
                 "CND_ARTIFACT_PATH_default=dist/default/production/pump.X.production.hex"},
        LineCase{"PackageNameStays", "Makefile-variables.mk",
                 "CND_PACKAGE_NAME_default=lab10.x.tar", ""},
        LineCase{"OutputBasename", "Package-default.bash",
                 "OUTPUT_BASENAME=Lab_10.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}",
                 "OUTPUT_BASENAME=pump.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}"},
        LineCase{"OutputPathStays", "Package-default.bash",
                 "OUTPUT_PATH=dist/Lab_10.X.production.hex", ""},
        LineCase{"LocalMakefileStays", "Makefile-local-default.mk", "PROJECTNAME=Lab 10.X", ""},
        LineCase{"GenesisStays", "Makefile-genesis.properties", "PROJECTNAME=Lab 10.X", ""},
        LineCase{"WindowsLineEnd", "Makefile-impl.mk", "PROJECTNAME=Lab 10.X\r",
                 "PROJECTNAME=pump.X\r"}),
    testing::ParamLabel());

// A line of Harmony's settings.yml, the folder and the name "dosing"
// becoming "pump".
struct SettingsCase {
  std::string label;
  std::string line;
  std::string expected;  // empty: unchanged
};

class HarmonySettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(HarmonySettingsTest, OnlyTheTwoValuesFollow) {
  TempDir tmp;
  const std::string settings = tmp / "firmware/src/config/board/board.mhc/settings.yml";
  const std::string text = "mhcVersion: 3.8.5\n" + GetParam().line + "\n";
  WriteFile(settings, text);
  RewriteValues values{.new_name = "pump", .new_path = {}, .new_dir = "pump", .old_dir = "dosing"};
  InOwnBatch([&](RewriteBatch& batch) {
    ParseHarmonySettings(tmp / "firmware", "dosing", "dosing", "pump", values, batch);
  });
  EXPECT_EQ(ReadFile(settings), GetParam().expected.empty()
                                    ? text
                                    : "mhcVersion: 3.8.5\n" + GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HarmonySettingsTest,
    ::testing::Values(SettingsCase{"ProjectName", "projectName: dosing", "projectName: pump"},
                      SettingsCase{"FolderName", "folderName: dosing", "folderName: pump"},
                      SettingsCase{"Quoted", "projectName: 'dosing'", "projectName: 'pump'"},
                      SettingsCase{"Indented", "  folderName: \"dosing\"  ",
                                   "  folderName: \"pump\"  "},
                      SettingsCase{"LongerValue", "projectName: dosing_pump", ""},
                      SettingsCase{"OtherKey", "projectNames: dosing", ""},
                      SettingsCase{"ComponentNamedSo", "  - name: dosing", ""}),
    testing::ParamLabel());

struct NameCase {
  std::string label;
  std::string new_name;
  std::string refused;  // the character named; empty: accepted
};

class MplabNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(MplabNameTest, TakesLettersDigitsAndThreeMarks) {
  const NameCase& c = GetParam();
  EXPECT_EQ(RefuseMplabName(c.new_name),
            c.refused.empty()
                ? ""
                : "MPLAB X cannot build a project named \"" + c.new_name + "\": \"" + c.refused +
                      "\" is none of the letters, digits, \"_\", \"-\" and \".\" a name may hold");
}

INSTANTIATE_TEST_SUITE_P(Names, MplabNameTest,
                         ::testing::Values(NameCase{"Plain", "pump", ""},
                                           NameCase{"AllMarks", "Pump_2-b.v1", ""},
                                           NameCase{"Blank", "Lab 11", " "},
                                           NameCase{"Plus", "a+b", "+"},
                                           NameCase{"Umlaut", "p\xC3\xBCmp", "\xC3\xBC"}),
                         testing::ParamLabel());

// An empty new name would leave the IDE a project without a name and an
// MCC file called ".mc3": both stay.
TEST(MplabRewriteTest, EmptyNewNameLeavesTheNameAndTheMccFile) {
  TempDir tmp;
  const std::string project_xml =
      "<project><configuration><data><name>blink</name></data>"
      "</configuration></project>\n";
  const std::string configurations = "<confs><itemPath>blink.mc3</itemPath></confs>\n";
  WriteFile(tmp / "nbproject/project.xml", project_xml);
  WriteFile(tmp / "nbproject/configurations.xml", configurations);
  WriteFile(tmp / "blink.mc3", "<configuration/>\n");
  RewriteValues values{.new_name = "", .new_path = {}, .new_dir = "blink.X", .old_dir = "blink.X"};
  InOwnBatch([&](RewriteBatch& batch) {
    ParseMplab(tmp.path(), "blink", "blink.X", "blink.X", values, batch);
  });
  EXPECT_EQ(ReadFile(tmp / "nbproject/project.xml"), project_xml);
  EXPECT_EQ(ReadFile(tmp / "nbproject/configurations.xml"), configurations);
  EXPECT_EQ(ReadFile(tmp / "blink.mc3"), "<configuration/>\n");
}

TEST(MplabFolderForTest, OnlyTheConventionFollowsTheName) {
  EXPECT_EQ(MplabFolderFor("blink.X", "pump"), "pump.X");
  EXPECT_EQ(MplabFolderFor("Lab 10.X", "pump"), "pump.X");
  EXPECT_EQ(MplabFolderFor("plain", "pump"), "");
  EXPECT_EQ(MplabFolderFor("blink.x", "pump"), "");
  EXPECT_EQ(MplabFolderFor(".X", "pump"), "");
}

}  // namespace
}  // namespace kelvandor
