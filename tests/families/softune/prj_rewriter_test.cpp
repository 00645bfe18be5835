#include "families/softune/prj_rewriter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/rewrite_test_support.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::NewFolderLine;
using testing::PrintTo;
using testing::ReadFile;
using testing::RecordingUi;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

constexpr std::string_view kRecheck = "Please recheck *.PRJ files manually";

using LineRule = testing::CountedLine;

class PrjLineRules : public ::testing::TestWithParam<LineRule> {};

TEST_P(PrjLineRules, WritesAndCounts) {
  testing::ExpectCountedLine(&ParsePrj, ".prj", {"PRJ=D:\\work\\Motor\\", "F1=0 m ABS\\Motor.abs"},
                             {NewFolderLine("PRJ="), "F1=0 m ABS\\Pump.abs"}, GetParam());
}

const std::string kTail(5000, 'r');

INSTANTIATE_TEST_SUITE_P(
    Rows, PrjLineRules,
    ::testing::Values(
        LineRule{"PrjLine", "PRJ=C:\\x\\Motor\\y", NewFolderLine("PRJ="), true},
        LineRule{"PrjLineWithOldFolderPattern", "PRJ=..\\Motor\\", NewFolderLine("PRJ="), true},
        LineRule{"AbsOutput", "F1=0 m ABS\\Motor.abs", "F1=0 m ABS\\Pump.abs", true},
        LineRule{"AbsWithTextAfter", "F1=0 m ..\\ABS\\Motor.abs 12 34", "F1=0 m ..\\ABS\\Pump.abs",
                 true},
        LineRule{"AbsKeepsOldFolderBeforeIt", "F1=0 m ..\\Motor\\ABS\\x",
                 "F1=0 m ..\\Motor\\ABS\\Pump.abs", true},
        LineRule{"AbsFirstOccurrence", "F1=0 m ABS\\a ABS\\b", "F1=0 m ABS\\Pump.abs", true},
        LineRule{"F1WithoutAbs", "F1=0 m OBJ\\Motor.obj", "F1=0 m OBJ\\Motor.obj", false},
        LineRule{"F1WithoutAbsButOldFolder", "F1=0 m ..\\Motor\\x.c", "F1=0 m ..\\PumpDir\\x.c",
                 false},
        LineRule{"F1LowerAbs", "F1=0 m abs\\Motor.abs", "F1=0 m abs\\Motor.abs", false},
        LineRule{"F1OtherMode", "F1=0 n ABS\\Motor.abs", "F1=0 n ABS\\Motor.abs", false},
        LineRule{"AbsWithoutF1", "F2=0 m ABS\\Motor.abs", "F2=0 m ABS\\Motor.abs", false},
        LineRule{"OldFolder", "F3=..\\Motor\\src\\main.c", "F3=..\\PumpDir\\src\\main.c", false},
        LineRule{"OldFolderFirstOnly", "..\\Motor\\a\\..\\Motor\\b", "..\\PumpDir\\a\\..\\Motor\\b",
                 false},
        LineRule{"OldFolderLongRemainder", "F4=\\Motor\\" + kTail, "F4=\\PumpDir\\" + kTail},
        LineRule{"OldFolderOtherCase", "..\\motor\\src", "..\\motor\\src", false},
        LineRule{"OldFolderAtEnd", "..\\x\\Motor", "..\\x\\Motor", false},
        LineRule{"OldFolderPrefixOfLonger", "..\\MotorX\\a", "..\\MotorX\\a", false},
        LineRule{"OldFolderOnADrive", "Include=D:\\my work\\Motor\\src",
                 "Include=D:\\my work\\PumpDir\\src", false},
        LineRule{"OldFolderBelowARoot", "F4=1 c \\\\srv\\Motor\\a.c",
                 "F4=1 c \\\\srv\\PumpDir\\a.c", false},
        LineRule{"SubFolderNamedLikeTheOldFolder", "F2=1 c SRC\\Can\\Motor\\x.c",
                 "F2=1 c SRC\\Can\\Motor\\x.c", false},
        LineRule{"SubFolderBeforeALeavingPath", "Inc=src\\Motor\\h;..\\Motor\\h",
                 "Inc=src\\Motor\\h;..\\PumpDir\\h", false},
        LineRule{"LeadingBlank", " PRJ=x", " PRJ=x", false},
        LineRule{"LowerKey", "prj=x", "prj=x", false},
        LineRule{"Plain", "[Project]", "[Project]", false}),
    testing::ParamLabel());

TEST(PrjRewriter, EmptyOldFolderChangesNoBackslashes) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.prj", CrLf({"PRJ=x", "F4=\\\\server\\share"}));
  RewriteValues v = TestValues();
  v.old_dir.clear();
  EXPECT_TRUE(ParsePrj(tmp.path(), "Motor.prj", v, ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.prj"), CrLf({NewFolderLine("PRJ="), "F4=\\\\server\\share"}));
}

class PrjCounts : public ::testing::TestWithParam<testing::CountCase> {};

TEST_P(PrjCounts, DecideSuccessAndBackup) {
  testing::ExpectCountedRun(&ParsePrj, ".prj", kRecheck, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrjCounts,
    ::testing::Values(
        testing::CountCase{"PrjAndAbs", {"[P]", "PRJ=x", "F1=0 m ABS\\M.abs", "F2=y"}, true},
        testing::CountCase{"PrjOnly", {"PRJ=x", "F2=y"}, true},
        testing::CountCase{"AbsOnly", {"F1=0 m ABS\\M.abs"}, true},
        testing::CountCase{"Three", {"PRJ=x", "F1=0 m ABS\\a", "F1=0 m ABS\\b"}, false},
        testing::CountCase{"ZeroWithOldFolder", {"F3=..\\Motor\\a"}, false},
        testing::CountCase{"Empty", {}, false}),
    testing::ParamLabel());

TEST(PrjRewriter, UnexpectedShapeIsStillFullyRewritten) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.prj", CrLf({"F3=..\\Motor\\a", "x"}));
  EXPECT_FALSE(ParsePrj(tmp.path(), "Motor.prj", TestValues(true), ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.prj"), CrLf({"F3=..\\PumpDir\\a", "x"}));
  EXPECT_EQ(ReadFile(tmp / "_old_Motor.prj"), CrLf({"F3=..\\Motor\\a", "x"}));
}

TEST(PrjRewriter, MissingProjectFileShowsTheMessageOnly) {
  testing::ExpectMissingFileShowsTheMessage(&ParsePrj, ".prj", kRecheck);
}

}  // namespace
}  // namespace kelvandor
