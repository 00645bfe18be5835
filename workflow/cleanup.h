#pragma once

// The build-output clean-up of a project folder: a fixed table of folders per
// IDE family, emptied or kept to their output images, and the kept release
// images renamed after the new project name. Silent. The blocks are the
// rows of the family table.

#include <string>
#include <string_view>

#include "core/project.h"
#include "core/run_report.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Cleans the plan's target (new path + new folder) as a copy of `project`,
// with the images named after the plan's new name. Does nothing when the
// target is not usable (see IsUsableTarget), so that an emptied folder name
// never cleans the parent folder. Only folders that lie
// inside the target, after following every link, are touched: a build-output
// folder that is a link leading elsewhere is passed over. Returns what was
// deleted and renamed. A file that cannot be deleted (read-only, in use) or
// an image the system does not let it rename stays and the walk goes on;
// afterwards IoError is raised (access denied), so that a clean-up that the
// system refused is never reported as done.
// First, as every run, it takes the project's lock and completes the journal
// of an interrupted run (see run_guard.h), saying so through `ui`; when it
// cannot, it cleans nothing and the report holds the error.
RunReport CleanUpProject(const Project& project, const RenamePlan& plan, UserInterface& ui,
                         FileSystem& file_system);
// As above, telling nobody.
RunReport CleanUpProject(const Project& project, const RenamePlan& plan, FileSystem& file_system);

// The clean-up alone, for a run that holds the lock already; a file that
// stays is not an error here (the run's rename is done by then).
RunReport CleanUpLockedProject(const Project& project, const RenamePlan& plan,
                               FileSystem& file_system);

// True when `new_dir` names at least one folder, none of its components is
// "." or ".." or a name the system cannot make as given (on Windows a device
// name, a forbidden character, a final dot or space; see CheckName), and
// new_path + new_dir is not the root of a file system.
bool IsUsableTarget(std::string_view new_path, std::string_view new_dir);

// True when the new project name can only name files beside the old ones:
// no separator (nor, on Windows, "/" or a drive colon) and no control
// character such as a line break, which would split a rewritten line; on
// Windows also no device name and no character Windows forbids in names.
bool IsUsableProjectName(std::string_view new_name);

}  // namespace kelvandor
