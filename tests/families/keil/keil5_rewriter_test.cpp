#include "families/keil/keil5_rewriter.h"

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "families/keil/keil_rewriter.h"
#include "core/xml_stream.h"
#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::Snapshot;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

// Old name Motor, new name Pump; the options file only when given. uVision 4
// files carry the same elements and follow the same rules.
struct ValueRule {
  std::string label;
  std::string project;
  std::string written;
  std::string options = {};
  std::string options_written = {};
};

class Keil5ValueRule : public ::testing::TestWithParam<ValueRule> {};

// Writes `project` (and `options`, when given) as Motor's files in `dir`
// below a new folder that also holds `files`, renames Motor to Pump in both
// generations and expects what they become.
void ExpectBothGenerations(const std::vector<std::string>& files, std::string_view dir,
                           const std::string& project_text, const std::string& written,
                           const std::string& options_text, const std::string& options_written) {
  using Parse = void (*)(std::string_view, std::string_view, const RewriteValues&);
  for (const auto& [parse, project, options] :
       {std::tuple<Parse, std::string, std::string>{&ParseKEILUV5, ".uvprojx", ".uvoptx"},
        {&ParseKEILUV, ".uvproj", ".uvopt"}}) {
    SCOPED_TRACE(project);
    TempDir tmp;
    for (const std::string& f : files) WriteFile(tmp / f, f);
    const std::string in = dir.empty() ? std::string() : std::string(dir) + "/";
    WriteFile(tmp / (in + "Motor" + project), project_text);
    if (!options_text.empty()) WriteFile(tmp / (in + "Motor" + options), options_text);
    parse(dir.empty() ? tmp.path() : tmp / dir, "Motor", TestValues());
    EXPECT_EQ(ReadFile(tmp / (in + "Pump" + project)), written);
    if (!options_text.empty()) {
      EXPECT_EQ(ReadFile(tmp / (in + "Pump" + options)), options_written);
    }
  }
}

TEST_P(Keil5ValueRule, RewritesOnlyTheNamedValues) {
  const ValueRule& c = GetParam();
  ExpectBothGenerations({}, "", c.project, c.written, c.options, c.options_written);
}

