#pragma once

// Keil multi-project workspaces (".uvmpw"): XML whose <project><PathAndName>
// elements each name one project file, relative to the workspace's folder.
// When a project file is renamed, the entries naming it follow, byte for byte
// outside the file name they change.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_rewrite.h"
#include "platform/file_system.h"

namespace kelvandor {

inline constexpr std::string_view kKeilWorkspace = ".uvmpw";

// The project files the workspace at `path` lists, as written (entities
// decoded). Raises IoError when it cannot be read.
std::vector<std::string> KeilWorkspaceEntries(std::string_view path, FileSystem& file_system);

// Whether `entry`, relative to `workspace_dir`, names the file `path`
// (letter case ignored), without leaving `project_dir`.
bool EntryNames(std::string_view project_dir, std::string_view workspace_dir,
                std::string_view entry, std::string_view path, FileSystem& file_system);

// A project file that a batch renames: bare names in `dir`.
struct RenamedProjectFile {
  std::string dir;
  std::string old_name;
  std::string new_name;
};

// Every ".uvmpw" in `keil_dir` and in each folder above it up to
// `project_dir` that lists one of `renamed` has the file name of each such
// entry replaced by the new one (written as XML); every other byte stays. A
// workspace named after an old project file (without its extension) takes
// the new project name. Nothing is renamed over an existing file; a workspace
// that is a link or lies outside `project_dir` is left alone. The old
// workspace is kept as name + ".bak" when `backup`. Staged into `batch`.
void FollowKeilWorkspaces(std::string_view project_dir, std::string_view keil_dir,
                          std::span<const RenamedProjectFile> renamed, std::string_view new_name,
                          bool backup, RewriteBatch& batch);

}  // namespace kelvandor
