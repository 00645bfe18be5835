#pragma once

// Rewriting the ".eww", ".ewp", ".ewd" and ".dep" files of an IAR project.

#include <string_view>

#include "rewrite/file_rewrite.h"
#include "rewrite/rewrite_values.h"

namespace kelvandor {

// Rewrites the four files old_base + extension in `dir` under new name +
// extension, with old file name + ".bak" as backups, deleted at the end
// unless values.backup. Silent; raises IoError on a file failure.
void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values);
// The same, staged into `batch`: the files change when it is committed.
void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values,
              RewriteBatch& batch);

}  // namespace kelvandor
