// Input analysis on Windows: drive paths typed in any case, and archives,
// which the Windows build cannot unpack.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workflow/input_analysis.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/family_fields.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "families/family_kind.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::OldName;
using ::kelvandor::testing::OldWorkspace;
using testing::RecordingUi;
using testing::Shown;
using testing::TempDir;
using testing::WriteFile;

class WindowsInputAnalysisTest : public ::testing::Test {
 protected:
  WindowsInputAnalysisTest() { config_.exe_dir = tmp_ / "bin"; }

  AnalysisResult Load(std::string_view path) { return NewInput(path, config_, state_, ui_, 0); }

  TempDir tmp_;
  AnalysisConfig config_;
  ProjectState state_;
  RecordingUi ui_;
};

TEST_F(WindowsInputAnalysisTest, ProjectFileTypedInAnotherCase) {
  WriteFile(tmp_ / "work/blinky/blinky.wsp", "");
  WriteFile(tmp_ / "work/blinky/blinky.prj", "");
  const std::string typed = LowerAscii(tmp_.path()) + "\\WORK\\BLINKY\\BLINKY.PRJ";

  ASSERT_TRUE(Load(typed).ok);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(state_.project.input_dir, LowerAscii(tmp_.path()) + "\\WORK\\BLINKY");
  EXPECT_EQ(state_.project.old_path, LowerAscii(tmp_.path()) + "\\WORK\\");
  EXPECT_EQ(state_.project.old_dir, "BLINKY");
  // The names come from the listing, as the disk spells them.
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "blinky");
  EXPECT_EQ(OldWorkspace(state_.project), "blinky");
}

TEST_F(WindowsInputAnalysisTest, AnArchiveCannotBeUnpacked) {
  WriteFile(tmp_ / "in/blinky.zip", "PK\x03\x04");

  const AnalysisResult result = Load(tmp_ / "in/blinky.zip");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Unzip Error!"},
                                           {"Kelvandor", "Input File not found!"}}));
  EXPECT_FALSE(state_.project.from_archive);
}

}  // namespace
}  // namespace kelvandor
