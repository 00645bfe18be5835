// The rename workflow on a file system that ignores letter case: a target
// spelled like the old project in another case is the old project.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "operations/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

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
    r_.old_project_dir = tmp_ / "work/blinky";
    r_.old_dir = "blinky";
    r_.old_wsp = "blinky";
    r_.old_prj = "blinky";
    r_.new_name = "blinky";
    r_.has_wsp_prj = true;
    r_.input_dir = tmp_ / "work";
  }

  CurrentDirGuard guard_;
  TempDir tmp_;
  RenameRequest r_;
  RecordingUi ui_;
  int error_code_ = 0;
};

TEST_F(WindowsRenameWorkflowTest, CopyOntoTheOldFolderInAnotherCaseIsRefused) {
  const std::vector<std::string> before = ListTree(tmp_.path());
  r_.copy_project = true;
  r_.new_path = LowerAscii(tmp_ / "WORK");  // completed with the final "\"
  r_.new_dir = "BLINKY";
  ui_.confirm_answers = {true};

  EXPECT_FALSE(RenameProject(r_, error_code_, ui_));
  EXPECT_EQ(error_code_, kErrorCopy);
  EXPECT_EQ(r_.new_path, LowerAscii(tmp_ / "WORK") + "\\");
  // Never "Project already exist - Delete ?": a Yes would delete the project.
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Failed to Copy Project!"});
  EXPECT_EQ(ListTree(tmp_.path()), before);
}

TEST_F(WindowsRenameWorkflowTest, RenameFolderChangingOnlyTheCase) {
  r_.rename_folder = true;
  r_.new_path = tmp_ / "work\\";
  r_.new_dir = "Blinky";

  EXPECT_TRUE(RenameProject(r_, error_code_, ui_));
  EXPECT_EQ(error_code_, 0);
  EXPECT_TRUE(FileExists(tmp_ / "work/Blinky/blinky.prj"));
}

}  // namespace
}  // namespace kelvandor
