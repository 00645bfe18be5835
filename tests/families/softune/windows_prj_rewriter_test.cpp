// The PRJ rewriter on Windows, with the examples' own values: new path
// E:\New\, new directory PumpDir.

#include <string>

#include <gtest/gtest.h>

#include "families/softune/prj_rewriter.h"
#include "core/rewrite_values.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::ListTree;
using testing::ReadFile;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;

RewriteValues WindowsValues() {
  RewriteValues v;
  v.new_name = "Pump";
  v.new_path = "E:\\New\\";
  v.new_dir = "PumpDir";
  v.old_dir = "Motor";
  return v;
}

TEST(WindowsPrjRewriterTest, PrjLineEndsInABackslash) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.prj",
            CrLf({"[Project]", "PRJ=D:\\work\\Motor\\", "F1=0 m ..\\ABS\\Motor.abs x",
                  "F2=..\\Motor\\src\\main.c", "F3=..\\motor\\src\\a.c"}));
  EXPECT_TRUE(ParsePrj(tmp.path(), "Motor.prj", WindowsValues(), ui));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"Pump.prj"});
  EXPECT_EQ(ReadFile(tmp / "Pump.prj"),
            CrLf({"[Project]", "PRJ=E:\\New\\PumpDir\\", "F1=0 m ..\\ABS\\Pump.abs",
                  "F2=..\\PumpDir\\src\\main.c", "F3=..\\motor\\src\\a.c"}));
}

TEST(WindowsPrjRewriterTest, OldFileNamedInAnotherCase) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "motor.PRJ", CrLf({"PRJ=x"}));
  EXPECT_TRUE(ParsePrj(tmp.path(), "Motor.prj", WindowsValues(), ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.prj"), CrLf({"PRJ=E:\\New\\PumpDir\\"}));
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"Pump.prj"});
}

}  // namespace
}  // namespace kelvandor
