#include "platform/temp_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"
#include "platform/path_style.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
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
  std::string pattern = ProgramPath(base) + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
#endif
}

namespace {

bool ProcessRuns(unsigned long pid) {
#ifdef _WIN32
  if (pid == GetCurrentProcessId()) return true;
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
#else
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
#endif
}

}  // namespace

void RemoveStaleTemporaryFolders(const std::string& prefix) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return;
  const std::string dir = ProgramPath(base);
  for (const DirEntry& entry : ListDirectory(dir)) {
    if (entry.kind != EntryKind::kFolder || entry.is_link || !entry.name.starts_with(prefix)) {
      continue;
    }
    const std::string rest = entry.name.substr(prefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 10 ||
        rest.find_first_not_of("0123456789") != dash) {
      continue;
    }
    if (!ProcessRuns(std::stoul(rest.substr(0, dash)))) {
      RemoveTree(dir + SeparatorString() + entry.name);
    }
  }
}

TemporaryFolder::TemporaryFolder(const std::string& prefix) : path_(MakeTemporaryFolder(prefix)) {}

TemporaryFolder::~TemporaryFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

}  // namespace kelvandor
