// The Keil samples renamed end to end as a user does it: the path given to
// input analysis, the project it makes handed to the rename workflow, the
// result compared file by file with what the sample must become.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uv5_samples.h"

namespace kelvandor {
namespace {

using testing::FileContents;
using testing::FilesBelow;
using testing::TempDir;
using Edits = std::vector<std::pair<std::string, std::string>>;

// A sample renamed to "pump": the path the user gives (below the sample's
// folder), the files that move and the texts that change, each found exactly
// once in its file. Everything else stays byte for byte.
struct KeilSample {
  std::string sample;
  std::string input;
  std::vector<std::pair<std::string, std::string>> moves;  // old -> new, below the sample
  std::vector<std::pair<std::string, Edits>> edits;        // old path -> its changed texts
};

const KeilSample kLed{
    "LED",
    "LED.uvproj",
    {{"LED.uvproj", "pump.uvproj"}, {"LED.uvopt", "pump.uvopt"}, {"LED.sct", "pump.sct"}},
    {{"LED.uvproj",
      {{"<TargetName>LED</TargetName>", "<TargetName>pump</TargetName>"},
       {"<OutputName>LED</OutputName>", "<OutputName>pump</OutputName>"},
       {"<ScatterFile>.\\LED.sct</ScatterFile>", "<ScatterFile>.\\pump.sct</ScatterFile>"}}},
     {"LED.uvopt", {{"<TargetName>LED</TargetName>", "<TargetName>pump</TargetName>"}}}}};

const KeilSample kDimmer{
    "dimmer",
    "MDK-ARM/Appli/dimmer.uvprojx",
    {{"MDK-ARM/dimmer.uvmpw", "MDK-ARM/pump.uvmpw"},
     {"MDK-ARM/Appli/dimmer.uvprojx", "MDK-ARM/Appli/pump.uvprojx"},
     {"MDK-ARM/Appli/dimmer.uvoptx", "MDK-ARM/Appli/pump.uvoptx"},
     {"MDK-ARM/Appli/Objects/dimmer.sct", "MDK-ARM/Appli/Objects/pump.sct"},
     {"MDK-ARM/Appli/DebugConfig/dimmer_ORL32H563ZI_2.1.0.dbgconf",
      "MDK-ARM/Appli/DebugConfig/pump_ORL32H563ZI_2.1.0.dbgconf"}},
    {{"MDK-ARM/dimmer.uvmpw",
      {{"<PathAndName>.\\Appli\\dimmer.uvprojx<", "<PathAndName>.\\Appli\\pump.uvprojx<"}}},
     {"MDK-ARM/Appli/dimmer.uvprojx",
      {{"<TargetName>dimmer</TargetName>", "<TargetName>pump</TargetName>"},
       {"<OutputName>dimmer</OutputName>", "<OutputName>pump</OutputName>"},
       {"<ScatterFile>.\\Objects\\dimmer.sct<", "<ScatterFile>.\\Objects\\pump.sct<"}}},
     {"MDK-ARM/Appli/dimmer.uvoptx",
      {{"<TargetName>dimmer</TargetName>", "<TargetName>pump</TargetName>"}}}}};

FileContents Expected(const KeilSample& s) {
  FileContents out;
  for (auto [rel, content] :
       FilesBelow(std::string(KELVANDOR_EXAMPLES_DIR) + SeparatorString() + s.sample)) {
    for (const auto& [file, edits] : s.edits) {
      if (file != rel) continue;
      for (const auto& [from, to] : edits) {
        const std::size_t at = content.find(from);
        EXPECT_NE(at, std::string::npos) << rel << ": " << from;
        EXPECT_EQ(content.find(from, at + 1), std::string::npos) << rel << ": " << from;
        if (at != std::string::npos) content.replace(at, from.size(), to);
      }
    }
    for (const auto& [from, to] : s.moves) {
      if (rel == from) rel = to;
    }
    out.emplace_back(rel, content);
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct ModeCase {
  const KeilSample* sample;
  RenameMode mode;
};

std::string CaseName(const ::testing::TestParamInfo<ModeCase>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  return info.param.sample->sample + "_" + mode[static_cast<int>(info.param.mode)];
}

class KeilSampleTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(KeilSampleTest, RenamedFromItsProjectFileBecomesWhatItMust) {
  const KeilSample& s = *GetParam().sample;
  TempDir tmp;
  const std::string work = tmp / "work";
  testing::MakeDirs(work);
  const std::string folder = JoinRelative(work, s.sample);
  ASSERT_TRUE(CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + SeparatorString() + s.sample, folder));

  AnalysisConfig config;
  config.exe_dir = tmp / "bin";
  ProjectState state;
  testing::RecordingUi ui;
  ASSERT_TRUE(NewInput(JoinRelative(folder, s.input), config, state, ui, 0).ok);
  EXPECT_EQ(state.project.project_dir, folder);
  EXPECT_EQ(state.new_name, s.sample);

  RenamePlan plan{.new_path = work + SeparatorString(),
                  .new_dir = s.sample,
                  .new_name = "pump",
                  .mode = GetParam().mode};
  if (plan.mode == RenameMode::kCopy) plan.new_path = tmp / "new";
  if (plan.mode != RenameMode::kInPlace) plan.new_dir = "pump";
  const RenameOutcome outcome = RenameProject(state.project, plan, ui, NativeFileSystem());
  ASSERT_TRUE(outcome.ok());
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(FilesBelow(outcome.new_path + plan.new_dir), Expected(*GetParam().sample));
  if (plan.mode == RenameMode::kCopy) {
    EXPECT_EQ(FilesBelow(folder),
              FilesBelow(std::string(KELVANDOR_EXAMPLES_DIR) + SeparatorString() + s.sample));
  }
}

std::vector<ModeCase> Cases() {
  std::vector<ModeCase> out;
  for (const KeilSample* s : {&kLed, &kDimmer}) {
    for (RenameMode mode : {RenameMode::kCopy, RenameMode::kRenameFolder, RenameMode::kInPlace}) {
      out.push_back({s, mode});
    }
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(Samples, KeilSampleTest, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
}  // namespace kelvandor
