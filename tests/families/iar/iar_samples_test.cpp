// The IAR samples loaded as a user gives them and renamed end to end: every
// byte of the result against the expected files.

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "families/family_kind.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::Snapshot;
using ::kelvandor::testing::TempDir;
using Tree = std::vector<std::string>;
using Renames = std::map<std::string, std::string>;

// `root` + separator + `relative`, where `relative` uses "/".
std::string Join(const std::string& root, std::string_view relative) {
  std::string out = root + SeparatorString();
  for (char c : relative) out += c == '/' ? Separator() : c;
  return out;
}

std::string Example(std::string_view relative) { return Join(KELVANDOR_EXAMPLES_DIR, relative); }
std::string Expected(std::string_view relative) { return Join(KELVANDOR_EXPECTED_DIR, relative); }

struct Sample {
  std::string example;  // folder below examples/
  std::string input;    // what the user gives, below the project folder
  std::string sub_dir;  // of the IAR family, "/" for the separator
  std::string old_name;
  std::string old_workspace;
  Renames renamed;    // old -> new path, bytes unchanged
  Renames rewritten;  // old -> new path, bytes as in expected/<example>/<new path>
};

const Sample kConveyor{
    "conveyor",
    "",
    "/EWARM",
    "conveyor",
    "Project",
    {{"EWARM/conveyor.ewd", "EWARM/pump.ewd"},
     {"EWARM/conveyor.ewt", "EWARM/pump.ewt"},
     {"EWARM/settings/conveyor.dnx", "EWARM/settings/pump.dnx"},
     {"EWARM/settings/conveyor.Debug.cspy.bat", "EWARM/settings/pump.Debug.cspy.bat"},
     {"EWARM/settings/conveyor.Debug.driver.xcl", "EWARM/settings/pump.Debug.driver.xcl"},
     {"EWARM/settings/conveyor.Debug.general.xcl", "EWARM/settings/pump.Debug.general.xcl"}},
    {{"EWARM/Project.eww", "EWARM/Project.eww"},
     {"EWARM/conveyor.ewp", "EWARM/pump.ewp"},
     {"EWARM/conveyor.dep", "EWARM/pump.dep"}}};

const Sample kDual{"dual",
                   "boot.ewp",
                   "",
                   "boot",
                   "dual",
                   {{"boot.ewd", "pump.ewd"},
                    {"boot.ewt", "pump.ewt"},
                    {"settings/boot.dnx", "settings/pump.dnx"},
                    {"settings/boot.Release.cspy.ps1", "settings/pump.Release.cspy.ps1"},
                    {"settings/boot_Debug.cspy.bat", "settings/pump_Debug.cspy.bat"}},
                   {{"dual.eww", "dual.eww"}, {"boot.ewp", "pump.ewp"}, {"boot.dep", "pump.dep"}}};

// Its device, defines and sources begin with its name.
const Sample kCc2530{
    "CC2530",
    "",
    "",
    "CC2530",
    "CC2530",
    {{"CC2530.ewd", "pump.ewd"}},
    {{"CC2530.eww", "pump.eww"}, {"CC2530.ewp", "pump.ewp"}, {"CC2530.dep", "pump.dep"}}};

// Its output folders bear its name.
const Sample kBoiler{"boiler",
                    "",
                    "/EWARM",
                    "boiler",
                    "Project",
                    {},
                    {{"EWARM/Project.eww", "EWARM/Project.eww"},
                     {"EWARM/boiler.ewp", "EWARM/pump.ewp"},
                     {"EWARM/boiler.dep", "EWARM/pump.dep"}}};

struct Case {
  const Sample* sample;
  RenameMode mode;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.sample->example; }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  return std::string(mode[static_cast<int>(info.param.mode)]) + "_" + info.param.sample->example;
}

class IarSampleTest : public ::testing::TestWithParam<Case> {
 protected:
  // Copies the sample to work/<example> and loads it as the user gives it.
  Project Load(const Sample& s) {
    const std::string dir = Join(tmp_.path(), "work/" + s.example);
    ::kelvandor::testing::MakeDirs(tmp_ / "work");
    EXPECT_TRUE(CopyTree(Example(s.example), dir));
    ProjectState state;
    AnalysisConfig config;
    config.exe_dir = tmp_ / "bin";
    const std::string input = s.input.empty() ? dir : Join(dir, s.input);
    EXPECT_TRUE(NewInput(input, config, state, ui_, 0).ok);
    EXPECT_EQ(state.new_name, s.old_name);
    return state.project;
  }

  TempDir tmp_;
  RecordingUi ui_;
};

