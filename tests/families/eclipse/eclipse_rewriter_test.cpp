#include "families/eclipse/eclipse_rewriter.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "families/eclipse/eclipse_settings.h"
#include "core/file_rewrite.h"
#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::ReadFile;
using testing::Snapshot;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

struct RuleCase {
  std::string label;
  EclipseRule rule;
  std::string raw;
  std::string expected;  // old name LED, new name "Lamp&Co"
};

class EclipseValueRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(EclipseValueRule, ChangesOnlyTheNameItself) {
  EXPECT_EQ(ApplyEclipseRule(GetParam().rule, GetParam().raw, "LED", "Lamp&Co"),
            GetParam().expected);
}

constexpr auto kExact = EclipseRule::kExact;
constexpr auto kPath = EclipseRule::kResourcePath;
constexpr auto kVars = EclipseRule::kVariables;
constexpr auto kProgram = EclipseRule::kProgramFile;
constexpr auto kLoad = EclipseRule::kLoadList;

INSTANTIATE_TEST_SUITE_P(
    Rows, EclipseValueRule,
    ::testing::Values(
        RuleCase{"Exact", kExact, "LED", "Lamp&amp;Co"},
        RuleCase{"ExactIsCaseSensitive", kExact, "led", "led"},
        RuleCase{"ExactNotLonger", kExact, "LED_DRIVER", "LED_DRIVER"},
        RuleCase{"PathProject", kPath, "/LED", "/Lamp&amp;Co"},
        RuleCase{"PathBelowProject", kPath, "/LED/Core/main.c", "/Lamp&amp;Co/Core/main.c"},
        RuleCase{"PathOtherProject", kPath, "/LED_DRIVER/x", "/LED_DRIVER/x"},
        RuleCase{"PathRelative", kPath, "LED/x", "LED/x"},
        RuleCase{"WorkspaceLoc", kVars, "${workspace_loc:/LED}/Debug",
                 "${workspace_loc:/Lamp&amp;Co}/Debug"},
        RuleCase{"WorkspaceLocInside", kVars, "&quot;${workspace_loc:/LED/Inc}&quot;",
                 "&quot;${workspace_loc:/Lamp&amp;Co/Inc}&quot;"},
        RuleCase{"BuildArtifact", kVars, "${build_artifact:LED}", "${build_artifact:Lamp&amp;Co}"},
        RuleCase{"TwoVariables", kVars, "${a:LED};${b:/LED/x};${c:LEDx}",
                 "${a:Lamp&amp;Co};${b:/Lamp&amp;Co/x};${c:LEDx}"},
        RuleCase{"ProjNameStays", kVars, "${workspace_loc:/${ProjName}/Inc}",
                 "${workspace_loc:/${ProjName}/Inc}"},
        RuleCase{"OtherProjectVariable", kVars, "${workspace_loc:/LED_DRIVER/Inc}",
                 "${workspace_loc:/LED_DRIVER/Inc}"},
        RuleCase{"PlainPathStays", kVars, "C:/work/LED/Debug/LED.elf", "C:/work/LED/Debug/LED.elf"},
        RuleCase{"ProgramSlash", kProgram, "Debug/LED.elf", "Debug/Lamp&amp;Co.elf"},
        RuleCase{"ProgramBackslash", kProgram, "Debug\\LED.axf", "Debug\\Lamp&amp;Co.axf"},
        RuleCase{"ProgramBare", kProgram, "LED", "Lamp&amp;Co"},
        RuleCase{"ProgramOtherFile", kProgram, "Debug/LED_DRIVER.elf", "Debug/LED_DRIVER.elf"},
        RuleCase{"ProgramFolderStays", kProgram, "LED/boot.elf", "LED/boot.elf"},
        RuleCase{"ProgramAbsoluteStays", kProgram, "C:\\work\\Debug\\LED.elf",
                 "C:\\work\\Debug\\LED.elf"},
        RuleCase{"ProgramInProjectVariable", kProgram, "${workspace_loc:/LED/Debug/LED.elf}",
                 "${workspace_loc:/Lamp&amp;Co/Debug/Lamp&amp;Co.elf}"},
        RuleCase{"LoadListJson", kLoad,
                 "{&quot;fItems&quot;:[{&quot;fPath&quot;:&quot;Debug/LED.elf&quot;,&quot;"
                 "fProjectName&quot;:&quot;LED&quot;},{&quot;fPath&quot;:&quot;Debug/"
                 "LED_DRIVER.elf&quot;,&quot;fProjectName&quot;:&quot;LED_DRIVER&quot;}]}",
                 "{&quot;fItems&quot;:[{&quot;fPath&quot;:&quot;Debug/Lamp&amp;Co.elf&quot;,&quot;"
                 "fProjectName&quot;:&quot;Lamp&amp;Co&quot;},{&quot;fPath&quot;:&quot;Debug/"
                 "LED_DRIVER.elf&quot;,&quot;fProjectName&quot;:&quot;LED_DRIVER&quot;}]}"},
        RuleCase{"LoadListXml", kLoad,
                 "&lt;loadItem fPath=&quot;Debug\\LED.elf&quot; fProjectName=&quot;LED&quot;/&gt;",
                 "&lt;loadItem fPath=&quot;Debug\\Lamp&amp;amp;Co.elf&quot; "
                 "fProjectName=&quot;Lamp&amp;amp;Co&quot;/&gt;"},
        RuleCase{"LoadListOtherKeys", kLoad, "&quot;xfProjectName&quot;:&quot;LED&quot;",
                 "&quot;xfProjectName&quot;:&quot;LED&quot;"}),
    testing::ParamLabel());

