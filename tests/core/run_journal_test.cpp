#include "core/run_journal.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;

// A journal found in `proj`, beside a folder `out` that no run on `proj`
// may touch. In `journal`, "{root}" stands for `proj` and "{out}" for `out`.
struct JournalCase {
  std::string label;
  std::vector<std::pair<std::string, std::string>> files;  // below proj/
  std::string journal;                                     // after the header line
  Recovery expected;
  std::vector<std::string> tree;  // afterwards; empty: nothing changed
  bool link = false;              // proj/link leads to out
};

// A rename of a.prj to b.prj: its temporary file, its moves, the backup it
// deletes when done.
const std::string kCommit =
    "temp\tb.prj.kvtmp\nmove\ta.prj\t_old_a.prj\nmove\tb.prj.kvtmp\tb.prj\ndelete\t_old_a.prj\n";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size()) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

class RunJournalTest : public ::testing::TestWithParam<JournalCase> {};

TEST_P(RunJournalTest, RecoveryDoesOnlyWhatARunDoes) {
  const JournalCase& c = GetParam();
  if (c.link) KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  const std::string root = tmp / "proj";
  const std::string out = tmp / "out";
  for (const char* name : {"victim.txt", "victim.bak", "victim.kvtmp", "_old_victim.prj"}) {
    WriteFile(JoinPath(out, name), name);
  }
  WriteFile(JoinPath(root, "keep.c"), "keep");
  for (const auto& [rel, content] : c.files) WriteFile(tmp / ("proj/" + rel), content);
  if (c.link) testing::MakeSymlink(out, JoinPath(root, "link"));
  std::string journal = "kelvandor-journal\t1\n" + c.journal;
  journal = ReplaceAll(ReplaceAll(journal, "{root}", root), "{out}", out);
  WriteFile(JoinPath(root, kJournalName), journal);
  const auto before = Snapshot(tmp.path());

  EXPECT_EQ(RecoverInterruptedRun(root, NativeFileSystem()), c.expected);

  if (c.tree.empty()) {
    EXPECT_EQ(Snapshot(tmp.path()), before);
  } else {
    EXPECT_EQ(ListTree(tmp.path()), c.tree);
  }
}

const std::vector<std::string> kOut = {"out/", "out/_old_victim.prj", "out/victim.bak",
                                       "out/victim.kvtmp", "out/victim.txt"};

std::vector<std::string> WithOut(std::vector<std::string> proj) {
  std::vector<std::string> tree = kOut;
  tree.insert(tree.end(), proj.begin(), proj.end());
  return tree;
}

