#pragma once

// A file system that changes nothing on disk: every change is kept in memory
// over the real files, and every read sees the real files as those changes
// would have left them. Running the rename workflow or the clean-up through
// one yields the report of what they would do.
//
// Changes are kept as nodes over paths: a path that is gone, a new empty
// folder, a file written in memory, or a stand-in for a real file or folder
// (what a copy or a rename made of it). Below a stand-in folder the real
// folder shows through, so a planned copy of a project costs one node, not
// one per file. Only file contents written through it are held in memory,
// up to a limit per file when one is set.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

// Not a ForwardingFileSystem: a call it did not know of would reach the disk.
class PlanningFileSystem final : public FileSystem {
 public:
  // Whether the real run may create and remove entries in a folder of the
  // real disk; a change there that it may not make fails as it would.
  using WritableFolderFn = std::function<bool(std::string_view dir)>;

  explicit PlanningFileSystem(WritableFolderFn writable_folder = IsWritableFolder)
      : writable_folder_(std::move(writable_folder)) {}

  // A file written longer than `bytes` keeps only its size, so that a plan
  // of a huge project file costs no memory; reading it back then fails
  // (EIO).
  void set_content_limit(std::uint64_t bytes) { content_limit_ = bytes; }

  bool MakeDirectory(std::string_view path) override;
  bool Rename(std::string_view from, std::string_view to, bool replace) override;
  bool RemoveFile(std::string_view path) override;
  bool RemoveTree(std::string_view path) override;
  bool CopyPermissions(std::string_view from, std::string_view to) override;
  bool CopyOneFile(std::string_view from, std::string_view to) override;
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override;
  int CreateForWriting(std::string_view path) override;
  long long Write(int fd, const char* data, std::size_t size) override;
  int Close(int fd) override;
  bool SyncFile(int fd) override;
  bool SyncFolder(std::string_view dir) override;
  bool CopyTree(std::string_view from, std::string_view to,
                const CopyProgressFn& progress = {}) override;

  FileStat Stat(std::string_view path, bool follow_links) override;
  std::vector<DirEntry> ListDirectory(std::string_view dir) override;
  std::string ResolvedPath(std::string_view path) override;
  bool IsSameOrInside(std::string_view inner, std::string_view outer) override;
  int OpenForReading(std::string_view path) override;
  long long Read(int fd, char* data, std::size_t size) override;

 private:
  enum class NodeKind { kGone, kFolder, kContent, kStandIn };
  struct Node {
    NodeKind kind = NodeKind::kGone;
    std::string path;     // as the caller spelled it, for listings
    std::string real;     // kStandIn: the real file or folder it shows
    std::string content;  // kContent
    // kContent beyond the limit: its size, the content not kept.
    std::optional<std::uint64_t> dropped_size;
  };
  // What a path shows: nothing, a real path, or a node of this object.
  struct View {
    const Node* node = nullptr;
    std::optional<std::string> real;  // which may or may not exist
  };
  struct OpenFile {
    std::string path;  // writing: where the content goes on Close
    std::string content;
    std::size_t position = 0;
    bool writing = false;
    std::uint64_t written = 0;
    bool dropped = false;  // written beyond the limit
  };

  View Look(std::string_view path) const;
  static bool Exists(const View& view);
  bool IsFolder(const View& view) const;
  bool IsFile(const View& view) const;
  // The real path that stands for `path` as far as the real disk can tell:
  // the path itself where no change of this object is on the way.
  std::string RealFor(std::string_view path) const;
  // A resolved real path as the changes show it: below a folder a copy or a
  // rename put elsewhere, the path at its new place.
  std::string Planned(std::string real) const;
  void Put(std::string_view path, Node node);
  void ForgetBelow(const std::string& key);
  bool Move(std::string_view from, std::string_view to, bool replacing);
  // True, with errno set, when `dir` is a folder of the real disk that no
  // change of this object touches and the real run could not change.
  bool Refuses(std::string_view dir);

  std::map<std::string, Node, std::less<>> nodes_;  // by Key() of the path
  // Real files removed where no node stood, by the key of their folder: the
  // clean-up removes many, and a name costs less than a node.
  std::map<std::string, std::set<std::string, std::less<>>, std::less<>> removed_files_;
  // Folders a copy or rename put at a new place: (new path, resolved real).
  std::vector<std::pair<std::string, std::string>> moved_folders_;
  std::map<int, OpenFile> open_;
  WritableFolderFn writable_folder_;
  std::map<std::string, bool, std::less<>> writable_;  // by Key() of the folder
  int next_fd_ = 1 << 28;  // far above the descriptors of the real files
  std::optional<std::uint64_t> content_limit_;
};

}  // namespace kelvandor