// A sample copied from examples/ and what its rename changes.
struct Replace {
  std::string from;
  std::string to;
  int count = 1;  // how often `from` stands in the file
};
struct FileEdit {
  std::string file;
  std::string renamed_to;  // empty: the same name
  std::vector<Replace> replaces;
};
struct SampleCase {
  std::string label;
  std::string sample;
  std::string old_name;
  std::string new_name;
  std::vector<FileEdit> edits;
};

std::string CopySample(const TempDir& tmp, const std::string& sample) {
  const std::string dir = tmp / sample;
  std::filesystem::copy(NativePath(std::string(KELVANDOR_EXAMPLES_DIR) + "/" + sample),
                        NativePath(dir), std::filesystem::copy_options::recursive);
  return dir;
}

// The launch edits of a configuration `cfg` of project `old` renamed `now`
// (XML-escaped); `loads` the further projects its load list names.
FileEdit LaunchEdit(const std::string& folder, const std::string& old, const std::string& now,
                    const std::string& now_file, const std::string& cfg) {
  return {folder + old + " " + cfg + ".launch",
          folder + now_file + " " + cfg + ".launch",
          {{"&quot;fPath&quot;:&quot;" + cfg + "/" + old +
                ".elf&quot;,&quot;fProjectName&quot;:&quot;" + old + "&quot;",
            "&quot;fPath&quot;:&quot;" + cfg + "/" + now +
                ".elf&quot;,&quot;fProjectName&quot;:&quot;" + now + "&quot;"},
           {"PROGRAM_NAME\" value=\"" + cfg + "/" + old + ".elf\"",
            "PROGRAM_NAME\" value=\"" + cfg + "/" + now + ".elf\""},
           {"PROJECT_ATTR\" value=\"" + old + "\"", "PROJECT_ATTR\" value=\"" + now + "\""},
           {"<listEntry value=\"/" + old + "\"/>", "<listEntry value=\"/" + now + "\"/>"}}};
}

FileEdit CubeCProject(const std::string& folder, const std::string& old, const std::string& now,
                      const std::string& id) {
  return {folder + ".cproject",
          {},
          {{"buildPath=\"${workspace_loc:/" + old + "}/Debug\"",
            "buildPath=\"${workspace_loc:/" + now + "}/Debug\""},
           {"buildPath=\"${workspace_loc:/" + old + "}/Release\"",
            "buildPath=\"${workspace_loc:/" + now + "}/Release\""},
           {"<project id=\"" + old + ".null." + id + "\" name=\"" + old + "\"/>",
            "<project id=\"" + now + ".null." + id + "\" name=\"" + now + "\"/>"},
           {"workspacePath=\"/" + old + "\"", "workspacePath=\"/" + now + "\"", 2}}};
}

FileEdit IocEdit(const std::string& old, const std::string& now) {
  return {old + ".ioc",
          now + ".ioc",
          {{"ProjectFileName=" + old + ".ioc", "ProjectFileName=" + now + ".ioc"},
           {"ProjectName=" + old + "\n", "ProjectName=" + now + "\n"}}};
}

