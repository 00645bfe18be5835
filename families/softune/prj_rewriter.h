#pragma once

// Rewriting the ".prj" project file of a WSP/PRJ project.

#include <string_view>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Rewrites `old_file` (old project name + ".prj", a bare name) in `dir` into
// new name + ".prj", keeping "_old_" + `old_file` as its backup. True when the
// file existed and one or two recognised lines were replaced; otherwise keeps
// the backup and shows "Please recheck *.PRJ files manually" on `ui` as a
// result message. Raises IoError when a file cannot be opened, read, written
// or moved.
bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui);
// The same, staged into `batch`: the files change when it is committed, and
// the message is noted in `batch` as a warning about the file instead (`ui`
// is left alone).
bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch);

}  // namespace kelvandor
