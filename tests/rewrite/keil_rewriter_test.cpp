#include "rewrite/keil_rewriter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "tests/rewrite/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

struct LineRule {
  std::string label;
  std::string line;
  std::string written;
};

class KeilValueRule : public ::testing::TestWithParam<LineRule> {};

TEST_P(KeilValueRule, RewritesTheProjectLine) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", GetParam().line + "\r\n");
  WriteFile(tmp / "Motor.uvopt", GetParam().line + "\r\n");
  ParseKEILUV(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), GetParam().written + "\r\n");
  EXPECT_EQ(ReadFile(tmp / "Pump.uvopt"), GetParam().line + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeilValueRule,
    ::testing::Values(
        LineRule{"TargetName", "<TargetName>Motor</TargetName>", "<TargetName>Pump</TargetName>"},
        LineRule{"UpperCase", "<OutputName>MOTOR</OutputName>", "<OutputName>Pump</OutputName>"},
        LineRule{"FirstOnly", "<a>Motor</a><b>Motor</b>", "<a>Pump</a><b>Motor</b>"},
        LineRule{"NotAfterGreaterThan", "<Dir>.\\Motor\\Obj</Dir>", "<Dir>.\\Motor\\Obj</Dir>"},
        LineRule{"LongerValue", "<Name>MotorTest</Name>", "<Name>PumpTest</Name>"},
        LineRule{"Indented", "      <OutputDirectory>motor</OutputDirectory>",
                 "      <OutputDirectory>Pump</OutputDirectory>"},
        LineRule{"BlankAfterGreaterThan", "<a> Motor</a>", "<a> Motor</a>"},
        LineRule{"Plain", "<Device>STM32</Device>", "<Device>STM32</Device>"}),
    testing::ParamLabel());

TEST(KeilRewriter, LongRemainderIsKeptWhole) {
  TempDir tmp;
  const std::string tail(1500, 'v');
  WriteFile(tmp / "Motor.uvproj", "<a>Motor" + tail + "</a>\n");
  ParseKEILUV(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), "<a>Pump" + tail + "</a>\r\n");
}

TEST(KeilRewriter, EmptyOldNameReplacesNothing) {
  TempDir tmp;
  WriteFile(tmp / ".uvproj", "<a>b</a>\n");
  ParseKEILUV(tmp.path(), "", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), "<a>b</a>\r\n");
}

struct BackupCase {
  std::string label;
  std::vector<std::string> present;
  bool backup = false;
  std::vector<std::string> after;
};

class KeilBackups : public ::testing::TestWithParam<BackupCase> {};

TEST_P(KeilBackups, LeaveTheExpectedFiles) {
  TempDir tmp;
  for (const std::string& ext : GetParam().present) WriteFile(tmp / ("Motor" + ext), "<x>Motor\n");
  ParseKEILUV(tmp.path(), "Motor", TestValues(GetParam().backup));
  EXPECT_EQ(ListTree(tmp.path()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeilBackups,
    ::testing::Values(
        BackupCase{
            "BothWithoutBackup", {".uvproj", ".uvopt"}, false, {"Pump.uvopt", "Pump.uvproj"}},
        BackupCase{"BothWithBackup",
                   {".uvproj", ".uvopt"},
                   true,
                   {"Motor.uvopt.bak", "Motor.uvproj.bak", "Pump.uvopt", "Pump.uvproj"}},
        BackupCase{"OnlyProject", {".uvproj"}, false, {"Pump.uvproj"}},
        BackupCase{"OnlyOptionsWithBackup", {".uvopt"}, true, {"Motor.uvopt.bak", "Pump.uvopt"}},
        BackupCase{"Neither", {}, false, {}}),
    testing::ParamLabel());

TEST(KeilRewriter, SameNameRewritesInPlace) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", "<a>MOTOR</a>\n");
  WriteFile(tmp / "Motor.uvproj.bak", "stale\n");
  ParseKEILUV(tmp.path(), "Motor", TestValues(true, "Motor"));
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj"), "<a>Motor</a>\r\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj.bak"), "<a>MOTOR</a>\n");
}

TEST(KeilRewriter, NamesWithBlanksAndNonAsciiBytes) {
  TempDir tmp;
  WriteFile(tmp / "Old \xe9.uvproj", "<n>old \xe9</n>\n");
  ParseKEILUV(tmp.path(), "Old \xe9", TestValues(false, "N\xc3\xa9w 1"));
  EXPECT_EQ(ReadFile(tmp / "N\xc3\xa9w 1.uvproj"), "<n>N\xc3\xa9w 1</n>\r\n");
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"N\xc3\xa9w 1.uvproj"});
}

TEST(KeilRewriter, WriteFailureInTheOptionsFileLosesNoContent) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", "<a>Motor</a>\n");
  std::string options;
  while (options.size() < 1024 * 1024) options += "<opt>Motor</opt>\n";
  WriteFile(tmp / "Motor.uvopt", options);
  {
    testing::WriteBudget budget(500 * 1024);
    EXPECT_THROW(ParseKEILUV(tmp.path(), "Motor", TestValues()), IoError);
  }
  EXPECT_EQ(ListTree(tmp.path()), (std::vector<std::string>{"Motor.uvopt", "Motor.uvproj"}));
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj"), "<a>Motor</a>\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.uvopt"), options);
}

class KeilLineEnds : public ::testing::TestWithParam<testing::LineEndCase> {};

TEST_P(KeilLineEnds, BothKindsCopyByteExactly) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", GetParam().Input());
  WriteFile(tmp / "Motor.uvopt", GetParam().Input());
  ParseKEILUV(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), GetParam().Output());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvopt"), GetParam().Output());
}

INSTANTIATE_TEST_SUITE_P(Cases, KeilLineEnds, ::testing::ValuesIn(testing::LineEndCases()),
                         testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