TEST_P(IarSampleTest, RenamesTheProjectAndWhatNamesIt) {
  const Sample& s = *GetParam().sample;
  const Project project = Load(s);
  ASSERT_EQ(project.families.size(), 1u);
  const Family& iar = project.families.front();
  EXPECT_EQ(iar.kind, FamilyKind::kIar);
  EXPECT_EQ(iar.sub_dir, s.sub_dir.empty() ? "" : Join("", s.sub_dir.substr(1)));
  EXPECT_EQ(iar.old_name, s.old_name);
  EXPECT_EQ(iar.Value(kWorkspaceValue), s.old_workspace);

  RenamePlan plan{.new_path = tmp_ / "work" + SeparatorString(),
                  .new_dir = s.example,
                  .new_name = "pump",
                  .mode = GetParam().mode};
  if (plan.mode == RenameMode::kCopy) plan.new_path = tmp_ / "new" + SeparatorString();
  if (plan.mode != RenameMode::kInPlace) plan.new_dir = "pump";
  const RenameOutcome outcome = RenameProject(project, plan, ui_, NativeFileSystem());
  EXPECT_TRUE(outcome.ok());
  EXPECT_TRUE(ui_.shown.empty());

  const std::string target = outcome.new_path + plan.new_dir;
  Tree expected;
  for (const std::string& rel : ListTree(Example(s.example))) {
    std::string now = rel;
    if (s.renamed.contains(rel)) now = s.renamed.at(rel);
    if (s.rewritten.contains(rel)) now = s.rewritten.at(rel);
    expected.push_back(now);
    if (now.ends_with("/")) continue;
    const std::string want = s.rewritten.contains(rel) ? ReadFile(Expected(s.example + "/" + now))
                                                       : ReadFile(Example(s.example + "/" + rel));
    EXPECT_EQ(ReadFile(Join(target, now)), want) << now;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListTree(target), expected);
  if (plan.mode == RenameMode::kCopy) {
    EXPECT_EQ(Snapshot(project.project_dir), Snapshot(Example(s.example)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndSamples, IarSampleTest,
    ::testing::Values(Case{&kConveyor, RenameMode::kCopy},
                      Case{&kConveyor, RenameMode::kRenameFolder},
                      Case{&kConveyor, RenameMode::kInPlace}, Case{&kDual, RenameMode::kCopy},
                      Case{&kDual, RenameMode::kRenameFolder}, Case{&kDual, RenameMode::kInPlace},
                      Case{&kCc2530, RenameMode::kInPlace}, Case{&kBoiler, RenameMode::kInPlace}),
    CaseName);

// The clean-up finds the output folders through the project's own file.
TEST(IarSampleCleanUpTest, GeneratorLayoutOutputIsCleaned) {
  TempDir tmp;
  RecordingUi ui;
  ProjectState state;
  AnalysisConfig config;
  config.exe_dir = tmp / "bin";
  ASSERT_TRUE(NewInput(Example("conveyor/EWARM/conveyor.ewd"), config, state, ui, 0).ok);
  const RenamePlan plan{.new_path = tmp / "new" + SeparatorString(),
                        .new_dir = "pump",
                        .new_name = "pump",
                        .mode = RenameMode::kCopy,
                        .clean_up = true};
  ASSERT_TRUE(RenameProject(state.project, plan, ui, NativeFileSystem()).ok());
  const Tree tree = ListTree(tmp / "new/pump/EWARM");
  const Tree output(tree.begin(), std::find(tree.begin(), tree.end(), "Project.eww"));
  EXPECT_EQ(output,
            (Tree{"Debug/", "Debug/Exe/", "Debug/Exe/pump.hex", "Debug/List/", "Debug/Obj/"}));
  EXPECT_FALSE(FileExists(tmp / "new/pump/EWARM/settings/Project.wsdt"));
}

// Renamed to the name of the other project of its workspace, boot would
// share one file with it: refused before any change.
TEST(IarSampleSeveralProjectsTest, TheOtherProjectsNameIsRefused) {
  TempDir tmp;
  RecordingUi ui;
  ProjectState state;
  AnalysisConfig config;
  config.exe_dir = tmp / "bin";
  const std::string dir = tmp / "dual";
  ASSERT_TRUE(CopyTree(Example("dual"), dir));
  ASSERT_TRUE(NewInput(Join(dir, "boot.ewp"), config, state, ui, 0).ok);
  const RenamePlan plan{
      .new_path = tmp.path() + SeparatorString(), .new_dir = "dual", .new_name = "app"};
  const RenameOutcome outcome = RenameProject(state.project, plan, ui, NativeFileSystem());
  EXPECT_EQ(outcome.error, RenameError::kBrokenReference);
  EXPECT_EQ(ui.shown, (std::vector<Shown>{{"Kelvandor",
                                           "Reference would break: dual.eww: $WS_DIR$/app.ewp "
                                           "would name the same file as another entry"}}));
  EXPECT_EQ(Snapshot(dir), Snapshot(Example("dual")));
}

// A workspace of several projects given by its folder or its file names no
// one project: nothing is renamed.
TEST(IarSampleSeveralProjectsTest, WorkspaceGivenNamesItsProjects) {
  for (const char* input : {"dual", "dual/dual.eww"}) {
    SCOPED_TRACE(input);
    TempDir tmp;
    RecordingUi ui;
    ProjectState state;
    AnalysisConfig config;
    config.exe_dir = tmp / "bin";
    const AnalysisResult result = NewInput(Example(input), config, state, ui, 0);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(state.error, AnalysisError::kSeveralProjects);
    EXPECT_EQ(static_cast<int>(state.error), 12);
    EXPECT_EQ(ui.shown,
              (std::vector<Shown>{{"Kelvandor",
                                   "Several projects found - give the project file of the one "
                                   "to rename:\napp.ewp\nboot.ewp"}}));
  }
}

}  // namespace
}  // namespace kelvandor
