#include "platform/temp_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace kelvandor {

std::string MakeTemporaryFolder(const std::string& prefix) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
#ifdef _WIN32
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const std::string candidate = ProgramPath(base) + "\\" + prefix +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount64() + attempt);
    if (MakeDirectory(candidate)) return candidate;
  }
  return {};
#else
  std::string pattern = ProgramPath(base) + "/" + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
#endif
}

TemporaryFolder::TemporaryFolder(const std::string& prefix) : path_(MakeTemporaryFolder(prefix)) {}

TemporaryFolder::~TemporaryFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

}  // namespace kelvandor
