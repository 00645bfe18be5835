#pragma once

// Rewriting the ".wsp" workspace file of a WSP/PRJ project.

#include <string_view>

#include "platform/user_interface.h"
#include "rewrite/file_rewrite.h"
#include "rewrite/rewrite_values.h"

namespace kelvandor {

// Rewrites `old_file` (old workspace name + ".wsp", a bare name) in `dir`
// into new name + ".wsp", keeping "_old_" + `old_file` as its backup. True
// when the file existed and three or four recognised lines were replaced;
// otherwise shows "Please recheck *.WSP files manually" as a result message
// and keeps the backup. Raises IoError as ParsePrj does.
bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui);
// The same, staged into `batch`: the files change when it is committed.
bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch);

}  // namespace kelvandor
