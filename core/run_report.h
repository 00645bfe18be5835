#pragma once

// What a rename or a clean-up did, or, run through a PlanningFileSystem,
// would do. The workflow fills it as it goes, from the calls it makes on the
// file system, so a plan and the report of the real run come from the same
// steps. File contents are never held: only names, counts and the changed
// lines of the project files.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/failure.h"
#include "core/file_rewrite.h"
#include "core/project.h"

namespace kelvandor {

struct FileCount {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  bool operator==(const FileCount&) const = default;
};

struct RemovedFile {
  std::string path;
  std::uint64_t bytes = 0;
  bool operator==(const RemovedFile&) const = default;
};

struct RenamedFile {
  std::string from;
  std::string to;
  bool operator==(const RenamedFile&) const = default;
};

struct RunReport {
  std::string source;  // the project folder
  std::string target;  // the folder the run works on (the source when cleaning)
  RenameMode mode = RenameMode::kInPlace;
  bool clean_up = false;
  // The question put to the user (an existing target), and the answer.
  std::optional<std::string> question;
  bool answered_yes = false;
  FileCount replaced_target;                  // what deleting an existing target removed
  FileCount copied;                           // the copy of the project folder
  std::optional<RenamedFile> renamed_folder;  // rename-folder mode
  std::vector<ProjectFileChange> project_files;
  // Files and folders renamed with the project files (the folder of a
  // target's run-time environment, a scatter file, layouts, settings).
  std::vector<RenamedFile> renamed_files;
  std::vector<RemovedFile> cleaned;  // files the clean-up deleted, sorted by path
  FileCount cleaned_total;
  std::vector<RenamedFile> renamed_images;
  // Result messages about single project files, for the user to act on
  // after the run.
  std::vector<RewriteWarning> warnings;
  // Why the run stopped; none when it did not.
  Failure failure;
  bool operator==(const RunReport&) const = default;
};

}  // namespace kelvandor
