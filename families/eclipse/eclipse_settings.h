#pragma once

// What the rewriter and the clean-up of Eclipse-based IDE projects read:
// the project's own name from ".project" and the build configurations of
// ".cproject" (entities decoded). Both stream the file; whatever does not
// look like the expected markup yields no value.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

// The <name> directly inside <projectDescription>; empty when there is none.
// Raises IoError when the file cannot be read.
std::string ReadEclipseProjectName(std::string_view project_file, FileSystem& file_system);

struct EclipseConfiguration {
  std::string name;                  // <configuration name=...> of the cdtBuildSystem module
  std::string build_path;            // its <builder buildPath=...>, empty when not given
  bool managed_link_script = false;  // an option "...link.manage" set to true
  bool operator==(const EclipseConfiguration&) const = default;
};

// The <cconfiguration>s of a ".cproject" in the order of the file. Raises
// IoError when the file cannot be read.
std::vector<EclipseConfiguration> ReadEclipseConfigurations(std::string_view cproject_file,
                                                            FileSystem& file_system);

// The folder a configuration builds into, relative to the project folder
// with "/" between names: its build path when that is a project's location
// ("${workspace_loc:/NAME}", whatever NAME: an IDE rename leaves the old one;
// "${ProjDirPath}", "${project_loc}") followed by a relative folder, else its
// name when no build path is given or it is "${BuildDirectory}". Empty when
// the folder cannot be told or would leave the project.
std::string EclipseBuildFolder(const EclipseConfiguration& configuration);

}  // namespace kelvandor
