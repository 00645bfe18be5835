#include "platform/folder_lock.h"

#include <algorithm>
#include <functional>
#include <thread>

#include "platform/file_system.h"
#include "platform/path_style.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvandor {
namespace {

constexpr std::chrono::milliseconds kPoll{50};

}  // namespace

FolderLock::~FolderLock() {
  for (const std::intptr_t handle : handles_) {
#ifdef _WIN32
    ReleaseMutex(reinterpret_cast<HANDLE>(handle));
    CloseHandle(reinterpret_cast<HANDLE>(handle));
#else
    ::close(static_cast<int>(handle));
#endif
  }
}

bool FolderLock::Acquire(std::string_view dir, std::chrono::milliseconds wait) {
  std::string resolved = ResolvedPath(dir);
  if (resolved.empty()) resolved = AbsolutePath(dir);
  if (std::find(held_.begin(), held_.end(), resolved) != held_.end()) return true;
#ifdef _WIN32
  std::string key = resolved;
  for (char& c : key) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  const std::wstring name =
      L"Local\\kelvandor-project-" + std::to_wstring(std::hash<std::string>{}(key));
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return false;
  const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
  // An abandoned mutex belonged to a process that ended mid-run.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  handles_.push_back(reinterpret_cast<std::intptr_t>(mutex));
#else
  const int fd = ::open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK || errno == EINTR;
    if (!busy || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      // A file system without locks (some network ones) cannot be guarded.
      return !busy;
    }
    std::this_thread::sleep_for(kPoll);
  }
  handles_.push_back(fd);
#endif
  held_.push_back(std::move(resolved));
  return true;
}

}  // namespace kelvandor
