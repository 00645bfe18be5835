#pragma once

// The real file system with a gate before each of its changing calls (closing
// a descriptor aside): the base of the test file systems that stop a run at
// one chosen step.

#include <cstddef>
#include <string_view>

#include "platform/forwarding_file_system.h"

namespace kelvandor::testing {

class GatedFileSystem : public ForwardingFileSystem {
 public:
  GatedFileSystem() : ForwardingFileSystem(NativeFileSystem()) {}

  bool MakeDirectory(std::string_view path) override {
    return Pass() && ForwardingFileSystem::MakeDirectory(path);
  }
  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    return Pass() && ForwardingFileSystem::Rename(from, to, replace);
  }
  bool RemoveFile(std::string_view path) override {
    return Pass() && ForwardingFileSystem::RemoveFile(path);
  }
  bool RemoveTree(std::string_view path) override {
    return Pass() && ForwardingFileSystem::RemoveTree(path);
  }
  bool CopyPermissions(std::string_view from, std::string_view to) override {
    return Pass() && ForwardingFileSystem::CopyPermissions(from, to);
  }
  bool CopyOneFile(std::string_view from, std::string_view to) override {
    return Pass() && ForwardingFileSystem::CopyOneFile(from, to);
  }
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override {
    return Pass() && ForwardingFileSystem::MakeLink(target, path, to_folder);
  }
  int CreateForWriting(std::string_view path) override {
    return Pass() ? ForwardingFileSystem::CreateForWriting(path) : -1;
  }
  long long Write(int fd, const char* data, std::size_t size) override {
    return Pass() ? ForwardingFileSystem::Write(fd, data, size) : -1;
  }
  // A step that may fail like any other; the test folders need no
  // durability, and skipping the real sync keeps the loops fast.
  bool SyncFile(int /*fd*/) override { return Pass(); }
  bool SyncFolder(std::string_view /*dir*/) override { return Pass(); }

 protected:
  // Counts a changing call; false, with errno set, when it is not to be made.
  virtual bool Pass() = 0;
};

}  // namespace kelvandor::testing
