// A rename stopped dead (killed, a power cut) or broken by a disk that goes
// bad, at any single change of the file system, followed by the user's retry:
// the same command again from its very start, input analysis included. The
// retry must end exactly as the uninterrupted command ends.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/cli_run.h"
#include "core/run_journal.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/crashing_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::cli {
namespace {

using testing::HoldsContent;
using testing::ListTree;
using testing::MakeDirs;
using testing::Modes;
using testing::Snapshot;
using Entries = std::vector<std::pair<std::string, std::string>>;

// One small sample per family; each covers the paths of its family's commit
// and clean-up.
struct Sample {
  const char* example;  // below examples/, also the old project name
  const char* moved;    // a project file the commit renames
  const char* covers;
  const char* folder = "pump";  // where the folder moves beside itself
};

const Sample kSamples[] = {
    {"blinky", "blinky.wsp",
     "WSP/PRJ: workspace and project, backups the commit deletes, ABS image"},
    {"motor", "motor.ewp", "IAR: workspace, project, settings files, output images"},
    {"LED", "LED.uvproj", "uVision 4: project and options, output/debug images"},
    {"fan", "fan.uvprojx", "uVision 5: project, options, GUI layouts, run-time environment"},
    {"beacon", "beacon.ioc", "Eclipse: .project set aside, .cproject, .ioc, launch files"},
    {"mplab-blink/blink.X", "blink.mc3",
     "MPLAB X: project files in nbproject/, the MCC file moved after them, output trees", "pump.X"},
    {"cmake-blinky", "lumen.ioc",
     "CMake: the .ioc, lists, VS Code files, CLion's module moved, a stale cache set aside"},
};

struct CrashCase {
  const Sample* sample;
  RenameMode mode;
};

void PrintTo(const CrashCase& c, std::ostream* os) { *os << c.sample->example; }

std::string CaseName(const ::testing::TestParamInfo<CrashCase>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  return std::string(mode[static_cast<int>(info.param.mode)]) + "_" +
         testing::TestNamePart(info.param.sample->example);
}

std::string Example(std::string_view name) {
  std::string out = std::string(KELVANDOR_EXAMPLES_DIR) + Separator();
  for (char c : name) out += c == '/' ? Separator() : c;
  return out;
}

// Stops as CrashingFileSystem does, but in the steps made of many alike
// calls only at their first few: the copy of the project folder, and the
// deletions of the clean-up (any file not of the run's own). Whichever of
// their files a stop meets, the retry takes the same path, and the loop
// stays short.
class CrashingOncePerBulkStep : public testing::CrashingFileSystem {
 public:
  using CrashingFileSystem::CrashingFileSystem;

  bool CopyOneFile(std::string_view from, std::string_view to) override {
    if (Counts(copies_, 1)) return CrashingFileSystem::CopyOneFile(from, to);
    return NativeFileSystem().CopyOneFile(from, to);
  }
  // The folders above the target, the target, the first inside it.
  bool MakeDirectory(std::string_view path) override {
    if (Counts(folders_, 3)) return CrashingFileSystem::MakeDirectory(path);
    return NativeFileSystem().MakeDirectory(path);
  }
  bool RemoveFile(std::string_view path) override {
    if (IsRunsOwn(path) || Counts(removals_, 1)) return CrashingFileSystem::RemoveFile(path);
    return NativeFileSystem().RemoveFile(path);
  }
  bool RemoveTree(std::string_view path) override {
    if (IsRunsOwn(path) || Counts(removals_, 1)) return CrashingFileSystem::RemoveTree(path);
    return NativeFileSystem().RemoveTree(path);
  }

 private:
  bool Counts(int& made, int first) { return ++made <= first || crashed(); }
  // The journal, a temporary file, a file set aside or a backup.
  static bool IsRunsOwn(std::string_view path) {
    const std::string name = NamePart(path);
    return name.starts_with(kJournalName) || name.find(kTemporarySuffix) != std::string::npos ||
           name.find(kSetAsideSuffix) != std::string::npos || name.ends_with(kBackupSuffix) ||
           name.starts_with(kPrjWspBackupPrefix);
  }

  int copies_ = 0;
  int folders_ = 0;
  int removals_ = 0;
};

class RenameProjectCrashTest : public ::testing::TestWithParam<CrashCase> {
 protected:
  // The command a user types: `rename work/<sample> --name pump` with the
  // mode's options.
  Options Command() const {
    Options options;
    options.command = Command::kRename;
    options.source = project_;
    options.name = "pump";
    options.mode = GetParam().mode;
    if (options.mode == RenameMode::kCopy) {
      options.to = area_ / "new";
      options.dir = "pump";
    }
    return options;
  }

  // Runs `options` as the program does, through `file_system`; by default
  // one that stops nowhere and, as every gated one, never waits for the
  // disk, which an in-process stop does not test.
  ExitStatus Run(const Options& options) { return Run(options, never_stops_); }
  ExitStatus Run(const Options& options, FileSystem& file_system) {
    testing::RecordingUi ui;
    // The user's answer to "Project already exist - Delete ?" on a retry.
    ui.confirm_answers = {true};
    return RunCommand(options, ui, file_system, output_);
  }

