#pragma once

// Deleting the files of one folder by a filter. Only files directly in the
// folder are considered; sub-folders are never entered or removed, but by
// CleanTree. Silent: a file that cannot be deleted (read-only, in use) stays.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor {

// The extension of a file name: from its last "." to the end, dot included;
// empty when the name has no ".".
std::string_view FileExtension(std::string_view name);

// True when the extension of `name` is not empty and occurs as a contiguous
// run anywhere in `ext_list` (case-sensitive): ".h" matches ".hex.elf.bin".
bool ExtensionMatches(std::string_view name, std::string_view ext_list);

// True when `pattern` (not empty) stands in `name` where `anchor` says: 'A'
// anywhere, 'L' at the start, 'R' at the end; any other anchor matches none.
bool NameMatches(std::string_view name, std::string_view pattern, char anchor);

// As ExtensionMatches, the letters A to Z of `name` compared without regard
// to case; `ext_list` is given in lower case.
bool ExtensionMatchesIgnoreCase(std::string_view name, std::string_view ext_list);

// The build-output clean-up's filter: names compared as Windows compares
// them, whatever the file system. As CleanDirectory and CleanDirectoryFile,
// with `ext_list` and `pattern` in lower case.
void CleanDirectoryAnyCase(std::string_view dir, std::string_view ext_list, bool keep_matching,
                           FileSystem& file_system);
void CleanDirectoryFileAnyCase(std::string_view dir, std::string_view pattern, char anchor,
                               bool keep_matching, FileSystem& file_system);

// Deletes the files of `dir` whose extension matches `ext_list` or, with
// `pattern` given instead, whose name holds it (as CleanDirectoryAnyCase and
// CleanDirectoryFileAnyCase do). When `owned_only`, of them only those whose
// names begin with one of `owners` (letters A to Z without case; an empty
// owner owns nothing): where other projects share the folder, their files
// stay.
void CleanFolderFilesAnyCase(std::string_view dir, std::string_view ext_list,
                             std::string_view pattern, bool owned_only,
                             std::initializer_list<std::string_view> owners,
                             FileSystem& file_system);

// keep_matching: delete every file that does not match `ext_list`;
// otherwise delete the matching ones. An empty list deletes every file.
void CleanDirectory(std::string_view dir, std::string_view ext_list, bool keep_matching,
                    FileSystem& file_system);

// keep_matching: delete every file whose name does not match; otherwise
// delete the matching ones.
void CleanDirectoryFile(std::string_view dir, std::string_view pattern, char anchor,
                        bool keep_matching, FileSystem& file_system);

// Deletes below `dir` each file whose name `doomed` picks, and the folders
// left empty by it; links are neither followed nor deleted. True when `dir`
// itself is empty afterwards.
bool CleanTree(const std::string& dir, const std::function<bool(std::string_view name)>& doomed,
               FileSystem& file_system);

}  // namespace kelvandor