INSTANTIATE_TEST_SUITE_P(
    Records, RunJournalTest,
    ::testing::Values(
        // What a run writes.
        JournalCase{"StoppedCommitIsRolledBack",
                    {{"_old_a.prj", "A"}, {"b.prj", "B"}},
                    kCommit,
                    Recovery::kRolledBack,
                    WithOut({"proj/", "proj/a.prj", "proj/keep.c"})},
        JournalCase{"CommittedIsCompleted",
                    {{"_old_a.prj", "A"}, {"b.prj", "B"}},
                    kCommit + "committed\n",
                    Recovery::kCompleted,
                    WithOut({"proj/", "proj/b.prj", "proj/keep.c"})},
        // An undo that failed half-way after the commit was noted: the disk
        // shows the moves not made, so the run is rolled back, never
        // completed by deleting the backup.
        JournalCase{"CommittedButUndoneInPartIsRolledBack",
                    {{"_old_a.prj", "A"}, {"b.prj.kvtmp", "B"}},
                    kCommit + "committed\n",
                    Recovery::kRolledBack,
                    WithOut({"proj/", "proj/a.prj", "proj/keep.c"})},
        JournalCase{"CommittedButUndoneButOneIsRolledBack",
                    {{"a.prj", "A"}, {"b.prj", "B"}},
                    kCommit + "committed\n",
                    Recovery::kRolledBack,
                    WithOut({"proj/", "proj/a.prj", "proj/keep.c"})},
        // The clean-up after the commit was stopped: the images it owes are
        // renamed, never over a file; before the commit, none.
        JournalCase{
            "CommittedRenamesTheImagesItOwes",
            {{"b.prj", "B"}, {"ABS/a.mhx", "I"}, {"ABS/a.hex", "H"}, {"ABS/b.hex", "N"}},
            kCommit + "image\tABS/a.mhx\tABS/b.mhx\nimage\tABS/a.hex\tABS/b.hex\ncommitted\n",
            Recovery::kCompleted,
            WithOut({"proj/", "proj/ABS/", "proj/ABS/a.hex", "proj/ABS/b.hex", "proj/ABS/b.mhx",
                     "proj/b.prj", "proj/keep.c"})},
        JournalCase{"RolledBackOwesNoImage",
                    {{"_old_a.prj", "A"}, {"b.prj", "B"}, {"ABS/a.mhx", "I"}},
                    kCommit + "image\tABS/a.mhx\tABS/b.mhx\n",
                    Recovery::kRolledBack,
                    WithOut({"proj/", "proj/ABS/", "proj/ABS/a.mhx", "proj/a.prj", "proj/keep.c"})},
        // The clean-up deleted a file the commit had moved there.
        JournalCase{"CleaningIsCompletedWhateverItDeleted",
                    {{"_old_a.prj", "A"}},
                    kCommit + "committed\ncleaning\n",
                    Recovery::kCompleted,
                    WithOut({"proj/", "proj/keep.c"})},
        JournalCase{"CopyRemovesItsOwnFolder", {}, "copy\n", Recovery::kRolledBack, kOut},
        // Crafted or damaged: refused, nothing changed.
        JournalCase{"DamagedRecord", {}, "move\ta\n", Recovery::kRefused, {}},
        JournalCase{"CopyWithAPath", {}, "copy\t{out}\n", Recovery::kRefused, {}},
        JournalCase{"MoveOutByDotDot",
                    {{"b.txt", "B"}},
                    "move\t../out/new.txt\tb.txt\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{"MoveToAnAbsolutePath",
                    {{"b.txt", "B"}},
                    "move\t{out}/new.txt\tb.txt\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{
            "MoveOfTheJournal", {}, "move\tx\t.kelvandor-journal\n", Recovery::kRefused, {}},
        JournalCase{"MoveThroughALink",
                    {{"b.txt", "B"}},
                    "move\tlink/new.txt\tb.txt\n",
                    Recovery::kRefused,
                    {},
                    true},
        JournalCase{"EmptyPath", {}, "temp\t\n", Recovery::kRefused, {}},
        JournalCase{"ImageRenamedOut",
                    {{"a.mhx", "I"}},
                    "image\ta.mhx\t../out/a.mhx\ncommitted\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{"DeleteOfAProjectFile",
                    {{"b.prj", "B"}},
                    "delete\tb.prj\ncommitted\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{"DeleteOfABackupOutside",
                    {},
                    "delete\t../out/victim.bak\ncommitted\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{"DeleteOfAnAbsoluteBackup",
                    {},
                    "delete\t{out}/_old_victim.prj\ncommitted\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{"DeleteThroughALink",
                    {},
                    "delete\tlink/victim.bak\ncommitted\n",
                    Recovery::kRefused,
                    {},
                    true},
        JournalCase{"TempThatIsAProjectFile", {}, "temp\tkeep.c\n", Recovery::kRefused, {}},
        JournalCase{"TempThatIsAFolder",
                    {{"src.kvtmp/main.c", "main"}},
                    "temp\tsrc.kvtmp\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{
            "TempThroughALink", {}, "temp\tlink/victim.kvtmp\n", Recovery::kRefused, {}, true},
        JournalCase{
            "FolderMoveOfAnotherFolder", {}, "folder\t{out}/a\t{out}\n", Recovery::kRefused, {}},
        JournalCase{"FolderMoveByDotDot",
                    {},
                    "folder\t{root}/../out/moved\t{root}\n",
                    Recovery::kRefused,
                    {}},
        JournalCase{
            "FolderMoveToARelativePath", {}, "folder\tmoved\t{root}\n", Recovery::kRefused, {}},
        // A copy is made where the folder moves to, never where it came from:
        // this would remove the original project.
        JournalCase{"CopyOfTheFolderBeforeItsMove",
                    {},
                    "folder\t{root}\t{out}/moved\ncopy\n",
                    Recovery::kRefused,
                    {}}),
    testing::ParamLabel());

TEST(RunJournalTest, WriterNotesWhatRecoveryAccepts) {
  TempDir tmp;
  const std::string root = tmp / "proj";
  WriteFile(JoinPath(root, "a.prj"), "A");
  {
    RunJournal journal(NativeFileSystem(), root);
    journal.NoteTemp(JoinPath(root, "b.prj.kvtmp"));
    WriteFile(JoinPath(root, "b.prj.kvtmp"), "B");
    journal.NoteCommit({{JoinPath(root, "a.prj"), JoinPath(root, "_old_a.prj")},
                        {JoinPath(root, "b.prj.kvtmp"), JoinPath(root, "b.prj")}},
                       {JoinPath(root, "_old_a.prj")});
    ASSERT_TRUE(RenameNoReplace(JoinPath(root, "a.prj"), JoinPath(root, "_old_a.prj")));
  }
  EXPECT_EQ(RecoverInterruptedRun(root, NativeFileSystem()), Recovery::kRolledBack);
  EXPECT_EQ(ListTree(root), (std::vector<std::string>{"a.prj"}));
}

}  // namespace
}  // namespace kelvandor
