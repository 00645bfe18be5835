#include "families/iar/iar_rewriter.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::Sorted;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

using Tree = std::vector<std::string>;

struct LineRule {
  std::string label;
  std::string extension;  // the file the line stands in
  std::string line;
  std::string written;
  std::string old_name = "Motor";
};

class IarLineRules : public ::testing::TestWithParam<LineRule> {};

// The project of a dependency line: its output folders, one named after the
// project, and a source of the project's name.
std::string DependencyProject(const std::string& name) {
  const auto option = [](const std::string& option_name, const std::string& state) {
    return "<option><name>" + option_name + "</name><state>" + state + "</state></option>\r\n";
  };
  return "<project><configuration><name>Debug</name>\r\n" + option("ExePath", "Debug\\Exe") +
         option("ObjPath", name + "\\Obj") + option("ListPath", "$PROJ_DIR$\\Debug\\List") +
         "</configuration>\r\n<file><name>$PROJ_DIR$\\src\\" + name +
         ".c</name></file></project>\r\n";
}

// A workspace line stands in a <project> of a workspace holding the
// project's file; a dependency line beside DependencyProject.
TEST_P(IarLineRules, RewriteOneLine) {
  TempDir tmp;
  const std::string& name = GetParam().old_name;
  const bool workspace = GetParam().extension == ".eww";
  const std::string before = workspace ? "<workspace><project>\r\n" : "";
  const std::string after = workspace ? "</project></workspace>\r\n" : "";
  if (workspace) WriteFile(tmp / (name + ".ewp"), "");
  if (GetParam().extension == ".dep") WriteFile(tmp / (name + ".ewp"), DependencyProject(name));
  WriteFile(tmp / (name + GetParam().extension), before + GetParam().line + "\r\n" + after);
  ParseIAR(tmp.path(), name, TestValues());
  EXPECT_EQ(ReadFile(tmp / ("Pump" + GetParam().extension)),
            before + GetParam().written + "\r\n" + after);
}

const std::string kTail(4000, 'q');

std::string Option(const std::string& name, const std::string& state) {
  return "<option><name>" + name + "</name><state>" + state + "</state></option>";
}

std::string DepFile(const std::string& path) { return "<file>$PROJ_DIR$\\" + path + "</file>"; }