const std::string kMotorTarget = "<Target><TargetName>Motor</TargetName>";
const std::string kPumpTarget = "<Target><TargetName>Pump</TargetName>";

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5ValueRule,
    ::testing::Values(
        ValueRule{"OutputNameEqual", "<OutputName>Motor</OutputName>",
                  "<OutputName>Pump</OutputName>"},
        ValueRule{"OutputNameOtherCase", "<OutputName>mOTOR</OutputName>",
                  "<OutputName>Pump</OutputName>"},
        ValueRule{"OutputNameWithRest", "<OutputName>MOTOR_v2.1</OutputName>",
                  "<OutputName>Pump_v2.1</OutputName>"},
        ValueRule{"OutputNameWithEntity", "<OutputName>Motor&amp;Co</OutputName>",
                  "<OutputName>Pump&amp;Co</OutputName>"},
        ValueRule{"OutputNameNotAtStart",
                  "<OutputName> Motor</OutputName><OutputName>xMotor</OutputName>",
                  "<OutputName> Motor</OutputName><OutputName>xMotor</OutputName>"},
        ValueRule{"TargetNameEqual", kMotorTarget + "</Target>", kPumpTarget + "</Target>"},
        ValueRule{"TargetNamesThatDiffer",
                  "<Target><TargetName>Motor Debug</TargetName></Target>"
                  "<Target><TargetName>Target 1</TargetName></Target>",
                  "<Target><TargetName>Motor Debug</TargetName></Target>"
                  "<Target><TargetName>Target 1</TargetName></Target>"},
        ValueRule{"EmptyTargetName", "<Target><TargetName></TargetName><TargetName/></Target>",
                  "<Target><TargetName></TargetName><TargetName/></Target>"},
        ValueRule{"TargetInfoFollowsTheTarget",
                  kMotorTarget + "</Target><targetInfo name=\"MOTOR\"/>" +
                      "<targetInfo versionMatchMode=\"fixed\" name='Motor'/>"
                      "<targetInfo name=\"Target 1\"/>",
                  kPumpTarget + "</Target><targetInfo name=\"Pump\"/>" +
                      "<targetInfo versionMatchMode=\"fixed\" name='Pump'/>"
                      "<targetInfo name=\"Target 1\"/>"},
        ValueRule{"TargetInfoWithoutSuchTarget", "<targetInfo name=\"Motor\"/>",
                  "<targetInfo name=\"Motor\"/>"},
        ValueRule{"RteReferences",
                  kMotorTarget + "<IncludePath>..\\Inc;.\\RTE\\_Motor;RTE/_motor/x;" +
                      ".\\RTE\\_Motor2;MyRTE\\_Motor;RTE\\_Motor.h</IncludePath>" +
                      "<FilePath>RTE\\_Motor\\a.c</FilePath></Target>",
                  kPumpTarget + "<IncludePath>..\\Inc;.\\RTE\\_Pump;RTE/_Pump/x;" +
                      ".\\RTE\\_Motor2;MyRTE\\_Motor;RTE\\_Motor.h</IncludePath>" +
                      "<FilePath>RTE\\_Pump\\a.c</FilePath></Target>"},
        ValueRule{"RteReferencesOfOtherTargets",
                  "<Target><TargetName>Target 1</TargetName>"
                  "<IncludePath>.\\RTE\\_Target_1;.\\RTE\\_Motor</IncludePath></Target>",
                  "<Target><TargetName>Target 1</TargetName>"
                  "<IncludePath>.\\RTE\\_Target_1;.\\RTE\\_Motor</IncludePath></Target>"},
        // Facts that come after the values they change.
        ValueRule{"RteReferenceBeforeItsTarget",
                  "<Target><TargetName>Debug</TargetName><IncludePath>.\\RTE\\_Motor"
                  "</IncludePath></Target>" +
                      kMotorTarget + "</Target>",
                  "<Target><TargetName>Debug</TargetName><IncludePath>.\\RTE\\_Pump"
                  "</IncludePath></Target>" +
                      kPumpTarget + "</Target>"},
        ValueRule{"TargetInfoBeforeItsTarget", "<targetInfo name=\"Motor\"/>" + kMotorTarget,
                  "<targetInfo name=\"Pump\"/>" + kPumpTarget},
        ValueRule{"ScatterFileBeforeTheOutput",
                  "<Target><ScatterFile>.\\Objects\\Motor.sct</ScatterFile><OutputDirectory>"
                  ".\\Objects\\</OutputDirectory><OutputName>Motor</OutputName></Target>",
                  "<Target><ScatterFile>.\\Objects\\Pump.sct</ScatterFile><OutputDirectory>"
                  ".\\Objects\\</OutputDirectory><OutputName>Pump</OutputName></Target>"},
        ValueRule{"NeverTouched",
                  "<Motor><Device>Motor</Device><Vendor>Motor</Vendor><PackID>Motor.DFP</PackID>"
                  "<Define>Motor</Define><GroupName>Motor</GroupName><FileName>Motor.c</FileName>"
                  "<FilePath>.\\Motor.c</FilePath><UserProg1Name>fromelf $L@L.bin #L "
                  "Motor</UserProg1Name><OutputDirectory>Motor\\</OutputDirectory>"
                  "<ListingPath>.\\Motor\\</ListingPath><LayName>Motor</LayName></Motor>",
                  "<Motor><Device>Motor</Device><Vendor>Motor</Vendor><PackID>Motor.DFP</PackID>"
                  "<Define>Motor</Define><GroupName>Motor</GroupName><FileName>Motor.c</FileName>"
                  "<FilePath>.\\Motor.c</FilePath><UserProg1Name>fromelf $L@L.bin #L "
                  "Motor</UserProg1Name><OutputDirectory>Motor\\</OutputDirectory>"
                  "<ListingPath>.\\Motor\\</ListingPath><LayName>Motor</LayName></Motor>"},
        ValueRule{"ElementNameInOtherCase", "<outputname>Motor</outputname>",
                  "<outputname>Motor</outputname>"},
        ValueRule{"InsideCommentsAndCdata",
                  "<!-- <OutputName>Motor</OutputName> --->"
                  "<![CDATA[<OutputName>Motor</OutputName>]]]><OutputName>Motor</OutputName>",
                  "<!-- <OutputName>Motor</OutputName> --->"
                  "<![CDATA[<OutputName>Motor</OutputName>]]]><OutputName>Pump</OutputName>"},
        ValueRule{"BomDeclarationAndLineEnds",
                  "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r"
                  "<Project>\n  <OutputName>Motor</OutputName>\r\n\t<!-- \xe4\xf6 -->\r\r\n",
                  "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r"
                  "<Project>\n  <OutputName>Pump</OutputName>\r\n\t<!-- \xe4\xf6 -->\r\r\n"},
        ValueRule{"DeclarationWithoutEncodingAndBareLineEnds",
                  "<?xml version=\"1.0\" standalone=\"no\" ?>\n<OutputName>Motor</OutputName>",
                  "<?xml version=\"1.0\" standalone=\"no\" ?>\n<OutputName>Pump</OutputName>"},
        ValueRule{"ValueSpreadOverLines",
                  "<OutputName>\r\nMotor</OutputName><OutputName>Motor\r\n</OutputName>",
                  "<OutputName>\r\nMotor</OutputName><OutputName>Pump\r\n</OutputName>"},
        ValueRule{"NotXml", "Motor > < Motor <<OutputName Motor",
                  "Motor > < Motor <<OutputName Motor"},
        ValueRule{"Truncated", kMotorTarget + "<OutputName>Motor",
                  kPumpTarget + "<OutputName>Motor"},
        ValueRule{"TruncatedInATag", "<OutputName>Motor</OutputName><Outp",
                  "<OutputName>Pump</OutputName><Outp"},
        ValueRule{"OptionsFollowTheRenamedTarget", kMotorTarget + "</Target>",
                  kPumpTarget + "</Target>",
                  kMotorTarget + "<OutputName>Motor</OutputName><PathWithFileName>.\\RTE\\_Motor\\"
                                 "x.h</PathWithFileName></Target>\n",
                  kPumpTarget + "<OutputName>Motor</OutputName><PathWithFileName>.\\RTE\\_Pump\\"
                                "x.h</PathWithFileName></Target>\n"},
        ValueRule{"OptionsWithoutRenamedTarget", "<Target><TargetName>Debug</TargetName></Target>",
                  "<Target><TargetName>Debug</TargetName></Target>", kMotorTarget + "</Target>",
                  kMotorTarget + "</Target>"}),
    testing::ParamLabel());