// Only the project's own <name>, the first line of <projectDescription>.
FileEdit ProjectEdit(const std::string& folder, const std::string& old, const std::string& now,
                     std::vector<Replace> more = {}, const std::string& eol = "\n") {
  const std::string start = "<projectDescription>" + eol + "\t<name>";
  more.insert(more.begin(), {start + old + "</name>", start + now + "</name>"});
  return {folder + ".project", {}, more};
}

// A dual-core root `root` renamed "axle", whose cores are `cores`_CM4 and
// `cores`_CM7, their ".cproject"s numbered `id4` and `id7`.
std::vector<FileEdit> DualCoreEdits(const std::string& root, const std::string& cores, FileEdit ioc,
                                    const std::string& id4, const std::string& id7) {
  const std::string cm4 = cores + "_CM4";
  const std::string cm7 = cores + "_CM7";
  FileEdit launch7 = LaunchEdit("CM7/", cm7, "axle_CM7", "axle_CM7", "Debug");
  launch7.replaces.push_back(
      {"&quot;Debug/" + cm4 + ".elf&quot;,&quot;fProjectName&quot;:&quot;" + cm4 + "&quot;",
       "&quot;Debug/axle_CM4.elf&quot;,&quot;fProjectName&quot;:&quot;axle_CM4&quot;"});
  return {ProjectEdit("", root, "axle"),
          std::move(ioc),
          ProjectEdit("CM4/", cm4, "axle_CM4"),
          ProjectEdit("CM7/", cm7, "axle_CM7",
                      {{"<project>" + cm4 + "</project>", "<project>axle_CM4</project>"}}),
          CubeCProject("CM4/", cm4, "axle_CM4", id4),
          CubeCProject("CM7/", cm7, "axle_CM7", id7),
          LaunchEdit("CM4/", cm4, "axle_CM4", "axle_CM4", "Debug"),
          std::move(launch7)};
}

class EclipseSample : public ::testing::TestWithParam<SampleCase> {};

TEST_P(EclipseSample, RenamesExactlyTheNamedPlaces) {
  const SampleCase& c = GetParam();
  TempDir tmp;
  const std::string dir = CopySample(tmp, c.sample);
  std::map<std::string, std::string> expected;
  for (const auto& [path, content] : Snapshot(dir)) expected[path] = content;
  for (const FileEdit& edit : c.edits) {
    SCOPED_TRACE(edit.file);
    ASSERT_TRUE(expected.contains(edit.file));
    std::string content = expected[edit.file];
    for (const Replace& r : edit.replaces) {
      SCOPED_TRACE(r.from);
      int found = 0;
      for (std::size_t pos = 0; (pos = content.find(r.from, pos)) != std::string::npos;) {
        content.replace(pos, r.from.size(), r.to);
        pos += r.to.size();
        ++found;
      }
      EXPECT_EQ(found, r.count);
    }
    expected.erase(edit.file);
    expected[edit.renamed_to.empty() ? edit.file : edit.renamed_to] = content;
  }

  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(dir, c.old_name, TestValues(false, c.new_name), batch);
  batch.Commit();
  const std::vector<std::pair<std::string, std::string>> want(expected.begin(), expected.end());
  EXPECT_EQ(Snapshot(dir), want);
}

