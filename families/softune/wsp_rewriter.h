#pragma once

// Rewriting the ".wsp" workspace file of a WSP/PRJ project.

#include <string>
#include <string_view>
#include <vector>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Rewrites `old_file` (old workspace name + ".wsp", a bare name) in `dir`,
// keeping "_old_" + `old_file` as its backup. True when the file existed and
// three or four recognised lines were replaced; otherwise keeps the backup
// and notes "Please recheck *.WSP files manually" in the batch as a warning
// about the file, which the variant with a batch of its own shows on `ui` as
// a result message (the others leave `ui` alone). Raises IoError as ParsePrj
// does.
//
// A workspace of one project becomes new name + ".wsp", its "FILE-0=",
// "ActivePrj=" and "[SubPrj-" lines naming the new project file and its
// "WSP=" line the new folder. A workspace that lists several projects keeps
// the entries of the others: only the entries naming `old_project` + ".prj"
// follow the new name (each keeping its folder), and the file takes the new
// name only when it carries the project's name. Every rewritten "FILE-"
// entry is noted in the batch as a reference, and so is every other one, so
// that no two entries come to name the same file.
bool ParseWsp(std::string_view dir, std::string_view old_file, std::string_view old_project,
              const RewriteValues& values, UserInterface& ui, RewriteBatch& batch);
// As above with the workspace's own name as the project's.
bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch);
// The same, in a batch of its own.
bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui);

// The project files a workspace lists, as written in its "FILE-<n>=" lines
// in order, then those only its "[SubPrj-...]" headers name; each once
// (letter case ignored; a header naming the file of an entry is that entry).
// Raises IoError when the file cannot be read.
std::vector<std::string> WorkspaceProjects(std::string_view wsp_path, FileSystem& file_system);

}  // namespace kelvandor
