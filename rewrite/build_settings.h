#pragma once

// Where a project builds to, read from its XML project file: the per-target
// folders and names of a Keil uVision 5 project (".uvprojx") and the
// per-configuration folders of an IAR project (".ewp"), as plain values
// (entities decoded). Also the files the project names, which a clean-up
// must never delete. Both readers stream the file: what cannot be read as
// such markup yields no value.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

struct KeilTarget {
  std::string name;              // <TargetName>
  std::string output_directory;  // <OutputDirectory>, e.g. ".\Objects\"
  std::string listing_path;      // <ListingPath>
  std::string output_name;       // <OutputName>
  std::string scatter_file;      // <ScatterFile>
  std::string device;            // <Device>
  bool operator==(const KeilTarget&) const = default;
};

struct KeilProject {
  std::vector<KeilTarget> targets;        // in the order of the file
  std::vector<std::string> source_files;  // every <FilePath>, once each
};

// Raises IoError when the file cannot be read. Without `with_sources`,
// source_files stays empty and memory stays flat whatever the file's size.
KeilProject ReadKeilProject(std::string_view uvprojx_path, bool with_sources,
                            FileSystem& file_system);

struct IarConfiguration {
  std::string name;       // <configuration><name>
  std::string exe_path;   // option ExePath, "$PROJ_DIR$\" removed
  std::string obj_path;   // option ObjPath
  std::string list_path;  // option ListPath
  bool operator==(const IarConfiguration&) const = default;
};

struct IarProject {
  std::vector<IarConfiguration> configurations;
  std::vector<std::string> source_files;  // every <file><name> and linker file, once each
};

// Raises IoError when the file cannot be read.
IarProject ReadIarProject(std::string_view ewp_path, FileSystem& file_system);

// The resolved path of `value` — a folder or file as a project file records
// it, relative to `base_dir`, "\" or "/" between names — when it lies inside
// `project_dir` (or is it). Nothing for an empty value, an absolute path
// ("\x", "/x", "C:\x", "C:x"), a value holding a "$" variable, and a path
// that leaves `project_dir` by ".." or through a symbolic link.
std::optional<std::string> PathInside(std::string_view project_dir, std::string_view base_dir,
                                      std::string_view value, FileSystem& file_system);

// The text after the last "\" or "/" of a recorded path.
std::string_view RecordedName(std::string_view value);

}  // namespace kelvandor