std::vector<Replace> CrLfIoc(FileEdit edit) {
  for (Replace& r : edit.replaces) {
    if (r.from.ends_with("\n")) {
      r.from.insert(r.from.size() - 1, "\r");
      r.to.insert(r.to.size() - 1, "\r");
    }
  }
  return edit.replaces;
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EclipseSample,
    ::testing::Values(
        // Written on Windows (CR LF); the new name needs escaping in XML.
        SampleCase{"SingleCore",
                   "beacon",
                   "beacon",
                   "dim&co",
                   {ProjectEdit("", "beacon", "dim&amp;co", {}, "\r\n"),
                    [] {
                      FileEdit e = CubeCProject("", "beacon", "dim&amp;co", "1290464248");
                      e.replaces.push_back(
                          {"value=\"${workspace_loc:/beacon/Lib/beacon_dsp.a}\"",
                           "value=\"${workspace_loc:/dim&amp;co/Lib/beacon_dsp.a}\"", 2});
                      return e;
                    }(),
                    LaunchEdit("", "beacon", "dim&amp;co", "dim&co", "Debug"),
                    LaunchEdit("", "beacon", "dim&amp;co", "dim&co", "Release"),
                    {"beacon.ioc", "dim&co.ioc", CrLfIoc(IocEdit("beacon", "dim&co"))}}},
        SampleCase{
            "DualCore", "drive", "drive", "axle",
            DualCoreEdits("drive", "drive", IocEdit("drive", "axle"), "1900000081", "1900000084")},
        // Renamed in the IDE before: the cores and the generator's keys kept
        // the name the root had.
        SampleCase{"CoresOfAnotherName", "servo", "servo", "axle",
                   DualCoreEdits("servo", "motorctl",
                                 {"servo.ioc",
                                  "axle.ioc",
                                  {{"ProjectFileName=motorctl.ioc", "ProjectFileName=axle.ioc"},
                                   {"ProjectName=motorctl\n", "ProjectName=axle\n"}}},
                                 "2730000081", "2730000084")},
        SampleCase{"ManagedLinkScript",
                   "meter",
                   "meter",
                   "gauge",
                   {ProjectEdit("", "meter", "gauge"),
                    {".cproject",
                     {},
                     {{"buildPath=\"${workspace_loc:/meter}/Debug\"",
                       "buildPath=\"${workspace_loc:/gauge}/Debug\""},
                      {"buildPath=\"${workspace_loc:/meter}/Release\"",
                       "buildPath=\"${workspace_loc:/gauge}/Release\""},
                      {"${workspace_loc:/meter/meter_hal}", "${workspace_loc:/gauge/meter_hal}", 2},
                      {"value=\"meter_Debug.ld\"", "value=\"gauge_Debug.ld\""},
                      {"<project id=\"meter.", "<project id=\"gauge."},
                      {"name=\"meter\" projectType", "name=\"gauge\" projectType"},
                      {"workspacePath=\"/meter\"", "workspacePath=\"/gauge\""}}},
                    {"meter LinkServer Debug.launch",
                     "gauge LinkServer Debug.launch",
                     {{"value=\"Debug\\meter.axf\"", "value=\"Debug\\gauge.axf\""},
                      {"PROJECT_ATTR\" value=\"meter\"", "PROJECT_ATTR\" value=\"gauge\""},
                      {"<listEntry value=\"/meter\"/>", "<listEntry value=\"/gauge\"/>"}}}}},
        SampleCase{
            "LaunchesFolder",
            "scale",
            "scale",
            "balance",
            {ProjectEdit("", "scale", "balance", {}, "\r\n"),
             {".cproject", {}, {{"<project id=\"scale.", "<project id=\"balance."}}},
             {".launches/scale.launch",
              ".launches/balance.launch",
              {{"${build_artifact:scale}", "${build_artifact:balance}"},
               {"C28xx_CPU1\" value=\"scale\"", "C28xx_CPU1\" value=\"balance\""},
               {"${target_config_active_default:scale}", "${target_config_active_default:balance}"},
               {"<listEntry value=\"/scale\"/>", "<listEntry value=\"/balance\"/>"}}}}}),
    testing::ParamLabel());

// A dry run plans the very changes and renames the run makes, and changes
// nothing.
TEST(EclipseRewriter, PlanEqualsRun) {
  TempDir tmp;
  const std::string dir = CopySample(tmp, "drive");
  const auto before = Snapshot(dir);
  PlanningFileSystem planning;
  RewriteBatch plan(planning);
  ParseEclipse(dir, "drive", TestValues(false, "axle"), plan);
  plan.Commit();
  EXPECT_EQ(Snapshot(dir), before);
  RewriteBatch run(NativeFileSystem());
  ParseEclipse(dir, "drive", TestValues(false, "axle"), run);
  run.Commit();
  EXPECT_EQ(plan.changes(), run.changes());
  EXPECT_EQ(plan.renames(), run.renames());
  EXPECT_EQ(run.changes().size(), 8u);
  // The ".ioc" and the launch files are staged under their new names, so
  // that a report names the files the run leaves.
  std::vector<std::string> moved;
  for (const ProjectFileChange& change : run.changes()) {
    if (change.old_name != change.new_name) moved.push_back(change.new_name);
  }
  EXPECT_EQ(moved, (std::vector<std::string>{"axle.ioc", "axle_CM4 Debug.launch",
                                             "axle_CM7 Debug.launch"}));
  EXPECT_TRUE(run.renames().empty());
}

