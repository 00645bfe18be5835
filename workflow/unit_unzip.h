#pragma once

// Unpacking a ".zip" archive into a folder.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor {

// How an extraction ended. The analysis only tells a failure ("Unzip Error!");
// the codes tell the tests which failure it was.
enum class UnzipResult : int {
  kOk = 0,
  kWarnings = 1,
  kErrors = 2,
  kSevereError = 3,
  kNoMemory = 4,
  kArchiveNotFound = 9,
  kBadParameters = 10,
  kNoFiles = 11,
  kDiskFull = 50,
  kUnexpectedEof = 51,
  kBadPassword = 82,
};

// The bytes that may still be written below a folder; nothing when unknown.
using FreeSpaceFn = std::function<std::optional<std::uint64_t>(std::string_view folder)>;

// Extracts every entry of `archive_path` under `dest_dir` at its stored
// relative path, creating `dest_dir` and the folders inside it, overwriting
// existing files without a question and writing contents byte for byte.
// Entries that would land outside `dest_dir` (absolute paths, "..", links
// leading out) are refused. An archive whose entries declare more bytes in
// all than `free_space` gives for `dest_dir` is refused before anything is
// written (kDiskFull), and an entry that unpacks to more than it declares
// stops the extraction (kSevereError) before the excess is
// written. kOk only when everything was extracted without warnings.
UnzipResult UnzipArchiveCode(std::string_view archive_path, std::string_view dest_dir,
                             const FreeSpaceFn& free_space = FreeSpace);

// True exactly when UnzipArchiveCode gives kOk.
bool UnzipArchive(std::string_view archive_path, std::string_view dest_dir,
                  const FreeSpaceFn& free_space = FreeSpace);

}  // namespace kelvandor
