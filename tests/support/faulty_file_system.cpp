#include "tests/support/faulty_file_system.h"

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace kelvandor::testing {

bool FaultyFileSystem::Fails() {
  ++calls_;
  const bool again = fail_again_from_ > 0 && calls_ >= fail_again_from_;
  if (calls_ != fail_at_ && !again) return false;
  fired_ = true;
  errno = ENOSPC;
#ifdef _WIN32
  SetLastError(ERROR_DISK_FULL);
#endif
  return true;
}

bool FaultyFileSystem::MakeDirectory(std::string_view path) {
  return !Fails() && FileSystem::MakeDirectory(path);
}
bool FaultyFileSystem::RenameNoReplace(std::string_view from, std::string_view to) {
  return !Fails() && FileSystem::RenameNoReplace(from, to);
}
bool FaultyFileSystem::RenameReplacing(std::string_view from, std::string_view to) {
  return !Fails() && FileSystem::RenameReplacing(from, to);
}
bool FaultyFileSystem::RemoveFile(std::string_view path) {
  return !Fails() && FileSystem::RemoveFile(path);
}
bool FaultyFileSystem::RemoveTree(std::string_view path) {
  return !Fails() && FileSystem::RemoveTree(path);
}
bool FaultyFileSystem::CopyPermissions(std::string_view from, std::string_view to) {
  return !Fails() && FileSystem::CopyPermissions(from, to);
}
bool FaultyFileSystem::CopyOneFile(std::string_view from, std::string_view to) {
  return !Fails() && FileSystem::CopyOneFile(from, to);
}
bool FaultyFileSystem::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  return !Fails() && FileSystem::MakeLink(target, path, to_folder);
}
int FaultyFileSystem::CreateForWriting(std::string_view path) {
  return Fails() ? -1 : FileSystem::CreateForWriting(path);
}
long long FaultyFileSystem::Write(int fd, const char* data, std::size_t size) {
  return Fails() ? -1 : FileSystem::Write(fd, data, size);
}
// A step that may fail like any other; the test folders need no durability,
// and skipping the real sync keeps the loops fast.
bool FaultyFileSystem::SyncFile(int /*fd*/) { return !Fails(); }
bool FaultyFileSystem::SyncFolder(std::string_view /*dir*/) { return !Fails(); }
int FaultyFileSystem::Close(int fd) {
  if (!Fails()) return FileSystem::Close(fd);
  // The descriptor is gone either way; only the report differs.
  FileSystem::Close(fd);
  errno = ENOSPC;
  return -1;
}

}  // namespace kelvandor::testing
