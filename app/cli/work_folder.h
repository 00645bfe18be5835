#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/temp_folder.h"

namespace kelvandor::cli {

// The command-line program's own folder for the length of a run, removed
// with everything in it at the end.
class WorkFolder {
 public:
  WorkFolder() : path_(MakeTemporaryFolder("kelvandor-cli-")) {}
  ~WorkFolder() {
    if (!path_.empty()) RemoveTree(path_);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kelvandor::cli
