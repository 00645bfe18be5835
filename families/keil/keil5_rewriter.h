#pragma once

// Rewriting a Keil uVision project: the project and options files under the
// new name, element by element and byte for byte, and the files and folders
// the project keys by its name or its targets' names renamed with it. Both
// generations share the elements; uVision 4 (keil_rewriter.h) differs in the
// file names only.

#include <string_view>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"

namespace kelvandor {

// In `dir`, rewrites old_base + ".uvprojx" and old_base + ".uvoptx" under new
// name + extension, with old file name + ".bak" as backups, deleted at the
// end unless values.backup. Only these values change, everything else is
// copied byte for byte:
//  - <OutputName> equal to the old name or beginning with it (letters A-Z
//    compared without case): the new name with the same rest;
//  - <TargetName> equal to the old name, in both files: the new name; the
//    folder RTE/_<target> (blanks as "_") follows, with every RTE\_<target>
//    in a path value and every <targetInfo name=...>, and so do the debugger
//    settings DebugConfig/<target>_<device>[_<version>].dbgconf;
//  - <ScatterFile> whose file name begins with the old name: when the file
//    lies in `dir`, it is renamed with the project; when it is missing and
//    would be the one the linker writes into the output folder, the element
//    follows <OutputName>; otherwise nothing changes;
//  - the group entries (<FilePath>, <PathWithFileName>) naming a file renamed
//    with the project: its new name, and so do their <FileName> and
//    <FilenameWithoutPath> where they name it.
// old_base + ".uvguix.<user>" files take the new name with the same suffix.
// Nothing is renamed over an existing file, and nothing that lies outside
// `dir` (through a link) is touched. The project file is streamed once (again
// only when a value comes before the target that changes it), and memory
// stays flat whatever its size. Silent; raises IoError on a file
// failure, before any rename.
void ParseKEILUV5(std::string_view dir, std::string_view old_base, const RewriteValues& values);
// The same, staged into `batch`: the files change when it is committed.
void ParseKEILUV5(std::string_view dir, std::string_view old_base, const RewriteValues& values,
                  RewriteBatch& batch);

// The file names of one uVision generation.
struct KeilFormat {
  std::string_view project;  // ".uvprojx"
  std::string_view options;  // ".uvoptx"
  std::string_view layout;   // ".uvguix.": old_base + it + <user> follows; empty: none
};
inline constexpr KeilFormat kUvision5{".uvprojx", ".uvoptx", ".uvguix."};
inline constexpr KeilFormat kUvision4{".uvproj", ".uvopt", ""};

// ParseKEILUV5 for the files of `format`.
void RewriteKeilProject(std::string_view dir, std::string_view old_base,
                        const RewriteValues& values, const KeilFormat& format, RewriteBatch& batch);

}  // namespace kelvandor
