#pragma once

// A new, empty, private folder below the system's temporary folder.

#include <string>

namespace kelvandor {

// Creates the folder, named `prefix` + the process id + "-" + a unique
// part, and returns its path; empty on failure.
std::string MakeTemporaryFolder(const std::string& prefix);

// Removes the folders MakeTemporaryFolder(prefix) made for processes that no
// longer run (killed before they could remove them).
void RemoveStaleTemporaryFolders(const std::string& prefix);

// Owns such a folder for its lifetime and removes it with everything in it.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& prefix);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // Empty when the folder could not be created.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kelvandor
