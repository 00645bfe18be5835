#include "families/keil/keil_workspace.h"

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/file_rewrite.h"
#include "families/keil/keil5_rewriter.h"
#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::PrintTo;
using testing::ReadFile;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

std::string Workspace(std::initializer_list<std::string> entries) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n<ProjectWorkspace>\r\n"
      "  <WorkspaceName>WorkSpace</WorkspaceName>\r\n";
  for (const std::string& e : entries) {
    text += "  <project>\r\n    <PathAndName>" + e + "</PathAndName>\r\n  </project>\r\n";
  }
  return text + "</ProjectWorkspace>\r\n";
}

// The project p/MDK-ARM/Appli/Motor.uvprojx is renamed; p/MDK-ARM/Boot holds
// another project of the same name.
struct WorkspaceCase {
  std::string label;
  std::string workspace;  // below the temporary folder
  std::string content;
  std::string after;  // the workspace's path afterwards
  std::string written;
  std::string new_name = "Pump";
};

class KeilWorkspaceRule : public ::testing::TestWithParam<WorkspaceCase> {};

TEST_P(KeilWorkspaceRule, OnlyTheEntriesOfTheRenamedProjectFollow) {
  const WorkspaceCase& c = GetParam();
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup);
    TempDir tmp;
    for (const char* sub : {"Appli", "Boot"}) {
      WriteFile(tmp / ("p/MDK-ARM/" + std::string(sub) + "/Motor.uvprojx"), "<x/>");
    }
    WriteFile(tmp / "p/MDK-ARM/Pump.uvmpw", "taken");
    WriteFile(tmp / c.workspace, c.content);
    const std::string keil_dir = tmp / "p/MDK-ARM/Appli";
    {
      RewriteBatch batch(NativeFileSystem());
      ParseKEILUV5(keil_dir, "Motor", TestValues(backup, c.new_name), batch);
      const RenamedProjectFile renamed[] = {{keil_dir, "Motor.uvprojx", c.new_name + ".uvprojx"}};
      FollowKeilWorkspaces(tmp / "p", keil_dir, renamed, c.new_name, backup, batch);
      batch.Commit();
    }
    EXPECT_EQ(ReadFile(tmp / c.after), c.written);
    if (c.after != c.workspace) {
      EXPECT_FALSE(AnythingExists(tmp / c.workspace));
    }
    // A changed workspace keeps its old content in a backup only when asked.
    const bool backed_up = backup && c.written != c.content;
    EXPECT_EQ(AnythingExists(tmp / (c.workspace + ".bak")), backed_up);
    if (backed_up) {
      EXPECT_EQ(ReadFile(tmp / (c.workspace + ".bak")), c.content);
    }
    EXPECT_EQ(ReadFile(tmp / "p/MDK-ARM/Pump.uvmpw"), "taken");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeilWorkspaceRule,
    ::testing::Values(
        WorkspaceCase{"EntryOfTheProjectOnly", "p/MDK-ARM/Project.uvmpw",
                      Workspace({".\\Boot\\Motor.uvprojx", ".\\Appli\\Motor.uvprojx"}),
                      "p/MDK-ARM/Project.uvmpw",
                      Workspace({".\\Boot\\Motor.uvprojx", ".\\Appli\\Pump.uvprojx"})},
        WorkspaceCase{"OtherCaseAndSlashes", "p/MDK-ARM/Project.uvmpw",
                      Workspace({"appli/MOTOR.UVPROJX", "Appli//./motor.uvprojx"}),
                      "p/MDK-ARM/Project.uvmpw",
                      Workspace({"appli/Pump.UVPROJX", "Appli//./Pump.uvprojx"})},
        WorkspaceCase{"TwoLevelsAbove", "p/All.uvmpw", Workspace({"MDK-ARM\\Appli\\Motor.uvprojx"}),
                      "p/All.uvmpw", Workspace({"MDK-ARM\\Appli\\Pump.uvprojx"})},
        WorkspaceCase{"NamedAfterTheProject", "p/MDK-ARM/Appli/motor.uvmpw",
                      Workspace({"Motor.uvprojx", "..\\Boot\\Motor.uvprojx"}),
                      "p/MDK-ARM/Appli/Pump.uvmpw",
                      Workspace({"Pump.uvprojx", "..\\Boot\\Motor.uvprojx"})},
        WorkspaceCase{"NewNameTaken", "p/MDK-ARM/Motor.uvmpw", Workspace({"Appli\\Motor.uvprojx"}),
                      "p/MDK-ARM/Motor.uvmpw", Workspace({"Appli\\Pump.uvprojx"})},
        WorkspaceCase{"NewNameAsXml", "p/MDK-ARM/Project.uvmpw",
                      Workspace({".\\Appli\\Motor.uvprojx"}), "p/MDK-ARM/Project.uvmpw",
                      Workspace({".\\Appli\\R&amp;D_v2.uvprojx"}), "R&D_v2"},
        WorkspaceCase{"NotListed", "p/MDK-ARM/Motor.uvmpw", Workspace({"Boot\\Motor.uvprojx"}),
                      "p/MDK-ARM/Motor.uvmpw", Workspace({"Boot\\Motor.uvprojx"})},
        WorkspaceCase{
            "AbsoluteOrVariable", "p/MDK-ARM/Project.uvmpw",
            Workspace({"C:\\p\\MDK-ARM\\Appli\\Motor.uvprojx", "$PROJ\\Appli\\Motor.uvprojx"}),
            "p/MDK-ARM/Project.uvmpw",
            Workspace({"C:\\p\\MDK-ARM\\Appli\\Motor.uvprojx", "$PROJ\\Appli\\Motor.uvprojx"})},
        WorkspaceCase{"AboveTheProjectFolder", "Motor.uvmpw",
                      Workspace({"p\\MDK-ARM\\Appli\\Motor.uvprojx"}), "Motor.uvmpw",
                      Workspace({"p\\MDK-ARM\\Appli\\Motor.uvprojx"})}),
    testing::ParamLabel());

TEST(KeilWorkspace, LinkedWorkspaceIsLeftAlone) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  const std::string old = Workspace({"..\\p\\Motor.uvprojx"});
  WriteFile(tmp / "out/W.uvmpw", old);
  WriteFile(tmp / "p/Motor.uvprojx", "<x/>");
  testing::MakeSymlink(tmp / "out/W.uvmpw", tmp / "p/W.uvmpw");
  const RenamedProjectFile renamed[] = {{tmp / "p", "Motor.uvprojx", "Pump.uvprojx"}};
  RewriteBatch batch(NativeFileSystem());
  FollowKeilWorkspaces(tmp / "p", tmp / "p", renamed, "Pump", false, batch);
  batch.Commit();
  EXPECT_EQ(ReadFile(tmp / "out/W.uvmpw"), old);
  EXPECT_TRUE(batch.changes().empty());
}

}  // namespace
}  // namespace kelvandor
