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

// uVision 4 project files carry the elements of uVision 5 (whose rules
// keil5_rewriter_test.cpp shows in full): only the values that name the
// project change, in both files, and every other byte stays.
struct LineRule {
  std::string label;
  std::string line;
  std::string written;
  std::string options_written = {};  // when it differs from `line`
};

class KeilValueRule : public ::testing::TestWithParam<LineRule> {};

TEST_P(KeilValueRule, RewritesOnlyTheValuesNamingTheProject) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", GetParam().line);
  WriteFile(tmp / "Motor.uvopt", GetParam().line);
  ParseKEILUV(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), GetParam().written);
  const std::string& options = GetParam().options_written;
  EXPECT_EQ(ReadFile(tmp / "Pump.uvopt"), options.empty() ? GetParam().line : options);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeilValueRule,
    ::testing::Values(
        LineRule{"TargetNameInBothFiles", "<Target><TargetName>Motor</TargetName></Target>\r\n",
                 "<Target><TargetName>Pump</TargetName></Target>\r\n",
                 "<Target><TargetName>Pump</TargetName></Target>\r\n"},
        LineRule{"OutputName", "<OutputName>MOTOR_v2</OutputName>\r\n",
                 "<OutputName>Pump_v2</OutputName>\r\n"},
        LineRule{"TargetNameThatGoesOn", "<TargetName>Motor Release</TargetName>\r\n",
                 "<TargetName>Motor Release</TargetName>\r\n"},
        LineRule{"NeverTouched",
                 "<Device>MotorCtl32</Device><GroupName>motor</GroupName>"
                 "<FileName>motor.c</FileName><FilePath>.\\motor.c</FilePath>"
                 "<Define>MOTOR_LED</Define><OutputDirectory>motor\\</OutputDirectory>\r\n",
                 "<Device>MotorCtl32</Device><GroupName>motor</GroupName>"
                 "<FileName>motor.c</FileName><FilePath>.\\motor.c</FilePath>"
                 "<Define>MOTOR_LED</Define><OutputDirectory>motor\\</OutputDirectory>\r\n"},
        LineRule{"DeclarationWithoutEncodingAndBareLineEnds",
                 "<?xml version=\"1.0\" standalone=\"no\" ?>\n<OutputName>Motor</OutputName>",
                 "<?xml version=\"1.0\" standalone=\"no\" ?>\n<OutputName>Pump</OutputName>"}),
    testing::ParamLabel());

TEST(KeilRewriter, NewNameIsWrittenAsXml) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj",
            "<Target><TargetName>Motor</TargetName><OutputName>Motor</OutputName></Target>");
  WriteFile(tmp / "Motor.uvopt", "<Target><TargetName>Motor</TargetName></Target>");
  ParseKEILUV(tmp.path(), "Motor", TestValues(false, "R&D_v2"));
  EXPECT_EQ(ReadFile(tmp / "R&D_v2.uvproj"),
            "<Target><TargetName>R&amp;D_v2</TargetName><OutputName>R&amp;D_v2</OutputName>"
            "</Target>");
  EXPECT_EQ(ReadFile(tmp / "R&D_v2.uvopt"), "<Target><TargetName>R&amp;D_v2</TargetName></Target>");
}

TEST(KeilRewriter, EmptyOldNameOnlyCopies) {
  TempDir tmp;
  WriteFile(tmp / ".uvproj", "<OutputName>b</OutputName>\n");
  ParseKEILUV(tmp.path(), "", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), "<OutputName>b</OutputName>\n");
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
  for (const std::string& ext : GetParam().present) {
    WriteFile(tmp / ("Motor" + ext), "<OutputName>Motor</OutputName>\n");
  }
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
  WriteFile(tmp / "Motor.uvproj", "<OutputName>MOTOR</OutputName>\n");
  WriteFile(tmp / "Motor.uvproj.bak", "stale\n");
  ParseKEILUV(tmp.path(), "Motor", TestValues(true, "Motor"));
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj"), "<OutputName>Motor</OutputName>\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj.bak"), "<OutputName>MOTOR</OutputName>\n");
}

TEST(KeilRewriter, NamesWithBlanksAndNonAsciiBytes) {
  TempDir tmp;
  WriteFile(tmp / "Old \xe9.uvproj", "<OutputName>old \xe9</OutputName>\n");
  ParseKEILUV(tmp.path(), "Old \xe9", TestValues(false, "N\xc3\xa9w 1"));
  EXPECT_EQ(ReadFile(tmp / "N\xc3\xa9w 1.uvproj"), "<OutputName>N\xc3\xa9w 1</OutputName>\n");
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"N\xc3\xa9w 1.uvproj"});
}

TEST(KeilRewriter, WriteFailureInTheOptionsFileLosesNoContent) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", "<TargetName>Motor</TargetName>\n");
  std::string options;
  while (options.size() < 1024 * 1024) options += "<TargetName>Motor</TargetName>\n";
  WriteFile(tmp / "Motor.uvopt", options);
  {
    testing::WriteBudget budget(500 * 1024);
    EXPECT_THROW(ParseKEILUV(tmp.path(), "Motor", TestValues()), IoError);
  }
  EXPECT_EQ(ListTree(tmp.path()), (std::vector<std::string>{"Motor.uvopt", "Motor.uvproj"}));
  EXPECT_EQ(ReadFile(tmp / "Motor.uvproj"), "<TargetName>Motor</TargetName>\n");
  EXPECT_EQ(ReadFile(tmp / "Motor.uvopt"), options);
}

class KeilLineEnds : public ::testing::TestWithParam<testing::LineEndCase> {};

TEST_P(KeilLineEnds, BothFilesKeepEveryByte) {
  TempDir tmp;
  WriteFile(tmp / "Motor.uvproj", GetParam().Input());
  WriteFile(tmp / "Motor.uvopt", GetParam().Input());
  ParseKEILUV(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvproj"), GetParam().Input());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvopt"), GetParam().Input());
}

INSTANTIATE_TEST_SUITE_P(Cases, KeilLineEnds, ::testing::ValuesIn(testing::LineEndCases()),
                         testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
