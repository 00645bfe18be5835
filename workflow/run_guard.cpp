#include "workflow/run_guard.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/run_journal.h"
#include "platform/path_style.h"
#include "platform/write_beside.h"

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

// The project file that the commit of `record`, the journal of `dir`, put in
// the place of the file `given`, which it renamed: the one file it moved into
// the same folder with the same extension; empty when there is not exactly
// one.
std::string RenamedProjectFile(const std::string& dir, const JournalRecord& record,
                               const std::string& given) {
  if (given.size() <= dir.size() + 1 || given.compare(0, dir.size(), dir) != 0 ||
      given[dir.size()] != Separator()) {
    return {};
  }
  const std::string rel = given.substr(dir.size() + 1);
  const std::string name = NamePart(rel);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  const std::string_view ext = std::string_view(name).substr(dot);
  std::string found;
  for (const JournalMove& move : record.moves) {
    if (!EndsWithIgnoreCase(move.from, kTemporarySuffix) || !EndsWithIgnoreCase(move.to, ext) ||
        FolderPart(move.to) != FolderPart(rel)) {
      continue;
    }
    if (!found.empty()) return {};
    found = move.to;
  }
  return found.empty() ? found : JoinPath(dir, found);
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
  // A project file in a sub-folder of its project (a generator's IDE
  // folder) has the journal of its project above it.
  if (!file_system.DirectoryExists(input) && (missing.empty() || missing == input)) {
    for (std::string dir = FolderPart(dirs.front()), up = dirs.front();
         dirs.size() < 3 && !dir.empty() && dir != up; up = dir, dir = FolderPart(dir)) {
      dirs.push_back(dir);
    }
  }
  std::erase_if(dirs, [&](const std::string& dir) { return !HoldsJournal(dir, file_system); });
  if (dirs.empty()) return RenameError::kNone;
  // Read before the recovery removes them: a completed commit may have
  // renamed the very file given.
  std::vector<std::pair<std::string, JournalRecord>> records;
  for (const std::string& dir : dirs) {
    JournalRecord record;
    if (ReadJournal(dir, file_system, record)) records.emplace_back(dir, std::move(record));
  }
  FolderLock lock;
  const RenameError error = GuardRun(dirs, lock, &ui, file_system);
  if (!moved.empty() && !file_system.AnythingExists(missing)) {
    input = moved + input.substr(missing.size());
  }
  if (error == RenameError::kNone && !file_system.AnythingExists(input)) {
    for (const auto& [dir, record] : records) {
      const std::string renamed = RenamedProjectFile(dir, record, input);
      if (!renamed.empty() && file_system.FileExists(renamed)) {
        input = renamed;
        break;
      }
    }
  }
  return error;
}

}  // namespace kelvandor
