#include "rewrite/iar_rewriter.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "tests/rewrite/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

struct LineRule {
  std::string label;
  std::string extension;  // the file the line stands in
  std::string line;
  std::string written;
};

class IarLineRules : public ::testing::TestWithParam<LineRule> {};

TEST_P(IarLineRules, RewriteOneLine) {
  TempDir tmp;
  WriteFile(tmp / ("Motor" + GetParam().extension), GetParam().line + "\n");
  ParseIAR(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / ("Pump" + GetParam().extension)), GetParam().written + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IarLineRules,
    ::testing::Values(
        // workspace rule
        LineRule{"WorkspacePath", ".eww", "    <path>$WS_DIR$\\Motor.ewp</path>",
                 "    <path>$WS_DIR$\\Pump.ewp</path>"},
        LineRule{"WorkspaceSubFolder", ".eww", "    <path>$WS_DIR$\\sub\\Other.ewp</path> x",
                 "    <path>$WS_DIR$\\Pump.ewp</path>"},
        LineRule{"WorkspaceTab", ".eww", "\t<path>$WS_DIR$\\Motor.ewp</path>",
                 "\t<path>$WS_DIR$\\Motor.ewp</path>"},
        LineRule{"WorkspaceThreeBlanks", ".eww", "   <path>$WS_DIR$\\Motor.ewp</path>",
                 "   <path>$WS_DIR$\\Motor.ewp</path>"},
        LineRule{"WorkspaceFiveBlanks", ".eww", "     <path>$WS_DIR$\\Motor.ewp</path>",
                 "     <path>$WS_DIR$\\Motor.ewp</path>"},
        LineRule{"WorkspaceOtherCase", ".eww", "    <path>$ws_dir$\\Motor.ewp</path>",
                 "    <path>$ws_dir$\\Motor.ewp</path>"},
        LineRule{"WorkspaceNameElsewhere", ".eww", "<name>Motor</name>", "<name>Motor</name>"},
        // state rule
        LineRule{"State", ".ewp", "<state>Motor.out</state>", "<state>Pump.out</state>"},
        LineRule{"StateIndented", ".ewp", "  x <state>Motor</state>", "  x <state>Pump</state>"},
        LineRule{"StateLongerName", ".ewp", "<state>MotorBoard</state>",
                 "<state>PumpBoard</state>"},
        LineRule{"StateOtherCase", ".ewp", "<state>motor.out</state>", "<state>motor.out</state>"},
        LineRule{"StateNameLater", ".ewp", "<state>$PROJ_DIR$\\Motor.out</state>",
                 "<state>$PROJ_DIR$\\Motor.out</state>"},
        LineRule{"StateFirstOnly", ".ewp", "<state>Motor</state><state>Motor</state>",
                 "<state>Pump</state><state>Motor</state>"},
        LineRule{"StatePathRuleNotApplied", ".ewp", "$PROJ_DIR$\\Motor.c", "$PROJ_DIR$\\Motor.c"},
        // path rule
        LineRule{"Path", ".dep", "$PROJ_DIR$\\Debug\\Exe\\Motor.out",
                 "$PROJ_DIR$\\Debug\\Exe\\Pump.out"},
        LineRule{"PathUpperCase", ".dep", "$PROJ_DIR$\\Debug\\Exe\\MOTOR.out",
                 "$PROJ_DIR$\\Debug\\Exe\\Pump.out"},
        LineRule{"PathFirstOnly", ".dep", "\\motor.a \\Motor.b", "\\Pump.a \\Motor.b"},
        LineRule{"PathLongerName", ".dep", "x\\MotorBoard.c", "x\\PumpBoard.c"},
        LineRule{"PathWithoutBackslash", ".dep", "Motor.out", "Motor.out"},
        LineRule{"PathStateRuleNotApplied", ".dep", "<state>Motor</state>", "<state>Motor</state>"},
        // debugger settings: copied
        LineRule{"DebuggerCopied", ".ewd", "<state>$PROJ_DIR$\\Motor.out</state>",
                 "<state>$PROJ_DIR$\\Motor.out</state>"},
        LineRule{"DebuggerWorkspaceLineCopied", ".ewd", "    <path>$WS_DIR$\\Motor.ewp</path>",
                 "    <path>$WS_DIR$\\Motor.ewp</path>"}),
    testing::ParamLabel());

