#pragma once

// Rewriting the configuration a code generator keeps beside the IDE folders
// it writes (NAME.ioc above "MDK-ARM" or "EWARM", or in an IDE project's
// folder). It names the project twice, in "ProjectManager.ProjectName" and
// "ProjectManager.ProjectFileName"; the next code generation writes the
// project files under those names, so they follow the project.

#include <string>
#include <string_view>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"

namespace kelvandor {

// In `dir`, rewrites old_name + ".ioc" (letter case ignored) under new name +
// ".ioc" when its project name is `old_name`: the two keys take the new
// name, every other byte stays. The old file is kept as its name + ".bak"
// when values.backup. Nothing happens when there is no such file, when it
// names another project, when it lies outside `dir` through a link, or when
// `batch` stages it already.
// Staged into `batch`: nothing changes before its commit. `named`, when
// given, is the project name the keys must carry instead of `old_name` (a
// project renamed in its IDE keeps the generator's old one).
void ParseIoc(std::string_view dir, std::string_view old_name, const RewriteValues& values,
              RewriteBatch& batch, std::string_view named = {});

// ParseIoc for the configuration above an IDE's folder ("EWARM", "MDK-ARM").
void RewriteConfigurationAbove(const std::string& above, const std::string& old_name,
                               const RewriteValues& values, RewriteBatch& batch);

// The name of the configuration old_name + ".ioc" in `dir` (letter case
// ignored), as it is written there; empty when there is none.
std::string GeneratorFileIn(std::string_view dir, std::string_view old_name);

}  // namespace kelvandor