const char kLedProject[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<projectDescription>\n\t<name>LED</name>\n"
    "</projectDescription>\n";

std::string Launch(const std::string& project) {
  return "<launchConfiguration>\n<stringAttribute key=\"org.eclipse.cdt.launch.PROJECT_ATTR\" "
         "value=\"" +
         project + "\"/>\n</launchConfiguration>\n";
}

TEST(EclipseRewriter, LeavesAnotherProjectsLaunchAndAnOccupiedName) {
  TempDir tmp;
  WriteFile(tmp / ".project", kLedProject);
  WriteFile(tmp / ".cproject", "<cproject/>\n");
  WriteFile(tmp / "LED_DRIVER Debug.launch", Launch("LED_DRIVER"));
  WriteFile(tmp / "LED Debug.launch", Launch("LED"));
  WriteFile(tmp / "Lamp Debug.launch", "mine\n");
  WriteFile(tmp / "Debug_Configurations/LED_Debug_ORLLink.launch", Launch("LED"));
  WriteFile(tmp / "Sub/.project", "<projectDescription><name>LED_Sub</name></projectDescription>");
  WriteFile(tmp / "Sub/LED_Sub.launch", Launch("LED_Sub"));
  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(tmp.path(), "LED", TestValues(false, "Lamp"), batch);
  batch.Commit();
  EXPECT_EQ(
      ListTree(tmp.path()),
      (std::vector<std::string>{".cproject", ".project", "Debug_Configurations/",
                                "Debug_Configurations/Lamp_Debug_ORLLink.launch",
                                "LED Debug.launch", "LED_DRIVER Debug.launch", "Lamp Debug.launch",
                                "Sub/", "Sub/.project", "Sub/LED_Sub.launch"}));
  EXPECT_EQ(ReadFile(tmp / "LED Debug.launch"), Launch("Lamp"));  // the name was taken
  EXPECT_EQ(ReadFile(tmp / "LED_DRIVER Debug.launch"), Launch("LED_DRIVER"));
  EXPECT_EQ(ReadFile(tmp / "Sub/LED_Sub.launch"), Launch("LED_Sub"));  // root builds itself
  EXPECT_EQ(ReadFile(tmp / ".project"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<projectDescription>\n\t<name>Lamp</"
            "name>\n</projectDescription>\n");
}

TEST(EclipseRewriter, LiteralArtifactNameFollowsTheProject) {
  const std::string cproject =
      "<cproject>\n<cconfiguration id=\"a\"><storageModule moduleId=\"cdtBuildSystem\">"
      "<configuration artifactName=\"@1\" name=\"Debug\"/></storageModule></cconfiguration>\n"
      "<cconfiguration id=\"b\"><storageModule moduleId=\"cdtBuildSystem\">"
      "<configuration artifactName=\"@2\" name=\"Release\"/></storageModule></cconfiguration>\n"
      "<storageModule moduleId=\"cdtBuildSystem\"><project id=\"@3.null.1\" name=\"@4\"/>"
      "</storageModule>\n</cproject>\n";
  const auto with = [&cproject](const std::vector<std::string>& names) {
    std::string text = cproject;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string mark = "@" + std::to_string(i + 1);
      text.replace(text.find(mark), mark.size(), names[i]);
    }
    return text;
  };
  TempDir tmp;
  WriteFile(tmp / ".project", kLedProject);
  WriteFile(tmp / ".cproject", with({"LED", "LED_boot", "LEDX", "LED2"}));
  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(tmp.path(), "LED", TestValues(false, "Lamp"), batch);
  batch.Commit();
  EXPECT_EQ(ReadFile(tmp / ".cproject"), with({"Lamp", "LED_boot", "LEDX", "LED2"}));
}

TEST(EclipseRewriter, IgnoresAnotherName) {
  TempDir tmp;
  WriteFile(tmp / ".project", kLedProject);
  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(tmp.path(), "LEDS", TestValues(false, "Lamp"), batch);
  batch.Commit();
  EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{".project"});
  EXPECT_EQ(ReadFile(tmp / ".project"), kLedProject);
}

TEST(EclipseRewriter, SimplicityProjectFile) {
  TempDir tmp;
  WriteFile(tmp / ".project", kLedProject);
  WriteFile(tmp / "LED.slcp", "project_name: LED\r\nlabel: LED_board\r\nquality: production\r\n");
  WriteFile(tmp / "LED.pintool", "pins\n");
  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(tmp.path(), "LED", TestValues(false, "Lamp"), batch);
  batch.Commit();
  EXPECT_EQ(ListTree(tmp.path()),
            (std::vector<std::string>{".project", "Lamp.pintool", "Lamp.slcp"}));
  EXPECT_EQ(ReadFile(tmp / "Lamp.slcp"),
            "project_name: Lamp\r\nlabel: LED_board\r\nquality: production\r\n");
}

