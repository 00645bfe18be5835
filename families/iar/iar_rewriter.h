#pragma once

// Rewriting an IAR Embedded Workbench project: its ".ewp", ".ewd", ".dep"
// and ".ewt" under the new name, the entries of the workspace (".eww") that
// name it, and its files below "settings".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"
#include "platform/file_system.h"

namespace kelvandor {

// Renames the project old_base in `dir`, whose workspace is old_workspace +
// ".eww" in the same folder:
//  - old_base + ".ewp", ".ewd", ".dep" become new name + extension, with old
//    file name + ".bak" as backups (deleted at the end, with those of earlier
//    runs, unless values.backup). Every byte stays but, in the ".ewp", the
//    values of the options naming the build's output (IarOutputFollowing)
//    and, in the ".dep", the entries that are that output (in an output
//    folder, named after the project and not after a source of its name),
//    where the new name is written, XML-escaped;
//  - the workspace, under the new name only when its name is the project's:
//    the <path> entries that name old_base + ".ewp" (after "$WS_DIR$",
//    resolved against `dir`, letter case ignored) name the new ".ewp" in the
//    same spelling, and the batch-build <project> entries of the old name
//    take the new one; nothing else changes;
//  - old_base + ".ewt" and the files of "settings" keyed by the project's
//    name ("NAME.ext", "NAME.<configuration>.*", "NAME_<configuration>.*")
//    are renamed, never over an existing file, through a link or out of
//    `dir`.
// Each workspace entry naming the new ".ewp" is noted as a reference of the
// batch, so that one naming no file or two naming one stop the rename.
// Silent; raises IoError on a file failure, before any rename.
void ParseIAR(std::string_view dir, std::string_view old_base, std::string_view old_workspace,
              const RewriteValues& values, RewriteBatch& batch);
// The same with the workspace of the project's own name.
void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values);
void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values,
              RewriteBatch& batch);

// The output folder (`file` false) or file an ".ewp" option records as
// `value`, once the project old_name is renamed to new_name: where it, after
// "$PROJ_DIR$" and a separator, is old_name or begins with it and a
// separator, ".", "_" or "-" (letter case exact), that part becomes
// new_name; for a file, the name after the last separator too. Nothing when
// no part follows.
std::optional<std::string> IarOutputFollowing(std::string_view value, std::string_view old_name,
                                              std::string_view new_name, bool file);

// A <path> entry of a workspace: its decoded value and the file it names
// ("$WS_DIR$" as the workspace's folder), empty when it does not begin with
// "$WS_DIR$" and a separator.
struct IarWorkspaceEntry {
  std::string written;
  std::string path;
  bool operator==(const IarWorkspaceEntry&) const = default;
};

// The <path> entries of the workspace at `eww_path`, in the order of the
// file. Raises IoError when the file cannot be read.
std::vector<IarWorkspaceEntry> ReadIarWorkspaceEntries(std::string_view eww_path,
                                                       FileSystem& file_system);

// A workspace up to two folders above `project_dir` that lists the project
// old_name + ".ewp" of the project folder (or of the folder it had before
// the run renamed it) lies outside the project and is never changed: the
// batch warns of it, since its entry no longer names the project's file.
void WarnOfIarWorkspacesAbove(std::string_view project_dir, std::string_view old_name,
                              const RewriteValues& values, RewriteBatch& batch);

// The names of the projects the workspace at `eww_path` lists: the file name
// of each <path> entry, without its extension, in the order of the file.
// Raises IoError when the file cannot be read.
std::vector<std::string> ReadIarWorkspaceProjects(std::string_view eww_path,
                                                  FileSystem& file_system);

}  // namespace kelvandor
