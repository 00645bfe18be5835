#include "operations/run_guard.h"

#include <string>

#include "platform/path_style.h"
#include "rewrite/run_journal.h"

namespace kelvandor {

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

}  // namespace kelvandor
