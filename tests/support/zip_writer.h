#pragma once

// Writes the zip archives the tests unpack. Needs libarchive: only the test
// programs that link kelvandor_test_zip may include it.

#include <string>
#include <utility>
#include <vector>

namespace kelvandor::testing {

// One entry of a test archive: a folder where `path` ends in "/".
struct ZipEntry {
  enum Kind { kFileOrFolder, kLink };
  std::string path;
  std::string data;  // a file's content or a link's target
  Kind kind = kFileOrFolder;
};

inline ZipEntry ZipLink(std::string path, std::string target) {
  return {std::move(path), std::move(target), ZipEntry::kLink};
}

// `options` as for archive_write_set_options, e.g. "zip:compression=store";
// a non-empty `passphrase` encrypts the entries the options say.
void WriteZip(const std::string& zip_path, const std::vector<ZipEntry>& entries,
              const std::string& options = {}, const std::string& passphrase = {});

}  // namespace kelvandor::testing