INSTANTIATE_TEST_SUITE_P(
    Rows, IarLineRules,
    ::testing::Values(
        // workspace entries naming Motor.ewp, whatever their indentation and separator
        LineRule{"WorkspacePath", ".eww", "    <path>$WS_DIR$\\Motor.ewp</path>",
                 "    <path>$WS_DIR$\\Pump.ewp</path>"},
        LineRule{"WorkspaceTab", ".eww", "\t\t<path>$WS_DIR$\\Motor.ewp</path>",
                 "\t\t<path>$WS_DIR$\\Pump.ewp</path>"},
        LineRule{"WorkspaceEightBlanks", ".eww", "        <path>$WS_DIR$\\Motor.ewp</path>",
                 "        <path>$WS_DIR$\\Pump.ewp</path>"},
        LineRule{"WorkspaceSlash", ".eww", "<path>$WS_DIR$/Motor.ewp</path>",
                 "<path>$WS_DIR$/Pump.ewp</path>"},
        LineRule{"WorkspaceDotFolder", ".eww", "<path>$WS_DIR$\\.\\Motor.ewp</path>",
                 "<path>$WS_DIR$\\.\\Pump.ewp</path>"},
        LineRule{"WorkspaceOtherCase", ".eww", "<path>$ws_dir$\\MOTOR.EWP</path>",
                 "<path>$ws_dir$\\Pump.EWP</path>"},
        LineRule{"WorkspaceBatchMember", ".eww",
                 "<member><project>motor</project><configuration>Motor</configuration></member>",
                 "<member><project>Pump</project><configuration>Motor</configuration></member>"},
        // entries naming another file stay
        LineRule{"WorkspaceSubFolder", ".eww", "    <path>$WS_DIR$\\sub\\Motor.ewp</path> x",
                 "    <path>$WS_DIR$\\sub\\Motor.ewp</path> x"},
        LineRule{"WorkspaceOtherProject", ".eww", "<path>$WS_DIR$\\MotorBoard.ewp</path>",
                 "<path>$WS_DIR$\\MotorBoard.ewp</path>"},
        LineRule{"WorkspaceNoVariable", ".eww", "<path>Motor.ewp</path>", "<path>Motor.ewp</path>"},
        LineRule{"WorkspaceBatchOtherProject", ".eww", "<member><project>Motor2</project></member>",
                 "<member><project>Motor2</project></member>"},
        LineRule{"WorkspaceNameElsewhere", ".eww", "<name>Motor</name><project>Motor</project>",
                 "<name>Motor</name><project>Motor</project>"},
        // output options follow where their value is or begins with the name
        LineRule{"OutputFile", ".ewp", Option("OutputFile", "Motor.out"),
                 Option("OutputFile", "Pump.out")},
        LineRule{"OutputIndented", ".ewp", "  x " + Option("IlinkOutputFile", "Motor"),
                 "  x " + Option("IlinkOutputFile", "Pump")},
        LineRule{"OutputImage", ".ewp", Option("OOCOutputFile", "CC2530.hex"),
                 Option("OOCOutputFile", "Pump.hex"), "CC2530"},
        LineRule{"OutputLibrary", ".ewp", Option("IarchiveOutput", "$PROJ_DIR$\\Debug\\Motor.a"),
                 Option("IarchiveOutput", "$PROJ_DIR$\\Debug\\Pump.a")},
        LineRule{"OutputFolder", ".ewp", Option("ExePath", "Motor\\Exe"),
                 Option("ExePath", "Pump\\Exe")},
        LineRule{"OutputFolderOfConfiguration", ".ewp", Option("ObjPath", "Motor-Debug/Obj"),
                 Option("ObjPath", "Pump-Debug/Obj")},
        LineRule{"OutputFolderBelowProjDir", ".ewp",
                 Option("BrowseInfoPath", "$PROJ_DIR$\\Motor_B"),
                 Option("BrowseInfoPath", "$PROJ_DIR$\\Pump_B")},
        LineRule{"OutputFolderNamedLater", ".ewp", Option("ListPath", "Debug\\Motor\\List"),
                 Option("ListPath", "Debug\\Motor\\List")},
        LineRule{"OutputLongerName", ".ewp", Option("OutputFile", "MotorBoard.out"),
                 Option("OutputFile", "MotorBoard.out")},
        LineRule{"OutputOtherCase", ".ewp", Option("OutputFile", "motor.out"),
                 Option("OutputFile", "motor.out")},
        LineRule{"OutputLoneCrKept", ".ewp", "a\r" + Option("OutputFile", "Motor"),
                 "a\r" + Option("OutputFile", "Pump")},
        LineRule{"OutputLongRemainder", ".ewp", Option("OutputFile", "Motor." + kTail),
                 Option("OutputFile", "Pump." + kTail)},
        // devices, defines, include paths, sources and states outside an option never
        LineRule{"Device", ".ewp", Option("OGChipSelectEditMenu", "CC2530F256\tMaker CC2530F256"),
                 Option("OGChipSelectEditMenu", "CC2530F256\tMaker CC2530F256"), "CC2530"},
        LineRule{"Define", ".ewp", Option("CCDefines", "CC2531ZNP") + "<state>CC2531_X</state>",
                 Option("CCDefines", "CC2531ZNP") + "<state>CC2531_X</state>", "CC2531"},
        LineRule{"IncludePath", ".ewp", Option("CCIncludePath2", "Motor\\inc"),
                 Option("CCIncludePath2", "Motor\\inc")},
        LineRule{"Source", ".ewp", "<file><name>Motor.c</name></file>",
                 "<file><name>Motor.c</name></file>"},
        LineRule{"StateOutsideAnOption", ".ewp", "<state>Motor.out</state>",
                 "<state>Motor.out</state>"},
        // dependency entries follow where they are the build's output
        LineRule{"Output", ".dep", DepFile("Debug\\Exe\\Motor.out"),
                 DepFile("Debug\\Exe\\Pump.out")},
        LineRule{"OutputUpperCase", ".dep", "<name>$PROJ_DIR$\\debug/exe\\MOTOR.out</name>",
                 "<name>$PROJ_DIR$\\debug/exe\\Pump.out</name>"},
        LineRule{"OutputMap", ".dep", DepFile("Debug\\List\\Motor.map"),
                 DepFile("Debug\\List\\Pump.map")},
        LineRule{"OutputBrowseDatabase", ".dep", DepFile("Debug\\BrowseInfo\\Motor.pbd"),
                 DepFile("Debug\\BrowseInfo\\Pump.pbd")},
        LineRule{"OutputFolderFollows", ".dep", DepFile("Motor\\Obj\\main.o"),
                 DepFile("Pump\\Obj\\main.o")},
        LineRule{"EntryLongRemainder", ".dep", DepFile("Debug\\Exe\\Motor." + kTail),
                 DepFile("Debug\\Exe\\Pump." + kTail)},
        LineRule{"ObjectOfASource", ".dep", DepFile("Motor\\Obj\\Motor.o"),
                 DepFile("Pump\\Obj\\Motor.o")},
        LineRule{"ListOfASource", ".dep", DepFile("Debug\\List\\Motor.lst"),
                 DepFile("Debug\\List\\Motor.lst")},
        LineRule{"SourceEntry", ".dep", DepFile("src\\Motor.c") + DepFile("..\\Source\\MotorHw.h"),
                 DepFile("src\\Motor.c") + DepFile("..\\Source\\MotorHw.h")},
        LineRule{"OutputOfLongerName", ".dep", DepFile("Debug\\Exe\\MotorBoard.out"),
                 DepFile("Debug\\Exe\\MotorBoard.out")},
        LineRule{"OutsideAnEntry", ".dep", "$PROJ_DIR$\\Debug\\Exe\\Motor.out",
                 "$PROJ_DIR$\\Debug\\Exe\\Motor.out"},
        // debugger settings: copied
        LineRule{"DebuggerCopied", ".ewd", "<state>$PROJ_DIR$\\Motor.out</state>",
                 "<state>$PROJ_DIR$\\Motor.out</state>"},
        LineRule{"DebuggerWorkspaceLineCopied", ".ewd", "    <path>$WS_DIR$\\Motor.ewp</path>",
                 "    <path>$WS_DIR$\\Motor.ewp</path>"}),
    testing::ParamLabel());