TEST(Keil5Rewriter, PiecesAcrossBuffersAndOverlongValues) {
  TempDir tmp;
  constexpr std::size_t kReadBuffer = 256 * 1024;
  const std::string filler(kReadBuffer - 5, ' ');
  const std::string overlong(kMaxXmlPiece + 1, 'v');
  const std::string input = filler + "<OutputName>Motor</OutputName><OutputName>Motor" + overlong +
                            "</OutputName>" + filler + "<OutputName>Motor</OutputName>";
  WriteFile(tmp / "Motor.uvprojx", input);
  ParseKEILUV5(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.uvprojx"),
            filler + "<OutputName>Pump</OutputName><OutputName>Motor" + overlong + "</OutputName>" +
                filler + "<OutputName>Pump</OutputName>");
}

// The files beside the project and their backups.
struct FilesCase {
  std::string label;
  std::vector<std::string> present;
  bool backup = false;
  std::vector<std::string> after;
};

class Keil5Files : public ::testing::TestWithParam<FilesCase> {};

TEST_P(Keil5Files, LeaveTheExpectedFiles) {
  TempDir tmp;
  for (const std::string& f : GetParam().present) WriteFile(tmp / f, "<x>Motor</x>\n");
  ParseKEILUV5(tmp.path(), "Motor", TestValues(GetParam().backup));
  EXPECT_EQ(ListTree(tmp.path()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5Files,
    ::testing::Values(
        FilesCase{"WithoutBackup",
                  {"Motor.uvprojx", "Motor.uvoptx", "Motor.uvguix.anna", "Motor.uvguix.Bob"},
                  false,
                  {"Pump.uvguix.Bob", "Pump.uvguix.anna", "Pump.uvoptx", "Pump.uvprojx"}},
        FilesCase{"LayoutOfTheNewNameIsKept",
                  {"Motor.uvprojx", "Motor.uvguix.anna", "Pump.uvguix.anna", "Other.uvguix.anna"},
                  false,
                  {"Motor.uvguix.anna", "Other.uvguix.anna", "Pump.uvguix.anna", "Pump.uvprojx"}},
        FilesCase{"UvisionFourFilesAreNotTouched",
                  {"Motor.uvproj", "Motor.uvopt", "Motor.uvgui.anna"},
                  false,
                  {"Motor.uvgui.anna", "Motor.uvopt", "Motor.uvproj"}}),
    testing::ParamLabel());

// The ScatterFile rules: row files lie below the project folder "p", "..."
// names a file beside it.
struct ScatterCase {
  std::string label;
  std::vector<std::string> files;
  std::string scatter;
  std::string written;
  std::vector<std::string> after;  // the .sct files below tmp afterwards
};

class Keil5Scatter : public ::testing::TestWithParam<ScatterCase> {};

TEST_P(Keil5Scatter, FollowsOnlyWhereNothingGoesMissing) {
  TempDir tmp;
  for (const std::string& f : GetParam().files) WriteFile(tmp / f, "sct " + f);
  auto project = [](std::string_view output_name, std::string_view scatter) {
    return "<Target><OutputDirectory>.\\Objects\\</OutputDirectory><OutputName>" +
           std::string(output_name) + "</OutputName><ScatterFile>" + std::string(scatter) +
           "</ScatterFile></Target>";
  };
  WriteFile(tmp / "p/Motor.uvprojx", project("Motor", GetParam().scatter));
  ParseKEILUV5(tmp / "p", "Motor", TestValues());
  EXPECT_EQ(ReadFile(tmp / "p/Pump.uvprojx"), project("Pump", GetParam().written));
  std::vector<std::string> scatter_files;
  for (const std::string& f : ListTree(tmp.path())) {
    if (f.ends_with(".sct")) scatter_files.push_back(f);
  }
  EXPECT_EQ(scatter_files, GetParam().after);
  for (const std::string& f : GetParam().files) {
    if (f.starts_with("out/")) {
      EXPECT_EQ(ReadFile(tmp / f), "sct " + f);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5Scatter,
    ::testing::Values(
        ScatterCase{"HandWrittenInTheProject",
                    {"p/motor.sct"},
                    ".\\Motor.sct",
                    ".\\Pump.sct",
                    {"p/Pump.sct"}},
        ScatterCase{"HandWrittenInASubFolder",
                    {"p/cfg/Motor_flash.sct"},
                    "cfg/Motor_flash.sct",
                    "cfg/Pump_flash.sct",
                    {"p/cfg/Pump_flash.sct"}},
        ScatterCase{
            "GeneratedNotYetBuilt", {}, ".\\Objects\\Motor.sct", ".\\Objects\\Pump.sct", {}},
        ScatterCase{"GeneratedAndBuilt",
                    {"p/Objects/Motor.sct"},
                    ".\\Objects\\Motor.sct",
                    ".\\Objects\\Pump.sct",
                    {"p/Objects/Pump.sct"}},
        ScatterCase{"MissingElsewhere", {}, ".\\cfg\\Motor.sct", ".\\cfg\\Motor.sct", {}},
        ScatterCase{"NewNameTaken",
                    {"p/Motor.sct", "p/Pump.sct"},
                    "Motor.sct",
                    "Motor.sct",
                    {"p/Motor.sct", "p/Pump.sct"}},
        ScatterCase{"OutsideTheProject",
                    {"out/Motor.sct"},
                    "..\\out\\Motor.sct",
                    "..\\out\\Motor.sct",
                    {"out/Motor.sct"}},
        ScatterCase{"Absolute", {}, "C:\\Keil\\Motor.sct", "C:\\Keil\\Motor.sct", {}},
        ScatterCase{"OtherName", {"p/board.sct"}, ".\\board.sct", ".\\board.sct", {"p/board.sct"}}),
    testing::ParamLabel());

// The group entries naming a file the rename moves (the scatter file, on
// disk below the project folder "p") follow it, in the project and the
// options file of both generations; "@" stands for Motor before, Pump after.
struct GroupEntryCase {
  std::string label;
  std::vector<std::string> files;
  std::string project;
  std::string written;
  std::string options = {};
  std::string options_written = {};
};

class Keil5GroupEntry : public ::testing::TestWithParam<GroupEntryCase> {};

TEST_P(Keil5GroupEntry, FollowsTheFileItNames) {
  const GroupEntryCase& c = GetParam();
  ExpectBothGenerations(c.files, "p", c.project, c.written, c.options, c.options_written);
}

std::string Scatter(std::string_view file) {
  return "<Target><ScatterFile>" + std::string(file) + "</ScatterFile>";
}
std::string Entry(std::string_view name, std::string_view path) {
  return "<File><FileName>" + std::string(name) + "</FileName><FileType>5</FileType><FilePath>" +
         std::string(path) + "</FilePath></File>";
}
std::string OptionsEntry(std::string_view path, std::string_view name) {
  return "<File><PathWithFileName>" + std::string(path) +
         "</PathWithFileName><FilenameWithoutPath>" + std::string(name) +
         "</FilenameWithoutPath></File>";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5GroupEntry,
    ::testing::Values(
        GroupEntryCase{"ScatterFileListedInAGroup",
                       {"p/Motor.sct"},
                       Scatter(".\\Motor.sct") + Entry("Motor.sct", ".\\Motor.sct") + "</Target>",
                       Scatter(".\\Pump.sct") + Entry("Pump.sct", ".\\Pump.sct") + "</Target>",
                       OptionsEntry(".\\Motor.sct", "Motor.sct"),
                       OptionsEntry(".\\Pump.sct", "Pump.sct")},
        // Known only at the second target: the file is streamed again.
        GroupEntryCase{"ListedBeforeTheTargetThatRenamesIt",
                       {"p/cfg/motor.sct"},
                       "<Target>" + Entry("motor.sct", "cfg\\motor.sct") + "</Target>" +
                           Scatter("cfg\\Motor.sct") + "</Target>",
                       "<Target>" + Entry("Pump.sct", "cfg\\Pump.sct") + "</Target>" +
                           Scatter("cfg\\Pump.sct") + "</Target>"},
        GroupEntryCase{
            "SameNameElsewhereAndSourcesStay",
            {"p/Motor.sct", "p/old/Motor.sct", "p/Motor_io.c"},
            Scatter("Motor.sct") + Entry("Motor.sct", "old\\Motor.sct") +
                Entry("Motor_io.c", ".\\Motor_io.c") + "</Target>",
            Scatter("Pump.sct") + Entry("Motor.sct", "old\\Motor.sct") +
                Entry("Motor_io.c", ".\\Motor_io.c") + "</Target>",
            OptionsEntry("old\\Motor.sct", "Motor.sct") + OptionsEntry("Motor.sct", "Motor.sct"),
            OptionsEntry("old\\Motor.sct", "Motor.sct") + OptionsEntry("Pump.sct", "Pump.sct")},
        GroupEntryCase{"FileNotRenamedKeepsItsEntry",
                       {"p/Motor.sct", "p/Pump.sct"},
                       Scatter("Motor.sct") + Entry("Motor.sct", "Motor.sct") + "</Target>",
                       Scatter("Motor.sct") + Entry("Motor.sct", "Motor.sct") + "</Target>"}),
    testing::ParamLabel());

// The run-time environment folder of a target named after the project.
struct RteCase {
  std::string label;
  std::vector<std::string> folders;  // below p/RTE
  std::string old_name;
  bool follows = false;
  std::vector<std::string> after;  // below p/RTE
};

class Keil5Rte : public ::testing::TestWithParam<RteCase> {};

TEST_P(Keil5Rte, FolderAndReferencesMoveTogether) {
  TempDir tmp;
  const std::string old_name = GetParam().old_name;
  testing::MakeDirs(tmp / "p/RTE");
  for (const std::string& f : GetParam().folders) WriteFile(tmp / ("p/RTE/" + f + "/a.h"), f);
  const std::string folder = "_" + std::string(old_name == "Motor" ? "Motor" : "Motor_Unit");
  auto project = [&](std::string_view target, std::string_view rte) {
    return "<Target><TargetName>" + std::string(target) + "</TargetName><IncludePath>RTE\\" +
           std::string(rte) + "</IncludePath></Target>";
  };
  WriteFile(tmp / ("p/" + old_name + ".uvprojx"), project(old_name, folder));
  ParseKEILUV5(tmp / "p", old_name, TestValues());
  EXPECT_EQ(ReadFile(tmp / "p/Pump.uvprojx"),
            project("Pump", GetParam().follows ? "_Pump" : folder));
  std::vector<std::string> after;
  for (const std::string& f : ListTree(tmp / "p/RTE")) {
    if (f.ends_with("/a.h"))
      after.push_back(f.substr(0, f.size() - 4) + "=" + ReadFile(tmp / ("p/RTE/" + f)));
  }
  EXPECT_EQ(after, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5Rte,
    ::testing::Values(
        RteCase{"Renamed",
                {"_Motor", "_Target_1"},
                "Motor",
                true,
                {"_Pump=_Motor", "_Target_1=_Target_1"}},
        RteCase{"BlanksAsUnderscores", {"_Motor_Unit"}, "Motor Unit", true, {"_Pump=_Motor_Unit"}},
        RteCase{"NotYetMade", {}, "Motor", true, {}},
        RteCase{"NewFolderTaken",
                {"_Motor", "_Pump"},
                "Motor",
                false,
                {"_Motor=_Motor", "_Pump=_Pump"}}),
    testing::ParamLabel());

// The debugger settings of a target renamed with the project, in
// p/DebugConfig; the project "Motor Unit" with one target on the device
// "ORL32F103C8".
struct DebugConfigCase {
  std::string label;
  std::vector<std::string> files;  // below p/DebugConfig
  std::vector<std::string> after;
  std::string target = "Motor Unit";
};

class Keil5DebugConfig : public ::testing::TestWithParam<DebugConfigCase> {};

TEST_P(Keil5DebugConfig, FollowsTheRenamedTarget) {
  TempDir tmp;
  testing::MakeDirs(tmp / "p/DebugConfig");
  for (const std::string& f : GetParam().files) WriteFile(tmp / ("p/DebugConfig/" + f), f);
  WriteFile(tmp / "p/Motor Unit.uvprojx", "<Target><TargetName>" + GetParam().target +
                                              "</TargetName><Device>ORL32F103C8</Device></Target>");
  ParseKEILUV5(tmp / "p", "Motor Unit", TestValues(false, "New Pump"));
  std::vector<std::string> after;
  for (const std::string& f : ListTree(tmp / "p/DebugConfig")) {
    after.push_back(f + "=" + ReadFile(tmp / ("p/DebugConfig/" + f)));
  }
  EXPECT_EQ(after, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5DebugConfig,
    ::testing::Values(
        DebugConfigCase{
            "WithPackVersion",
            {"Motor_Unit_ORL32F103C8_1.0.0.dbgconf"},
            {"New_Pump_ORL32F103C8_1.0.0.dbgconf=Motor_Unit_ORL32F103C8_1.0.0.dbgconf"}},
        DebugConfigCase{"WithoutVersionInOtherCase",
                        {"motor_unit_orl32f103c8.DBGCONF"},
                        {"New_Pump_orl32f103c8.DBGCONF=motor_unit_orl32f103c8.DBGCONF"}},
        DebugConfigCase{"OtherTargetsAndDevices",
                        {"Target_1_ORL32F103C8.dbgconf", "Motor_Unit_ORL32F407.dbgconf",
                         "Motor_Unit_ORL32F103C8x.dbgconf", "Motor_Unit_ORL32F103C8.ini"},
                        {"Motor_Unit_ORL32F103C8.ini=Motor_Unit_ORL32F103C8.ini",
                         "Motor_Unit_ORL32F103C8x.dbgconf=Motor_Unit_ORL32F103C8x.dbgconf",
                         "Motor_Unit_ORL32F407.dbgconf=Motor_Unit_ORL32F407.dbgconf",
                         "Target_1_ORL32F103C8.dbgconf=Target_1_ORL32F103C8.dbgconf"}},
        DebugConfigCase{"NewNameTaken",
                        {"Motor_Unit_ORL32F103C8.dbgconf", "New_Pump_ORL32F103C8.dbgconf"},
                        {"Motor_Unit_ORL32F103C8.dbgconf=Motor_Unit_ORL32F103C8.dbgconf",
                         "New_Pump_ORL32F103C8.dbgconf=New_Pump_ORL32F103C8.dbgconf"}},
        DebugConfigCase{"TargetNotRenamed",
                        {"Target_1_ORL32F103C8.dbgconf"},
                        {"Target_1_ORL32F103C8.dbgconf=Target_1_ORL32F103C8.dbgconf"},
                        "Target 1"}),
    testing::ParamLabel());

// A link in the project folder p to a file or folder outside it ("out"):
// the link stays, what it points to is neither renamed nor changed, the
// rest of the project follows.
struct LinkCase {
  std::string label;
  std::string link;    // below p
  std::string target;  // below out
  std::string project;
  std::string written;  // the project file afterwards; none: the project is the link
};

class Keil5Link : public ::testing::TestWithParam<LinkCase> {};

TEST_P(Keil5Link, LeavesWhatLiesOutsideAlone) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  for (const char* f :
       {"real.sct", "real.uvprojx", "Motor_D1.dbgconf", "cfg/Motor_D1.dbgconf", "rte/a.h"}) {
    WriteFile(tmp / ("out/" + std::string(f)), "<OutputName>Motor</OutputName>");
  }
  const auto outside = Snapshot(tmp / "out");
  const std::string& link = GetParam().link;
  testing::MakeDirs(tmp / ("p/" + link.substr(0, link.rfind('/') + 1)));
  testing::MakeSymlink(tmp / ("out/" + GetParam().target), tmp / ("p/" + link));
  if (!GetParam().project.empty()) WriteFile(tmp / "p/Motor.uvprojx", GetParam().project);
  WriteFile(tmp / "p/Motor.uvoptx", "<x/>");
  ParseKEILUV5(tmp / "p", "Motor", TestValues());
  EXPECT_EQ(Snapshot(tmp / "out"), outside);
  EXPECT_TRUE(IsLink(tmp / ("p/" + link)));
  EXPECT_EQ(ReadFile(tmp / "p/Pump.uvoptx"), "<x/>");
  if (GetParam().written.empty()) {
    EXPECT_FALSE(AnythingExists(tmp / "p/Pump.uvprojx"));
  } else {
    EXPECT_EQ(ReadFile(tmp / "p/Pump.uvprojx"), GetParam().written);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Keil5Link,
    ::testing::Values(LinkCase{"ScatterFile", "Motor.sct", "real.sct",
                               "<Target><ScatterFile>Motor.sct</ScatterFile></Target>",
                               "<Target><ScatterFile>Motor.sct</ScatterFile></Target>"},
                      LinkCase{"DebugConfig", "DebugConfig/Motor_D1.dbgconf", "Motor_D1.dbgconf",
                               kMotorTarget + "<Device>D1</Device></Target>",
                               kPumpTarget + "<Device>D1</Device></Target>"},
                      LinkCase{"DebugConfigFolder", "DebugConfig", "cfg",
                               kMotorTarget + "<Device>D1</Device></Target>",
                               kPumpTarget + "<Device>D1</Device></Target>"},
                      LinkCase{"RteFolder", "RTE/_Motor", "rte",
                               kMotorTarget + "<IncludePath>RTE\\_Motor</IncludePath></Target>",
                               kPumpTarget + "<IncludePath>RTE\\_Motor</IncludePath></Target>"},
                      LinkCase{"ProjectFile", "Motor.uvprojx", "real.uvprojx", "", ""}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
