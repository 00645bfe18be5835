#pragma once

// Where an IAR project (".ewp") builds to, read from its project file: the
// per-configuration folders, as plain values (entities decoded), and the
// files the project names, which a clean-up must never delete. The reader
// streams the file: what cannot be read as such markup yields no value.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

struct IarConfiguration {
  std::string name;         // <configuration><name>
  std::string exe_path;     // option ExePath, "$PROJ_DIR$\" removed
  std::string obj_path;     // option ObjPath
  std::string list_path;    // option ListPath
  std::string browse_path;  // option BrowseInfoPath
  bool operator==(const IarConfiguration&) const = default;
};

// The folder the IDE writes a configuration's source browse information to:
// its BrowseInfoPath, else "BrowseInfo" beside the ExePath folder, else below
// the configuration's name.
std::string BrowseInfoFolder(const IarConfiguration& configuration);

struct IarProject {
  std::vector<IarConfiguration> configurations;
  std::vector<std::string> source_files;  // every <file><name> and linker file, once each
};

// Raises IoError when the file cannot be read.
IarProject ReadIarProject(std::string_view ewp_path, FileSystem& file_system);

}  // namespace kelvandor
