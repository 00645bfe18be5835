#include "workflow/run_guard.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "core/run_journal.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::TempDir;
using testing::WriteFile;

// A project in work/ as an interrupted run left it. In `journal`, "{work}/"
// stands for the folder work/ and its separator, "{/}" for the separator.
struct InputCase {
  std::string label;
  std::vector<std::pair<std::string, std::string>> files;  // below work/
  std::string journal_dir;                                 // below work/; none when empty
  std::string journal;                                     // after the header line
  std::string given;                                       // below work/
  std::string analysed;                                    // below work/, what is given back
  std::vector<std::string> tree;                           // of work/ afterwards
  std::vector<std::string> shown;
};

// A commit of blinky.wsp to pump.wsp, stopped between its moves.
const std::string kStoppedCommit =
    "temp\tpump.wsp.kvtmp\nmove\tblinky.wsp\t_old_blinky.wsp\nmove\tpump.wsp.kvtmp\tpump.wsp\n";
const std::string kRolledBack(kRolledBackText);
const std::string kCompleted(kCompletedText);

class RecoverInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(RecoverInputTest, CompletesTheJournalOfWhatIsGivenFirst) {
  const InputCase& c = GetParam();
  TempDir tmp;
  const std::string work = tmp / "work";
  testing::MakeDirs(work);
  for (const auto& [rel, content] : c.files) WriteFile(tmp / ("work/" + rel), content);
  if (!c.journal_dir.empty()) {
    std::string journal = "kelvandor-journal\t1\n" + c.journal;
    const std::string placeholder = "{work}/";
    // As the journal writes them: each backslash of a Windows path doubled.
    const auto escaped = [](std::string path) {
      for (std::size_t pos = 0; (pos = path.find('\\', pos)) != std::string::npos; pos += 2) {
        path.insert(pos, 1, '\\');
      }
      return path;
    };
    for (std::size_t pos; (pos = journal.find(placeholder)) != std::string::npos;) {
      journal.replace(pos, placeholder.size(), escaped(work + SeparatorString()));
    }
    for (std::size_t pos; (pos = journal.find("{/}")) != std::string::npos;) {
      journal.replace(pos, 3, escaped(SeparatorString()));
    }
    WriteFile(JoinPath(tmp / ("work/" + c.journal_dir), kJournalName), journal);
  }
  testing::RecordingUi ui;
  std::string input = tmp / ("work/" + c.given);

  EXPECT_EQ(RecoverInput(input, ui, NativeFileSystem()), RenameError::kNone);
  EXPECT_EQ(input, tmp / ("work/" + c.analysed));
  EXPECT_EQ(ListTree(work), c.tree);
  EXPECT_EQ(ui.Texts(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RecoverInputTest,
    ::testing::Values(InputCase{"GivenFolder",
                                {{"blinky/_old_blinky.wsp", "W"}, {"blinky/pump.wsp.kvtmp", "N"}},
                                "blinky",
                                kStoppedCommit,
                                "blinky",
                                "blinky",
                                {"blinky/", "blinky/blinky.wsp"},
                                {kRolledBack}},
                      // The file given is the one the stopped run set aside.
                      InputCase{"GivenFileSetAside",
                                {{"blinky/_old_blinky.wsp", "W"}, {"blinky/pump.wsp.kvtmp", "N"}},
                                "blinky",
                                kStoppedCommit,
                                "blinky/blinky.wsp",
                                "blinky/blinky.wsp",
                                {"blinky/", "blinky/blinky.wsp"},
                                {kRolledBack}},
                      InputCase{"OldPathOfAMovedFolder",
                                {{"pump/blinky.wsp", "W"}},
                                "pump",
                                "folder\t{work}/blinky\t{work}/pump\n",
                                "blinky/blinky.wsp",
                                "blinky/blinky.wsp",
                                {"blinky/", "blinky/blinky.wsp"},
                                {kRolledBack}},
                      InputCase{"OldPathOfACommittedFolderMove",
                                {{"pump/pump.wsp", "P"}},
                                "pump",
                                "folder\t{work}/blinky\t{work}/pump\ncommitted\n",
                                "blinky",
                                "pump",
                                {"pump/", "pump/pump.wsp"},
                                {kCompleted}},
                      InputCase{"OldPathOfAnotherFolderMove",
                                {{"pump/pump.wsp", "P"}},
                                "pump",
                                "folder\t{work}/motor\t{work}/pump\ncommitted\n",
                                "blinky",
                                "blinky",
                                {"pump/", "pump/.kelvandor-journal", "pump/pump.wsp"},
                                {}},
                      // The commit was done: the file given is gone, renamed.
                      InputCase{"GivenFileTheCommitRenamed",
                                {{"blinky/pump.wsp", "P"}, {"blinky/_old_blinky.wsp", "W"}},
                                "blinky",
                                kStoppedCommit + "delete\t_old_blinky.wsp\ncommitted\n",
                                "blinky/blinky.wsp",
                                "blinky/pump.wsp",
                                {"blinky/", "blinky/pump.wsp"},
                                {kCompleted}},
                      // In the IDE's folder below the project, whose journal
                      // lies above it.
                      InputCase{"GivenFileBelowTheJournal",
                                {{"heater/MDK-ARM/_old_h.uvprojx", "W"},
                                 {"heater/MDK-ARM/p.uvprojx.kvtmp", "N"}},
                                "heater",
                                "temp\tMDK-ARM{/}p.uvprojx.kvtmp\nmove\tMDK-ARM{/}h.uvprojx\t"
                                "MDK-ARM{/}_old_h.uvprojx\nmove\tMDK-ARM{/}p.uvprojx.kvtmp\t"
                                "MDK-ARM{/}p.uvprojx\n",
                                "heater/MDK-ARM/h.uvprojx",
                                "heater/MDK-ARM/h.uvprojx",
                                {"heater/", "heater/MDK-ARM/", "heater/MDK-ARM/h.uvprojx"},
                                {kRolledBack}},
                      InputCase{"NoJournal",
                                {{"blinky/blinky.wsp", "W"}},
                                "",
                                "",
                                "blinky",
                                "blinky",
                                {"blinky/", "blinky/blinky.wsp"},
                                {}}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
