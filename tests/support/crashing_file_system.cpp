#include "tests/support/crashing_file_system.h"

#include <cerrno>

namespace kelvandor::testing {

bool CrashingFileSystem::Allowed() {
  if (crashed_) {
    errno = EIO;
    return false;
  }
  if (++calls_ != crash_at_) return true;
  crashed_ = true;
  throw Crash{};
}

bool CrashingFileSystem::MakeDirectory(std::string_view path) {
  return Allowed() && FileSystem::MakeDirectory(path);
}
bool CrashingFileSystem::RenameNoReplace(std::string_view from, std::string_view to) {
  return Allowed() && FileSystem::RenameNoReplace(from, to);
}
bool CrashingFileSystem::RenameReplacing(std::string_view from, std::string_view to) {
  return Allowed() && FileSystem::RenameReplacing(from, to);
}
bool CrashingFileSystem::RemoveFile(std::string_view path) {
  return Allowed() && FileSystem::RemoveFile(path);
}
bool CrashingFileSystem::RemoveTree(std::string_view path) {
  return Allowed() && FileSystem::RemoveTree(path);
}
bool CrashingFileSystem::CopyPermissions(std::string_view from, std::string_view to) {
  return Allowed() && FileSystem::CopyPermissions(from, to);
}
bool CrashingFileSystem::CopyOneFile(std::string_view from, std::string_view to) {
  return Allowed() && FileSystem::CopyOneFile(from, to);
}
bool CrashingFileSystem::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  return Allowed() && FileSystem::MakeLink(target, path, to_folder);
}
int CrashingFileSystem::CreateForWriting(std::string_view path) {
  return Allowed() ? FileSystem::CreateForWriting(path) : -1;
}
long long CrashingFileSystem::Write(int fd, const char* data, std::size_t size) {
  return Allowed() ? FileSystem::Write(fd, data, size) : -1;
}
int CrashingFileSystem::Close(int fd) {
  // Not a place to stop: closing changes nothing the next process sees, and
  // descriptors are closed in destructors, which must not throw. A stopped
  // process loses its descriptors; this one must not leak them.
  const int closed = FileSystem::Close(fd);
  if (!crashed_) return closed;
  errno = EIO;
  return -1;
}
// A step that may fail like any other; the test folders need no durability,
// and skipping the real sync keeps the loops fast.
bool CrashingFileSystem::SyncFile(int /*fd*/) { return Allowed(); }
bool CrashingFileSystem::SyncFolder(std::string_view /*dir*/) { return Allowed(); }

}  // namespace kelvandor::testing
