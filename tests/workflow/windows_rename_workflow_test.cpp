// The rename workflow on a file system that ignores letter case: a target
// spelled like the old project in another case is the old project.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workflow/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "families/family_kind.h"

namespace kelvandor {
namespace {

using testing::CurrentDirGuard;
using testing::ListTree;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;

class WindowsRenameWorkflowTest : public ::testing::Test {
 protected:
  WindowsRenameWorkflowTest() {
    WriteFile(tmp_ / "work/blinky/blinky.wsp", "");
    WriteFile(tmp_ / "work/blinky/blinky.prj", "PRJ=x\r\n");
    project_.project_dir = tmp_ / "work/blinky";
    project_.old_dir = "blinky";
    {
      Family& family = project_.Add(FamilyKind::kWspPrj);
      family.old_name = "blinky";
      family.SetValue(kWorkspaceValue, "blinky");
    }
    project_.input_dir = tmp_ / "work";
    plan_.new_name = "blinky";
  }

  CurrentDirGuard guard_;
  TempDir tmp_;
  Project project_;
  RenamePlan plan_;
  RecordingUi ui_;
};

TEST_F(WindowsRenameWorkflowTest, CopyOntoTheOldFolderInAnotherCaseIsRefused) {
  const std::vector<std::string> before = ListTree(tmp_.path());
  plan_.mode = RenameMode::kCopy;
  plan_.new_path = LowerAscii(tmp_ / "WORK");  // completed with the final "\"
  plan_.new_dir = "BLINKY";
  ui_.confirm_answers = {true};

  const RenameOutcome outcome = RenameProject(project_, plan_, ui_, NativeFileSystem());
  EXPECT_EQ(outcome.error, RenameError::kCopy);
  EXPECT_EQ(outcome.new_path, LowerAscii(tmp_ / "WORK") + "\\");
  // Never "Project already exist - Delete ?": a Yes would delete the project.
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Failed to Copy Project!"});
  EXPECT_EQ(ListTree(tmp_.path()), before);
}

TEST_F(WindowsRenameWorkflowTest, RenameFolderChangingOnlyTheCase) {
  plan_.mode = RenameMode::kRenameFolder;
  plan_.new_path = tmp_ / "work\\";
  plan_.new_dir = "Blinky";

  EXPECT_TRUE(RenameProject(project_, plan_, ui_, NativeFileSystem()).ok());
  EXPECT_TRUE(FileExists(tmp_ / "work/Blinky/blinky.prj"));
}

}  // namespace
}  // namespace kelvandor