TEST(IarRewriter, LongRemaindersAreKeptWhole) {
  TempDir tmp;
  const std::string tail(4000, 'q');
  WriteFile(tmp / "Motor.ewp", "<state>Motor" + tail + "\n");
  WriteFile(tmp / "Motor.dep", "\\MOTOR" + tail + "\\Motor\n");
  ParseIAR(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.ewp"), "<state>Pump" + tail + "\r\n");
  EXPECT_EQ(ReadFile(tmp / "Pump.dep"), "\\Pump" + tail + "\\Motor\r\n");
}

TEST(IarRewriter, EmptyOldNameReplacesNothing) {
  TempDir tmp;
  WriteFile(tmp / ".ewp", "<state>x</state>\n");
  WriteFile(tmp / ".dep", "a\\b\n");
  ParseIAR(tmp.path(), "", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.ewp"), "<state>x</state>\r\n");
  EXPECT_EQ(ReadFile(tmp / "Pump.dep"), "a\\b\r\n");
}

const std::vector<std::string> kExtensions = {".eww", ".ewp", ".ewd", ".dep"};

void WriteProject(const TempDir& tmp, const std::string& base) {
  for (const std::string& ext : kExtensions)
    WriteFile(tmp / (base + ext), "content of " + ext + "\n");
}

struct BackupCase {
  std::string label;
  std::vector<std::string> present;  // extensions written before the run
  bool backup = false;
  std::vector<std::string> after;
};

class IarBackups : public ::testing::TestWithParam<BackupCase> {};

TEST_P(IarBackups, LeaveTheExpectedFiles) {
  TempDir tmp;
  for (const std::string& ext : GetParam().present)
    WriteFile(tmp / ("Motor" + ext), "x" + ext + "\n");
  ParseIAR(tmp.path(), "Motor", TestValues(GetParam().backup));
  EXPECT_EQ(ListTree(tmp.path()), Sorted(GetParam().after));
  for (const std::string& ext : GetParam().present) {
    EXPECT_EQ(ReadFile(tmp / ("Pump" + ext)), "x" + ext + "\r\n");
    if (GetParam().backup) {
      EXPECT_EQ(ReadFile(tmp / ("Motor" + ext + ".bak")), "x" + ext + "\n");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IarBackups,
    ::testing::Values(
        BackupCase{"AllWithoutBackup",
                   kExtensions,
                   false,
                   {"Pump.eww", "Pump.ewp", "Pump.ewd", "Pump.dep"}},
        BackupCase{"AllWithBackup",
                   kExtensions,
                   true,
                   {"Pump.eww", "Pump.ewp", "Pump.ewd", "Pump.dep", "Motor.eww.bak",
                    "Motor.ewp.bak", "Motor.ewd.bak", "Motor.dep.bak"}},
        BackupCase{
            "NoDepFile", {".eww", ".ewp", ".ewd"}, false, {"Pump.eww", "Pump.ewp", "Pump.ewd"}},
        BackupCase{"OnlyDepWithBackup", {".dep"}, true, {"Pump.dep", "Motor.dep.bak"}},
        BackupCase{"NoneWithBackup", {}, true, {}}, BackupCase{"NoneWithoutBackup", {}, false, {}}),
    testing::ParamLabel());

TEST(IarRewriter, WithoutBackupEarlierBackupsOfTheOldNameAreDeletedToo) {
  TempDir tmp;
  WriteFile(tmp / "Motor.ewd.bak", "earlier\n");
  WriteFile(tmp / "Motor.eww", "w\n");
  ParseIAR(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"Pump.eww"});
}

TEST(IarRewriter, SameNameRewritesEachFileInPlace) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup);
    TempDir tmp;
    WriteProject(tmp, "Motor");
    WriteFile(tmp / "Motor.ewp", "<state>motor</state>\n<state>Motor</state>\n");
    ParseIAR(tmp.path(), "Motor", TestValues(backup, "Motor"));
    EXPECT_EQ(ReadFile(tmp / "Motor.ewp"), "<state>motor</state>\r\n<state>Motor</state>\r\n");
    EXPECT_EQ(ReadFile(tmp / "Motor.ewd"), "content of .ewd\r\n");
    EXPECT_EQ(ListTree(tmp.path()).size(), backup ? 8u : 4u);
  }
}

