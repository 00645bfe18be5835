#include "rewrite/keil_rewriter.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/rewrite/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

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

}  // namespace
}  // namespace kelvandor
