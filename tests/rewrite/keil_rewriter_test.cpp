#include "rewrite/keil_rewriter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

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

TEST(KeilRewriter, NamesWithBlanksAndNonAsciiBytes) {
  TempDir tmp;
  WriteFile(tmp / "Old \xe9.uvproj", "<OutputName>old \xe9</OutputName>\n");
  ParseKEILUV(tmp.path(), "Old \xe9", TestValues(false, "N\xc3\xa9w 1"));
  EXPECT_EQ(ReadFile(tmp / "N\xc3\xa9w 1.uvproj"), "<OutputName>N\xc3\xa9w 1</OutputName>\n");
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"N\xc3\xa9w 1.uvproj"});
}

}  // namespace
}  // namespace kelvandor
