#pragma once

// A file system that passes every call on to another one: the base of the
// file systems that watch or change a few of the calls and leave the rest.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  bool MakeDirectory(std::string_view path) override { return inner_.MakeDirectory(path); }
  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    return inner_.Rename(from, to, replace);
  }
  bool RemoveFile(std::string_view path) override { return inner_.RemoveFile(path); }
  bool RemoveTree(std::string_view path) override { return inner_.RemoveTree(path); }
  bool CopyPermissions(std::string_view from, std::string_view to) override {
    return inner_.CopyPermissions(from, to);
  }
  bool CopyOneFile(std::string_view from, std::string_view to) override {
    return inner_.CopyOneFile(from, to);
  }
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override {
    return inner_.MakeLink(target, path, to_folder);
  }
  int CreateForWriting(std::string_view path) override { return inner_.CreateForWriting(path); }
  long long Write(int fd, const char* data, std::size_t size) override {
    return inner_.Write(fd, data, size);
  }
  int Close(int fd) override { return inner_.Close(fd); }
  bool SyncFile(int fd) override { return inner_.SyncFile(fd); }
  bool SyncFolder(std::string_view dir) override { return inner_.SyncFolder(dir); }
  // Made of this object's own calls (the source read from the disk), so that
  // what a derived class changes in them reaches every step of a copy too.
  bool CopyTree(std::string_view from, std::string_view to,
                const CopyProgressFn& progress = {}) override {
    return CopyTreeByCalls(*this, from, to, progress);
  }
  FileStat Stat(std::string_view path, bool follow_links) override {
    return inner_.Stat(path, follow_links);
  }
  std::vector<DirEntry> ListDirectory(std::string_view dir) override {
    return inner_.ListDirectory(dir);
  }
  std::string ResolvedPath(std::string_view path) override { return inner_.ResolvedPath(path); }
  bool IsSameOrInside(std::string_view path, std::string_view outer) override {
    return inner_.IsSameOrInside(path, outer);
  }
  int OpenForReading(std::string_view path) override { return inner_.OpenForReading(path); }
  long long Read(int fd, char* data, std::size_t size) override {
    return inner_.Read(fd, data, size);
  }

 protected:
  FileSystem& inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace kelvandor
