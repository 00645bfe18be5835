#pragma once

// Rewriting the ".uvproj" and ".uvopt" files of a Keil uVision 4 project.

#include <string_view>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"

namespace kelvandor {

// Rewrites old_base + ".uvproj" and old_base + ".uvopt" in `dir` under new
// name + extension, with old file name + ".bak" as backups, deleted at the
// end unless values.backup: the same values as ParseKEILUV5 change, byte for
// byte, and the same files and folders follow (keil5_rewriter.h).
// Silent; raises IoError on a file failure, before any rename.
void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values);
// The same, staged into `batch`: the files change when it is committed.
void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values,
                 RewriteBatch& batch);

}  // namespace kelvandor
