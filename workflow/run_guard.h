#pragma once

// What every run does on a project before it changes anything: it takes the
// project's lock, then completes the journal of an interrupted run.

#include <chrono>
#include <string>
#include <vector>

#include "core/rename_error.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/user_interface.h"

namespace kelvandor {

// How long a run waits for another run on the same project.
inline constexpr std::chrono::milliseconds kLockWait{2000};

// Locks each of `dirs` into `lock` (kBusy when another process keeps one),
// then completes the journal found in any of them, saying so through `ui`
// when given (kUnfinishedRun when that fails). kNone when the run may go on.
RenameError GuardRun(const std::vector<std::string>& dirs, FolderLock& lock, UserInterface* ui,
                     FileSystem& file_system);

// What a front door does with the path a user gives before input analysis
// reads it: completes, as GuardRun does, the journal found in the folder
// `input` names or lies in. A path that no longer exists is looked for in
// the nearest folder above it that does, and beside it: a journal whose
// folder move left that path names where the project went, and `input` is
// pointed there when the project stays there. The lock is let go at the
// end: the run takes it again, and completes what another run may have left
// meanwhile.
RenameError RecoverInput(std::string& input, UserInterface& ui, FileSystem& file_system);

}  // namespace kelvandor
