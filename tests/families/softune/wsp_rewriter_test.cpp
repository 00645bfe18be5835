#include "families/softune/wsp_rewriter.h"

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

constexpr std::string_view kRecheck = "Please recheck *.WSP files manually";

using LineRule = testing::CountedLine;

class WspLineRules : public ::testing::TestWithParam<LineRule> {};

// The row's line follows the four lines of a well-formed workspace.
TEST_P(WspLineRules, WritesAndCounts) {
  testing::ExpectCountedLine(
      &ParseWsp, ".wsp",
      {"FILE-0=Motor.prj", "ActivePrj=Motor.prj", "[SubPrj-Motor.prj]", "WSP=D:\\work\\Motor\\"},
      {"FILE-0=Pump.prj", "ActivePrj=Pump.prj", "[SubPrj-Pump.prj]", NewFolderLine("WSP=")},
      GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WspLineRules,
    ::testing::Values(LineRule{"File0", "FILE-0=Other.prj", "FILE-0=Pump.prj", true},
                      LineRule{"File0Empty", "FILE-0=", "FILE-0=Pump.prj", true},
                      LineRule{"ActivePrj", "ActivePrj=x y z", "ActivePrj=Pump.prj", true},
                      LineRule{"SubPrjHeader", "[SubPrj-Motor.prj]", "[SubPrj-Pump.prj]", true},
                      LineRule{"SubPrjAnything", "[SubPrj-", "[SubPrj-Pump.prj]", true},
                      LineRule{"WspLine", "WSP=C:\\old\\place\\", NewFolderLine("WSP="), true},
                      LineRule{"File1Unchanged", "FILE-1=Motor.prj", "FILE-1=Motor.prj", false},
                      LineRule{"File2Unchanged", "FILE-2=Motor.c", "FILE-2=Motor.c", false},
                      LineRule{"LeadingBlank", " FILE-0=Motor.prj", " FILE-0=Motor.prj", false},
                      LineRule{"OtherCase", "file-0=Motor.prj", "file-0=Motor.prj", false},
                      LineRule{"WspLowerCase", "wsp=x", "wsp=x", false},
                      LineRule{"KeyNotAtStart", "x WSP=", "x WSP=", false},
                      LineRule{"PlainLine", "[Workspace]", "[Workspace]", false},
                      LineRule{"EmptyLine", "", "", false}),
    testing::ParamLabel());

class WspCounts : public ::testing::TestWithParam<testing::CountCase> {};

TEST_P(WspCounts, DecideSuccessAndBackup) {
  testing::ExpectCountedRun(&ParseWsp, ".wsp", kRecheck, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WspCounts,
    ::testing::Values(testing::CountCase{"Four",
                                         {"[Workspace]", "FILE-0=M.prj", "FILE-1=M.prj",
                                          "ActivePrj=M.prj", "[SubPrj-M.prj]", "WSP=x"},
                                         true},
                      testing::CountCase{"FourOfSeveralProjects",
                                         {"[Workspace]", "FILE-0=Motor.prj", "FILE-1=x",
                                          "ActivePrj=Motor.prj", "[SubPrj-Motor.prj]", "WSP=x"},
                                         true},
                      testing::CountCase{"NoneOfSeveralProjects",
                                         {"FILE-0=M.prj", "FILE-1=x", "[SubPrj-M.prj]", "WSP=x"},
                                         false},
                      testing::CountCase{"ThreeWithoutActivePrj",
                                         {"FILE-0=M.prj", "[SubPrj-M.prj]", "WSP=x"},
                                         true},
                      testing::CountCase{"Two", {"FILE-0=M.prj", "WSP=x"}, false},
                      testing::CountCase{"One", {"WSP=x"}, false},
                      testing::CountCase{"Zero", {"[Workspace]", "FILE-1=x"}, false},
                      testing::CountCase{"Empty", {}, false},
                      testing::CountCase{"FiveWithTwoSubPrj",
                                         {"FILE-0=M.prj", "ActivePrj=M.prj", "[SubPrj-M.prj]",
                                          "[SubPrj-N.prj]", "WSP=x"},
                                         false}),
    testing::ParamLabel());

TEST(WspRewriter, TwoSubPrjHeadersOnlyTheProjectsOwnFollows) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.wsp",
            CrLf({"[SubPrj-Motor.prj]", "a=1", "[SubPrj-Second.prj]", "FILE-1=k"}));
  EXPECT_FALSE(ParseWsp(tmp.path(), "Motor.wsp", TestValues(), ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.wsp"),
            CrLf({"[SubPrj-Pump.prj]", "a=1", "[SubPrj-Second.prj]", "FILE-1=k"}));
}

struct SharedCase {
  std::string label;
  std::string workspace;  // the file's name
  std::vector<std::string> lines;
  std::string new_workspace;
  std::vector<std::string> written;
  bool references_hold = true;
};

class WspSharedWorkspace : public ::testing::TestWithParam<SharedCase> {};

// A workspace of several projects: only the renamed project's entries follow,
// each keeping its folder; the workspace keeps its name unless it is the
// project's.
TEST_P(WspSharedWorkspace, RewritesOnlyTheProjectsEntries) {
  TempDir tmp;
  RecordingUi ui;
  const SharedCase& c = GetParam();
  WriteFile(tmp / c.workspace, CrLf(c.lines));
  for (const char* prj : {"Motor.prj", "Boot.prj"}) WriteFile(tmp / prj, "PRJ=x\r\n");
  RewriteBatch batch(NativeFileSystem());
  EXPECT_TRUE(ParseWsp(tmp.path(), c.workspace, "Motor", TestValues(), ui, batch));
  batch.Stage(tmp.path(), "Motor.prj", "_old_Motor.prj", "Pump.prj", LineTransform());
  EXPECT_EQ(!batch.BrokenReference().has_value(), c.references_hold);
  batch.Commit();
  EXPECT_EQ(ReadFile(tmp / c.new_workspace), CrLf(c.written));
  EXPECT_TRUE(batch.warnings().empty());
}

const std::vector<std::string> kTwoProjects = {"FILE-0=Motor.prj",       "FILE-1=sub\\Boot.prj",
                                               "ActivePrj=Motor.prj",    "WSP=D:\\work\\Motor\\",
                                               "[SubPrj-Motor.prj]",     "Open=1",
                                               "[SubPrj-sub\\Boot.prj]", "Open=0"};

INSTANTIATE_TEST_SUITE_P(
    Cases, WspSharedWorkspace,
    ::testing::Values(SharedCase{"NamedAfterTheProject",
                                 "Motor.wsp",
                                 kTwoProjects,
                                 "Pump.wsp",
                                 {"FILE-0=Pump.prj", "FILE-1=sub\\Boot.prj", "ActivePrj=Pump.prj",
                                  NewFolderLine("WSP="), "[SubPrj-Pump.prj]", "Open=1",
                                  "[SubPrj-sub\\Boot.prj]", "Open=0"}},
                      SharedCase{
                          "NamedOtherwise",
                          "All.wsp",
                          {"FILE-0=Boot.prj", "FILE-1=.\\Motor.prj", "ActivePrj=Boot.prj",
                           "[SubPrj-Boot.prj]", "[SubPrj-.\\motor.prj]", "WSP=x"},
                          "All.wsp",
                          {"FILE-0=Boot.prj", "FILE-1=.\\Pump.prj", "ActivePrj=Boot.prj",
                           "[SubPrj-Boot.prj]", "[SubPrj-.\\Pump.prj]", NewFolderLine("WSP=")}},
                      SharedCase{"NewNameOfAnotherProject",
                                 "Motor.wsp",
                                 {"FILE-0=Motor.prj", "FILE-1=Pump.prj", "[SubPrj-Motor.prj]",
                                  "[SubPrj-Pump.prj]", "WSP=x"},
                                 "Pump.wsp",
                                 {"FILE-0=Pump.prj", "FILE-1=Pump.prj", "[SubPrj-Pump.prj]",
                                  "[SubPrj-Pump.prj]", NewFolderLine("WSP=")},
                                 false}),
    testing::ParamLabel());

TEST(WspRewriter, MissingWorkspaceShowsTheMessageAndTouchesNothing) {
  testing::ExpectMissingFileShowsTheMessage(&ParseWsp, ".wsp", kRecheck);
}

TEST(WspRewriter, KeysAfterCtrlZAreNotRead) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.wsp", "FILE-0=a\nActivePrj=a\n[SubPrj-a]\n\x1aWSP=x\nFILE-0=b\n");
  EXPECT_TRUE(ParseWsp(tmp.path(), "Motor.wsp", TestValues(), ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.wsp"),
            CrLf({"FILE-0=Pump.prj", "ActivePrj=Pump.prj", "[SubPrj-Pump.prj]"}));
}

TEST(WspRewriter, KeyLinesWithLoneCrAndNoFinalLineEnd) {
  TempDir tmp;
  RecordingUi ui;
  WriteFile(tmp / "Motor.wsp", "FILE-0=a\r\rActivePrj=b\n\r[SubPrj-c]\r\nWSP=d");
  // "\r" is dropped, so the first line reads "FILE-0=aActivePrj=b"; the CR that
  // begins the next line is dropped too, so it still begins with "[SubPrj-".
  EXPECT_TRUE(ParseWsp(tmp.path(), "Motor.wsp", TestValues(), ui));
  EXPECT_EQ(ReadFile(tmp / "Pump.wsp"),
            CrLf({"FILE-0=Pump.prj", "[SubPrj-Pump.prj]", NewFolderLine("WSP=")}));
}

}  // namespace
}  // namespace kelvandor