  // A fresh copy of the sample as work/<sample>, nothing else in the area.
  void Fresh() {
    RemoveTree(area_.path());
    MakeDirs(FolderPart(project_));
    ASSERT_TRUE(CopyTree(Example(GetParam().sample->example), project_));
  }

  // The tree the uninterrupted command leaves, and its permissions.
  Entries Expected() {
    Fresh();
    EXPECT_EQ(Run(Command()), ExitStatus::kSuccess);
    expected_modes_ = Modes(area_.path());
    return Snapshot(area_.path());
  }

  // Whether a stop left the project committed: a journal says so, or, with
  // none left, the renamed project file is gone.
  bool Committed() const {
    bool journal = false;
    for (const std::string& rel : ListTree(area_.path())) {
      if (NamePart(rel) != kJournalName) continue;
      journal = true;
      JournalRecord record;
      if (ReadJournal(FolderPart(area_ / rel), NativeFileSystem(), record) && record.committed) {
        return true;
      }
    }
    if (journal) return false;
    for (const std::string& rel : ListTree(area_.path())) {
      if (NamePart(rel) == GetParam().sample->moved) return false;
    }
    return true;
  }

  // After a run broken off by a stop or a failing disk: nothing of the
  // project is lost before the commit; the same command again ends as
  // `expected`, exit 0.
  void ExpectRetryCompletes(const Entries& expected, const Entries& original) {
    const Entries after_stop = Snapshot(area_.path());
    if (!Committed()) {
      for (const auto& entry : original) {
        EXPECT_TRUE(HoldsContent(after_stop, entry.second)) << "lost " << entry.first;
      }
    }
    Options retry = Command();
    // A moved folder that no journal points to any more: the run was done
    // but for its last step, and the user finds the project where it went.
    const std::string moved = JoinPath(FolderPart(project_), GetParam().sample->folder);
    if (retry.mode == RenameMode::kRenameFolder && !AnythingExists(project_) &&
        !FileExists(JoinPath(moved, kJournalName))) {
      retry.source = moved;
    }
    EXPECT_EQ(Run(retry), ExitStatus::kSuccess);
    EXPECT_EQ(Snapshot(area_.path()), expected);
    EXPECT_EQ(Modes(area_.path()), expected_modes_);
  }

  testing::CrashingFileSystem never_stops_;
  testing::TempDir area_{testing::TempPlace::kMemory};
  std::vector<std::pair<std::string, int>> expected_modes_;
  const std::string project_ = area_ / ("work/" + std::string(GetParam().sample->example));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink_{std::tmpfile(), &std::fclose};
  const CliOutput output_{.out = sink_.get(), .err = sink_.get()};
};

// Whichever single change the command stops at, with no undo on the way out.
TEST_P(RenameProjectCrashTest, AnyStopLosesNothingAndTheSameCommandCompletes) {
  const Entries original = Snapshot(Example(GetParam().sample->example));
  const Entries expected = Expected();
  for (int n = 1;; ++n) {
    SCOPED_TRACE("stopped at call " + std::to_string(n));
    Fresh();
    CrashingOncePerBulkStep crashing(n);
    bool stopped = false;
    try {
      Run(Command(), crashing);
    } catch (const testing::Crash&) {
      stopped = true;
    }
    if (!stopped) {
      EXPECT_EQ(Snapshot(area_.path()), expected);
      break;
    }
    ExpectRetryCompletes(expected, original);
    if (HasFailure()) break;
  }
}

// A step fails and, one or two steps later, so does every step after it:
// the undo of the first failure fails part-way, also after the commit was
// noted done. Whatever the journal left, the same command completes.
TEST_P(RenameProjectCrashTest, FailingUndoLeavesAJournalTheSameCommandCompletes) {
  // The scheme whose backups the commit deletes; the loop is long.
  if (GetParam().sample != &kSamples[0]) GTEST_SKIP() << "one sample";
  const Entries original = Snapshot(Example(GetParam().sample->example));
  const Entries expected = Expected();
  for (int n = 1;; ++n) {
    bool fired = false;
    for (int gap : {1, 2}) {
      SCOPED_TRACE("failing call " + std::to_string(n) + ", then from " + std::to_string(n + gap));
      Fresh();
      testing::FaultyFileSystem faulty(n, n + gap);
      Run(Command(), faulty);
      fired = faulty.fired();
      if (!fired) break;
      ExpectRetryCompletes(expected, original);
      if (HasFailure()) return;
    }
    if (!fired) break;
  }
}

std::vector<CrashCase> CrashCases() {
  std::vector<CrashCase> out;
  for (RenameMode mode : {RenameMode::kCopy, RenameMode::kRenameFolder, RenameMode::kInPlace}) {
    for (const Sample& sample : kSamples) out.push_back({&sample, mode});
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(ModesAndFamilies, RenameProjectCrashTest,
                         ::testing::ValuesIn(CrashCases()), CaseName);

}  // namespace
}  // namespace kelvandor::cli
