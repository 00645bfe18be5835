#pragma once

// Notes in a RunReport what the steps of a run change, from the calls they
// make on the file system: the same calls whether they reach the disk or a
// PlanningFileSystem.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/run_report.h"
#include "platform/file_system.h"

namespace kelvandor {

// The files below `dir` (links counted as files, never followed) and the
// bytes of the regular ones, as `file_system` shows them.
FileCount CountTree(std::string_view dir, FileSystem& file_system);

// Passes every call on to `inner`; what the current step changes goes into
// `report`.
class RunRecorder : public FileSystem {
 public:
  enum class Step {
    kTarget,   // an existing target deleted, the project copied or renamed
    kOther,    // nothing noted (the project files: see RewriteBatch::changes)
    kCleanUp,  // files deleted, images renamed
  };

  RunRecorder(FileSystem& inner, RunReport& report) : inner_(inner), report_(report) {}
  void set_step(Step step) { step_ = step; }

  // Whether the clean-up step met a file it could not delete or an image it
  // was not allowed to rename (a read-only file or folder).
  bool clean_up_refused() const { return clean_up_refused_; }

  bool MakeDirectory(std::string_view path) override;
  bool RenameNoReplace(std::string_view from, std::string_view to) override;
  bool RenameReplacing(std::string_view from, std::string_view to) override;
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

  bool FileExists(std::string_view path) override;
  bool DirectoryExists(std::string_view path) override;
  bool AnythingExists(std::string_view path) override;
  bool IsLink(std::string_view path) override;
  bool IsReadOnly(std::string_view path) override;
  std::optional<std::uint64_t> FileSize(std::string_view path) override;
  std::optional<std::int64_t> ModifiedTime(std::string_view path) override;
  std::vector<DirEntry> ListDirectory(std::string_view dir) override;
  std::vector<std::string> ListFiles(std::string_view dir, std::string_view suffix = {}) override;
  std::optional<DirEntry> FindEntry(std::string_view dir, std::string_view name) override;
  std::string ResolvedPath(std::string_view path) override;
  bool IsSameOrInside(std::string_view inner, std::string_view outer) override;
  int OpenForReading(std::string_view path) override;
  long long Read(int fd, char* data, std::size_t size) override;

 private:
  FileSystem& inner_;
  RunReport& report_;
  Step step_ = Step::kOther;
  bool clean_up_refused_ = false;
};

}  // namespace kelvandor
