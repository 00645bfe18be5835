#pragma once

// Unpacking a ".zip" archive into a folder.

#include <string_view>

namespace kelvandor {

// Extracts every entry of `archive_path` under `dest_dir` at its stored
// relative path, creating `dest_dir` and the folders inside it, overwriting
// existing files without a question and writing contents byte for byte.
// Entries that would land outside `dest_dir` (absolute paths, "..", links
// leading out) are refused. Returns one of the codes of unzip.h: 0 only when
// everything was extracted without warnings.
int UnzipArchiveCode(std::string_view archive_path, std::string_view dest_dir);

// True exactly when UnzipArchiveCode gives a code whose text is "OKAY".
bool UnzipArchive(std::string_view archive_path, std::string_view dest_dir);

}  // namespace kelvandor
