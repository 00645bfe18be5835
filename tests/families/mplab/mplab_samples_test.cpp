// The MPLAB X samples loaded as a user gives them and renamed end to end in
// every mode with the clean-up: every byte of the result against the
// expected files.

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "workflow/front_door.h"
#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::RecordingUi;
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
std::string Expected(std::string_view relative) {
  return Join(KELVANDOR_MPLAB_EXPECTED_DIR, relative);
}

constexpr std::string_view kOutputFolders[] = {"build/", "dist/", "debug/", "disassembly/",
                                               ".generated_files/"};

struct Sample {
  std::string example;  // below examples/: the project folder
  std::string input;    // what the user gives, below the project folder
  std::string family;   // the MPLAB X folder below the project folder, "/" between levels
  std::string old_name;
  Renames renamed;  // old -> new path, bytes unchanged
  // The files rewritten when only the name follows, and when the folder
  // does too; bytes as in expected/<example's first folder>/{name,folder}/.
  std::vector<std::string> name_files;
  std::vector<std::string> folder_files;
  std::vector<std::string> warnings = {};
};

const std::vector<std::string> kMakefiles = {
    "nbproject/Makefile-default.mk", "nbproject/Makefile-impl.mk",
    "nbproject/Makefile-variables.mk", "nbproject/Package-default.bash"};

std::vector<std::string> With(std::vector<std::string> files, std::vector<std::string> more) {
  files.insert(files.end(), more.begin(), more.end());
  return files;
}

const Sample kBlink{"mplab-blink/blink.X",
                    "",
                    "",
                    "blink",
                    {{"blink.mc3", "pump.mc3"}},
                    {"nbproject/project.xml", "nbproject/configurations.xml"},
                    With(kMakefiles, {"nbproject/project.xml", "nbproject/configurations.xml"})};
// Written on Windows, loaded from its project.xml; a copy in the IDE left a
// second <name>.
const Sample kLab{"mplab-lab/Lab 10.X",
                  "nbproject/project.xml",
                  "",
                  "Lab 10",
                  {},
                  {"nbproject/project.xml"},
                  With(kMakefiles, {"nbproject/project.xml", "nbproject/Makefile-release.mk",
                                    "nbproject/Package-release.bash"}),
                  {"A further <name> was kept: Lab 9"}};
const Sample kHarmony{"mplab-harmony/dosing",
                      "",
                      "firmware/dosing.X/",
                      "dosing",
                      {},
                      {"firmware/dosing.X/nbproject/project.xml",
                       "firmware/src/config/default/default.mhc/settings.yml"},
                      {"firmware/dosing.X/nbproject/project.xml",
                       "firmware/src/config/default/default.mhc/settings.yml"}};
const Sample kPlain{"mplab-plain/plain",
                    "/",
                    "",
                    "plain",
                    {},
                    {"nbproject/project.xml"},
                    With(kMakefiles, {"nbproject/project.xml"})};

struct Case {
  const Sample* sample;
  RenameMode mode;
  std::string new_dir;  // the folder the front door proposes
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.sample->example; }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  std::string name = info.param.sample->example.substr(6);
  name = name.substr(0, name.find('/'));
  return std::string(mode[static_cast<int>(info.param.mode)]) + "_" + name;
}

class MplabSampleTest : public ::testing::TestWithParam<Case> {
 protected:
  TempDir tmp_;
  RecordingUi ui_;
};

TEST_P(MplabSampleTest, RenamesTheProjectAndWhatNamesIt) {
  const Case& c = GetParam();
  const Sample& s = *c.sample;
  const std::string dir = Join(tmp_.path(), "work/" + s.example);
  ::kelvandor::testing::MakeDirs(FolderPart(dir));
  ASSERT_TRUE(CopyTree(Example(s.example), dir));
  ProjectState state;
  AnalysisConfig config;
  config.exe_dir = tmp_ / "bin";
  ASSERT_TRUE(NewInput(s.input.empty() ? dir : Join(dir, s.input), config, state, ui_, 0).ok);
  EXPECT_EQ(state.new_name, s.old_name);
  EXPECT_EQ(state.project.project_dir, dir);

  const RenamePlan plan =
      PlanRename(state.project, RenameRequest{.mode = c.mode,
                                              .new_path = c.mode == RenameMode::kCopy
                                                              ? tmp_ / "new" + SeparatorString()
                                                              : state.new_path,
                                              .new_name = "pump",
                                              .new_dir = std::nullopt,
                                              .proposed_dir = state.new_dir,
                                              .clean_up = true});
  EXPECT_EQ(plan.new_dir, c.new_dir);
  const RenameOutcome outcome = RenameProject(state.project, plan, ui_, NativeFileSystem());
  ASSERT_TRUE(outcome.ok());
  EXPECT_TRUE(ui_.shown.empty());
  std::vector<std::string> warnings;
  for (const RewriteWarning& w : outcome.report.warnings) warnings.push_back(w.message);
  EXPECT_EQ(warnings, s.warnings);

  const bool folder_follows = plan.new_dir != NamePart(dir);
  const std::vector<std::string>& rewritten = folder_follows ? s.folder_files : s.name_files;
  const std::string group =
      s.example.substr(0, s.example.find('/')) + (folder_follows ? "/folder/" : "/name/");
  const std::string target = outcome.new_path + plan.new_dir;
  Tree expected;
  for (const std::string& rel : ListTree(Example(s.example))) {
    const std::string_view below(rel.c_str() + std::min(rel.size(), s.family.size()));
    if (rel.starts_with(s.family) &&
        std::any_of(std::begin(kOutputFolders), std::end(kOutputFolders),
                    [&](std::string_view folder) { return below.starts_with(folder); })) {
      continue;
    }
    const std::string now = s.renamed.contains(rel) ? s.renamed.at(rel) : rel;
    expected.push_back(now);
    if (now.ends_with("/")) continue;
    const bool changed = std::find(rewritten.begin(), rewritten.end(), rel) != rewritten.end();
    EXPECT_EQ(ReadFile(Join(target, now)),
              ReadFile(changed ? Expected(group + rel) : Example(s.example + "/" + rel)))
        << now;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListTree(target), expected);
  if (plan.mode == RenameMode::kCopy) {
    EXPECT_EQ(Snapshot(dir), Snapshot(Example(s.example)));
  }
}

INSTANTIATE_TEST_SUITE_P(ModesAndSamples, MplabSampleTest,
                         ::testing::Values(Case{&kBlink, RenameMode::kInPlace, "blink.X"},
                                           Case{&kBlink, RenameMode::kCopy, "pump.X"},
                                           Case{&kBlink, RenameMode::kRenameFolder, "pump.X"},
                                           Case{&kLab, RenameMode::kInPlace, "Lab 10.X"},
                                           Case{&kLab, RenameMode::kCopy, "pump.X"},
                                           Case{&kLab, RenameMode::kRenameFolder, "pump.X"},
                                           Case{&kHarmony, RenameMode::kInPlace, "dosing"},
                                           Case{&kHarmony, RenameMode::kCopy, "dosing"},
                                           Case{&kHarmony, RenameMode::kRenameFolder, "pump"},
                                           Case{&kPlain, RenameMode::kInPlace, "plain"},
                                           Case{&kPlain, RenameMode::kCopy, "plain"},
                                           Case{&kPlain, RenameMode::kRenameFolder, "pump"}),
                         CaseName);

}  // namespace
}  // namespace kelvandor