TEST(IarRewriter, WithoutBackupEarlierBackupsOfTheOldNameAreDeletedToo) {
  TempDir tmp;
  WriteFile(tmp / "Motor.ewd.bak", "earlier\n");
  WriteFile(tmp / "Motor.eww", "w\n");
  ParseIAR(tmp.path(), "Motor", TestValues());
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"Pump.eww"});
}

TEST(IarRewriter, NonAsciiBytesDoNotFoldCase) {
  TempDir tmp;
  WriteFile(tmp / "M\xf6.ewp", DependencyProject("M\xf6"));
  WriteFile(tmp / "M\xf6.dep", DepFile("Debug\\Exe\\M\xd6.out") + "\n");
  ParseIAR(tmp.path(), "M\xf6", TestValues());
  EXPECT_EQ(ReadFile(tmp / "Pump.dep"), DepFile("Debug\\Exe\\M\xd6.out") + "\n");
}

const std::string kWorkspace =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<workspace>\r\n"
    "    <project>\r\n"
    "        <path>$WS_DIR$\\Other.ewp</path>\r\n"
    "    </project>\r\n"
    "    <project>\r\n"
    "\t\t<path>$WS_DIR$/Motor.ewp</path>\r\n"
    "    </project>\r\n"
    "    <batchBuild>\r\n"
    "        <batchDefinition>\r\n"
    "            <name>all</name>\r\n"
    "            <member>\r\n"
    "                <project>Other</project>\r\n"
    "                <configuration>Debug</configuration>\r\n"
    "            </member>\r\n"
    "            <member>\r\n"
    "                <project>Motor</project>\r\n"
    "                <configuration>Debug</configuration>\r\n"
    "            </member>\r\n"
    "        </batchDefinition>\r\n"
    "    </batchBuild>\r\n"
    "</workspace>\r\n";

const std::string kProjectFile =
    "<project>\r\n  <configuration>\r\n    <name>Debug</name>\r\n"
    "    <option><name>OutputFile</name><state>Motor.out</state></option>\r\n"
    "  </configuration>\r\n  <configuration>\r\n    <name>Release</name>\r\n"
    "  </configuration>\r\n</project>\r\n";

