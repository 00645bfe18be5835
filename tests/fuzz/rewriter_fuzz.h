#pragma once

// The bodies of the rewriter targets: any project files and names go in; the
// lines must map one to one, every original must survive in place or in its
// backup, and nothing beside the project folder may change.

#include <span>
#include <string_view>

#include "platform/user_interface.h"
#include "core/rewrite_values.h"

namespace kelvandor::fuzz {

// ParseWsp and ParsePrj: one file old base + `extension`, "_old_" backups, a
// recheck message exactly when the result is false.
using CountedRewriter = bool (*)(std::string_view dir, std::string_view old_file,
                                 const RewriteValues& values, UserInterface& ui);
void FuzzCountedRewriter(std::string_view data, std::string_view extension,
                         CountedRewriter rewriter);

// ParseIAR and ParseKEILUV: one file per extension, ".bak" backups, silent.
using KindsRewriter = void (*)(std::string_view dir, std::string_view old_base,
                               const RewriteValues& values);
void FuzzKindsRewriter(std::string_view data, std::span<const std::string_view> extensions,
                       KindsRewriter rewriter);

}  // namespace kelvandor::fuzz
