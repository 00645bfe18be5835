// The WSP rewriter on Windows, with the examples' own values: new path
// E:\New\, new directory PumpDir.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/rewrite_values.h"
#include "families/softune/wsp_rewriter.h"
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

TEST(WindowsWspRewriterTest, WspLineEndsInABackslash) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.wsp",
            CrLf({"[Workspace]", "WSP=D:\\work\\Motor\\", "FILE-0=Motor.prj", "ActivePrj=Motor.prj",
                  "[SubPrj-Motor.prj]", "Path=..\\Motor\\"}));
  RewriteValues v;
  v.new_name = "Pump";
  v.new_path = "E:\\New\\";
  v.new_dir = "PumpDir";
  v.old_dir = "Motor";
  v.backup = true;
  EXPECT_TRUE(ParseWsp(tmp.path(), "Motor.wsp", v, ui));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ListTree(tmp.path()), (std::vector<std::string>{"Pump.wsp", "_old_Motor.wsp"}));
  EXPECT_EQ(ReadFile(tmp / "Pump.wsp"),
            CrLf({"[Workspace]", "WSP=E:\\New\\PumpDir\\", "FILE-0=Pump.prj", "ActivePrj=Pump.prj",
                  "[SubPrj-Pump.prj]", "Path=..\\Motor\\"}));
}

}  // namespace
}  // namespace kelvandor