// A workspace of another name holding two projects: only Motor's entries and
// files follow, the workspace keeps its name.
TEST(IarRewriter, WorkspaceOfAnotherNameKeepsItsNameAndOtherEntries) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup);
    TempDir tmp;
    WriteFile(tmp / "Dual.eww", kWorkspace);
    WriteFile(tmp / "Motor.ewp", kProjectFile);
    WriteFile(tmp / "Motor.ewt", "<project/>\r\n");
    WriteFile(tmp / "Other.ewp", "<state>Other.out</state>\r\n");
    RewriteBatch batch(NativeFileSystem());
    ParseIAR(tmp.path(), "Motor", "Dual", TestValues(backup), batch);
    EXPECT_EQ(batch.BrokenReference(), std::nullopt);
    batch.Commit();
    std::string expected = kWorkspace;
    expected.replace(expected.find("/Motor.ewp"), 10, "/Pump.ewp");
    expected.replace(expected.find(">Motor<"), 7, ">Pump<");
    EXPECT_EQ(ReadFile(tmp / "Dual.eww"), expected);
    std::string project = kProjectFile;
    project.replace(project.find("Motor.out"), 5, "Pump");
    EXPECT_EQ(ReadFile(tmp / "Pump.ewp"), project);
    EXPECT_EQ(ReadFile(tmp / "Pump.ewt"), "<project/>\r\n");
    Tree after = {"Dual.eww", "Other.ewp", "Pump.ewp", "Pump.ewt"};
    if (backup) after.insert(after.end(), {"Dual.eww.bak", "Motor.ewp.bak"});
    EXPECT_EQ(ListTree(tmp.path()), Sorted(after));
  }
}

// Renaming Motor to the other project's name would leave two entries
// naming one file: the batch says so before its commit.
TEST(IarRewriter, TwoEntriesNamingTheNewFileAreABrokenReference) {
  TempDir tmp;
  WriteFile(tmp / "Dual.eww", kWorkspace);
  WriteFile(tmp / "Motor.ewp", kProjectFile);
  WriteFile(tmp / "Other.ewp", "other\r\n");
  RewriteBatch batch(NativeFileSystem());
  ParseIAR(tmp.path(), "Motor", "Dual", TestValues(false, "other"), batch);
  EXPECT_EQ(batch.BrokenReference(),
            "Dual.eww: $WS_DIR$/other.ewp would name the same file as another entry");
}

struct SettingsCase {
  std::string label;
  std::vector<std::string> files;  // in settings/ before the run
  std::vector<std::string> after;
};

class IarSettings : public ::testing::TestWithParam<SettingsCase> {};

// The files below settings/ keyed by the project's name and configurations
// (Debug, Release) follow it, never over another file.
TEST_P(IarSettings, FollowTheProjectName) {
  TempDir tmp;
  WriteFile(tmp / "Motor.ewp", kProjectFile);
  for (const std::string& file : GetParam().files) WriteFile(tmp / ("settings/" + file), file);
  ParseIAR(tmp.path(), "Motor", TestValues());
  Tree expected = {"Pump.ewp", "settings/"};
  for (const std::string& file : GetParam().after) expected.push_back("settings/" + file);
  EXPECT_EQ(ListTree(tmp.path()), Sorted(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IarSettings,
    ::testing::Values(
        SettingsCase{"OneExtension", {"Motor.dnx", "Motor.wsdt"}, {"Pump.dnx", "Pump.wsdt"}},
        SettingsCase{"Configuration",
                     {"Motor.Debug.cspy.bat", "Motor.Release.driver.xcl"},
                     {"Pump.Debug.cspy.bat", "Pump.Release.driver.xcl"}},
        SettingsCase{"OlderConfiguration", {"Motor_Debug.cspy.bat"}, {"Pump_Debug.cspy.bat"}},
        SettingsCase{"OtherLetterCase", {"MOTOR.dnx"}, {"Pump.dnx"}},
        SettingsCase{"NotAConfiguration",
                     {"Motor.v2.dnx", "Motor_Extra.dnx", "MotorBoard.dnx", "Motor", "xMotor.dnx"},
                     {"Motor", "Motor.v2.dnx", "MotorBoard.dnx", "Motor_Extra.dnx", "xMotor.dnx"}},
        SettingsCase{"NeverOverAFile",
                     {"Motor.dnx", "Pump.dnx", "Motor_Debug.cspy.bat"},
                     {"Motor.dnx", "Pump.dnx", "Pump_Debug.cspy.bat"}}),
    testing::ParamLabel());

TEST(IarRewriter, NothingIsRenamedThroughALink) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "outside/Motor.dnx", "x");
  WriteFile(tmp / "outside/Motor.ewt", "x");
  WriteFile(tmp / "p/Motor.ewp", kProjectFile);
  testing::MakeSymlink(tmp / "outside", tmp / "p/settings");
  testing::MakeSymlink(tmp / "outside/Motor.ewt", tmp / "p/Motor.ewt");
  ParseIAR(tmp / "p", "Motor", TestValues());
  EXPECT_EQ(ListTree(tmp / "outside"), Sorted({"Motor.dnx", "Motor.ewt"}));
  EXPECT_EQ(ListTree(tmp / "p"), Sorted({"Motor.ewt", "Pump.ewp", "settings"}));
}

}  // namespace
}  // namespace kelvandor