TEST(IarRewriter, StaleBackupsAreNeverTheInput) {
  TempDir tmp;
  WriteFile(tmp / "Motor.ewp", "<state>Motor</state>\n");
  WriteFile(tmp / "Motor.ewp.bak", "<state>Stale</state>\n");
  ParseIAR(tmp.path(), "Motor", TestValues(true, "Motor"));
  EXPECT_EQ(ReadFile(tmp / "Motor.ewp"), "<state>Motor</state>\r\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.ewp.bak"), "<state>Motor</state>\n");
}

TEST(IarRewriter, NamesWithBlanksAndNonAsciiBytes) {
  TempDir tmp;
  const std::string old_base = "My M\xf6tor";
  const std::string new_name = "P\xc3\xbcmp 2";
  WriteFile(tmp / (old_base + ".ewp"), "<state>" + old_base + ".out</state>\n");
  WriteFile(tmp / (old_base + ".dep"), "$PROJ_DIR$\\MY M\xf6TOR.out\n");
  ParseIAR(tmp.path(), old_base, TestValues(false, new_name));
  EXPECT_EQ(ReadFile(tmp / (new_name + ".ewp")), "<state>" + new_name + ".out</state>\r\n");
  // Only A to Z fold: the non-ASCII byte must match exactly, and does.
  EXPECT_EQ(ReadFile(tmp / (new_name + ".dep")), "$PROJ_DIR$\\" + new_name + ".out\r\n");
}

TEST(IarRewriter, NonAsciiBytesDoNotFoldCase) {
  TempDir tmp;
  WriteFile(tmp / "M\xf6.dep", "\\M\xd6\n");
  ParseIAR(tmp.path(), "M\xf6", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.dep"), "\\M\xd6\r\n");
}

// The disk fills up while the project file is written: the workspace is
// done with its backup kept, the project file is as it was, the later kinds
// are untouched.
TEST(IarRewriter, WriteFailurePartWayLeavesEveryFileAsItWas) {
  TempDir tmp;
  WriteProject(tmp, "Motor");
  std::string big;
  while (big.size() < 1024 * 1024) big += "<state>Motor</state>\n";
  WriteFile(tmp / "Motor.ewp", big);
  {
    testing::WriteBudget budget(400 * 1024);
    EXPECT_THROW(ParseIAR(tmp.path(), "Motor", TestValues()), IoError);
  }
  EXPECT_EQ(ListTree(tmp.path()), Sorted({"Motor.eww", "Motor.ewp", "Motor.ewd", "Motor.dep"}));
  EXPECT_EQ(ReadFile(tmp / "Motor.eww"), "content of .eww\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.ewp"), big);
}

TEST(IarRewriter, ReadOnlyTargetStopsBeforeAnyKind) {
  TempDir tmp;
  WriteProject(tmp, "Motor");
  WriteFile(tmp / "Pump.ewd", "locked\n");
  testing::MakeReadOnly(tmp / "Pump.ewd");
  try {
    ParseIAR(tmp.path(), "Motor", TestValues());
    FAIL() << "no error raised";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), IoErrorCode::kAccessDenied);
  }
  EXPECT_EQ(ReadFile(tmp / "Motor.ewd"), "content of .ewd\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.dep"), "content of .dep\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.ewp"), "content of .ewp\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.eww"), "content of .eww\n");
  EXPECT_FALSE(FileExists(tmp / "Pump.eww"));
  EXPECT_EQ(ReadFile(tmp / "Pump.ewd"), "locked\n");
}

class IarLineEnds : public ::testing::TestWithParam<testing::LineEndCase> {};

TEST_P(IarLineEnds, EveryKindCopiesByteExactly) {
  TempDir tmp;
  for (const std::string& ext : kExtensions) WriteFile(tmp / ("Motor" + ext), GetParam().Input());
  ParseIAR(tmp.path(), "Motor", TestValues());
  for (const std::string& ext : kExtensions) {
    EXPECT_EQ(ReadFile(tmp / ("Pump" + ext)), GetParam().Output()) << ext;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IarLineEnds, ::testing::ValuesIn(testing::LineEndCases()),
                         testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