TEST(EclipseRewriter, ConfigurationToolsFileFollowsOnlyWithItsPointer) {
  for (const bool named : {true, false}) {
    SCOPED_TRACE(named);
    TempDir tmp;
    const std::string pointer = named ? "x=\"LED.mex\"\r\n" : "LED.mex.old\r\n";
    WriteFile(tmp / ".project", kLedProject);
    WriteFile(tmp / ".default_mex", pointer);
    WriteFile(tmp / "LED.mex", "<configuration/>");
    RewriteBatch batch(NativeFileSystem());
    ParseEclipse(tmp.path(), "LED", TestValues(false, "Lamp"), batch);
    EXPECT_EQ(batch.BrokenReference(), std::nullopt);
    batch.Commit();
    EXPECT_EQ(ListTree(tmp.path()), (std::vector<std::string>{".default_mex", ".project",
                                                              named ? "Lamp.mex" : "LED.mex"}));
    EXPECT_EQ(ReadFile(tmp / ".default_mex"), named ? "x=\"Lamp.mex\"\r\n" : pointer);
  }
}

TEST(EclipseRewriter, TouchesNothingThroughALink) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  const std::string dir = tmp / "LED";
  WriteFile(dir + "/.project", kLedProject);
  WriteFile(tmp / "elsewhere/LED Debug.launch", Launch("LED"));
  WriteFile(tmp / "elsewhere/.cproject", "<project id=\"LED.null.1\" name=\"LED\"/>");
  testing::MakeSymlink(tmp / "elsewhere", dir + "/.launches");
  testing::MakeSymlink(tmp / "elsewhere/.cproject", dir + "/.cproject");
  testing::MakeSymlink(tmp / "elsewhere/LED Debug.launch", dir + "/LED Release.launch");
  const auto before = Snapshot(tmp / "elsewhere");
  RewriteBatch batch(NativeFileSystem());
  ParseEclipse(dir, "LED", TestValues(false, "Lamp"), batch);
  batch.Commit();
  EXPECT_EQ(Snapshot(tmp / "elsewhere"), before);
  EXPECT_EQ(ListTree(dir),
            (std::vector<std::string>{".cproject", ".launches", ".project", "LED Release.launch"}));
}

TEST(EclipseSettings, ReadsNameConfigurationsAndBuildFolders) {
  TempDir tmp;
  WriteFile(tmp / ".project",
            "<projectDescription><name>A&amp;B</name><projects><project>X</project></projects>"
            "<linkedResources><link><name>L</name></link></linkedResources></projectDescription>");
  EXPECT_EQ(ReadEclipseProjectName(tmp / ".project", NativeFileSystem()), "A&B");
  const std::string meter = std::string(KELVANDOR_EXAMPLES_DIR) + "/meter/.cproject";
  EXPECT_EQ(
      ReadEclipseConfigurations(meter, NativeFileSystem()),
      (std::vector<EclipseConfiguration>{{"Debug", "${workspace_loc:/meter}/Debug", true},
                                         {"Release", "${workspace_loc:/meter}/Release", false}}));
  const auto folder = [](std::string name, std::string path) {
    return EclipseBuildFolder({std::move(name), std::move(path), false});
  };
  EXPECT_EQ(folder("Debug", ""), "Debug");
  EXPECT_EQ(folder("GNU ARM v12 - Default", ""), "GNU ARM v12 - Default");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/LED}/Debug/"), "Debug");
  EXPECT_EQ(folder("Debug", "${ProjDirPath}/out/Debug"), "out/Debug");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/LED/build/Debug}"), "build/Debug");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/LED}"), "");
  EXPECT_EQ(folder("Debug_FLASH", "${workspace_loc:/OLD}/Debug_FLASH"), "Debug_FLASH");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/OLD/out}"), "out");
  EXPECT_EQ(folder("Debug", "${BuildDirectory}"), "Debug");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/LED}/../Debug"), "");
  EXPECT_EQ(folder("Debug", "${workspace_loc:/LED}x/Debug"), "");
  EXPECT_EQ(folder("Debug", "${ProjDirPath}/../Debug"), "");
  EXPECT_EQ(folder("Debug", "/tmp/Debug"), "");
  EXPECT_EQ(folder("..", ""), "");
}

}  // namespace
}  // namespace kelvandor
