#include "operations/run_guard.h"

#include <string>
#include <vector>

#include "platform/path_style.h"
#include "platform/write_beside.h"
#include "rewrite/run_journal.h"

namespace kelvandor {
namespace {

bool HoldsJournal(const std::string& dir, FileSystem& fs) {
  return fs.FileExists(JoinPath(dir, kJournalName)) ||
         fs.FileExists(JoinPath(dir, kJournalNewName));
}

// The folder in `above` whose journal moved the project folder `moved` there;
// empty when none did.
std::string MovedFolder(const std::string& above, const std::string& moved, FileSystem& fs) {
  for (const DirEntry& entry : fs.ListDirectory(above)) {
    if (entry.kind != EntryKind::kFolder || entry.is_link) continue;
    const std::string dir = JoinPath(above, entry.name);
    JournalRecord record;
    if (ReadJournal(dir, fs, record) && !record.folder_from.empty() &&
        FolderPart(record.folder_from) == above &&
        SameFileName(NamePart(record.folder_from), NamePart(moved)) && record.folder_to == dir) {
      return dir;
    }
  }
  return {};
}

}  // namespace

RenameError GuardRun(const std::vector<std::string>& dirs, FolderLock& lock, UserInterface* ui,
                     FileSystem& file_system) {
  for (const std::string& dir : dirs) {
    if (!lock.Acquire(dir, kLockWait)) {
      if (ui != nullptr) ui->ShowMessage(RenameErrorText(RenameError::kBusy));
      return RenameError::kBusy;
    }
  }
  for (const std::string& dir : dirs) {
    switch (RecoverInterruptedRun(dir, file_system)) {
      case Recovery::kNone:
        break;
      case Recovery::kRolledBack:
        if (ui != nullptr) ui->ShowMessage(kRolledBackText);
        break;
      case Recovery::kCompleted:
        if (ui != nullptr) ui->ShowMessage(kCompletedText);
        break;
      case Recovery::kRefused:
        if (ui != nullptr) {
          ui->ShowMessage(std::string(kRefusedRecordText) + " " + JoinPath(dir, kJournalName));
        }
        return RenameError::kUnfinishedRun;
      case Recovery::kFailed:
        if (ui != nullptr) ui->ShowMessage(RenameErrorText(RenameError::kUnfinishedRun));
        return RenameError::kUnfinishedRun;
    }
  }
  return RenameError::kNone;
}

RenameError RecoverInput(std::string& input, UserInterface& ui, FileSystem& file_system) {
  if (input.empty()) return RenameError::kNone;
  std::vector<std::string> dirs;
  std::string missing;
  std::string moved;
  if (file_system.DirectoryExists(input)) {
    dirs.push_back(input);
  } else if (file_system.AnythingExists(input)) {
    dirs.push_back(FolderPart(input));
  } else {
    missing = input;
    std::string above = FolderPart(missing);
    while (!above.empty() && above != missing && !file_system.DirectoryExists(above)) {
      missing = above;
      above = FolderPart(above);
    }
    if (!file_system.DirectoryExists(above)) return RenameError::kNone;
    dirs.push_back(above);
    moved = MovedFolder(above, missing, file_system);
    if (!moved.empty()) dirs.push_back(moved);
  }
  std::erase_if(dirs, [&](const std::string& dir) { return !HoldsJournal(dir, file_system); });
  if (dirs.empty()) return RenameError::kNone;
  FolderLock lock;
  const RenameError error = GuardRun(dirs, lock, &ui, file_system);
  if (!moved.empty() && !file_system.AnythingExists(missing)) {
    input = moved + input.substr(missing.size());
  }
  return error;
}

}  // namespace kelvandor
