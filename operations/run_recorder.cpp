#include "operations/run_recorder.h"

#include <cerrno>

#include "platform/path_style.h"

namespace kelvandor {

FileCount CountTree(std::string_view dir, FileSystem& file_system) {
  FileCount count;
  std::vector<std::string> pending{std::string(dir)};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    for (const DirEntry& entry : file_system.ListDirectory(folder)) {
      const std::string path = JoinPath(folder, entry.name);
      if (entry.kind == EntryKind::kFolder && !entry.is_link) {
        pending.push_back(path);
        continue;
      }
      ++count.files;
      if (!entry.is_link) count.bytes += file_system.FileSize(path).value_or(0);
    }
  }
  return count;
}

bool RunRecorder::RenameNoReplace(std::string_view from, std::string_view to) {
  if (!inner_.RenameNoReplace(from, to)) {
    // An image whose new name is taken stays, as the rename never replaces.
    const int error = errno;
    if (step_ == Step::kCleanUp && (error == EACCES || error == EPERM || error == EROFS)) {
      clean_up_refused_ = true;
    }
    errno = error;
    return false;
  }
  if (step_ == Step::kTarget) {
    report_.renamed_folder = RenamedFile{std::string(from), std::string(to)};
  } else if (step_ == Step::kCleanUp) {
    report_.renamed_images.push_back({std::string(from), std::string(to)});
  }
  return true;
}

bool RunRecorder::RemoveFile(std::string_view path) {
  const std::uint64_t bytes = step_ == Step::kCleanUp ? inner_.FileSize(path).value_or(0) : 0;
  if (!inner_.RemoveFile(path)) {
    const int error = errno;
    if (step_ == Step::kCleanUp && inner_.AnythingExists(path)) clean_up_refused_ = true;
    errno = error;
    return false;
  }
  if (step_ == Step::kCleanUp) {
    report_.cleaned.push_back({std::string(path), bytes});
    ++report_.cleaned_total.files;
    report_.cleaned_total.bytes += bytes;
  }
  return true;
}

bool RunRecorder::RemoveTree(std::string_view path) {
  const FileCount count = step_ == Step::kTarget ? CountTree(path, inner_) : FileCount{};
  if (!inner_.RemoveTree(path)) return false;
  report_.replaced_target.files += count.files;
  report_.replaced_target.bytes += count.bytes;
  return true;
}

bool RunRecorder::CopyTree(std::string_view from, std::string_view to,
                           const CopyProgressFn& progress) {
  const FileCount count = step_ == Step::kTarget ? CountTree(from, inner_) : FileCount{};
  if (!inner_.CopyTree(from, to, progress)) return false;
  report_.copied.files += count.files;
  report_.copied.bytes += count.bytes;
  return true;
}

bool RunRecorder::MakeDirectory(std::string_view path) { return inner_.MakeDirectory(path); }
bool RunRecorder::RenameReplacing(std::string_view from, std::string_view to) {
  return inner_.RenameReplacing(from, to);
}
bool RunRecorder::CopyPermissions(std::string_view from, std::string_view to) {
  return inner_.CopyPermissions(from, to);
}
bool RunRecorder::CopyOneFile(std::string_view from, std::string_view to) {
  return inner_.CopyOneFile(from, to);
}
bool RunRecorder::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  return inner_.MakeLink(target, path, to_folder);
}
int RunRecorder::CreateForWriting(std::string_view path) { return inner_.CreateForWriting(path); }
long long RunRecorder::Write(int fd, const char* data, std::size_t size) {
  return inner_.Write(fd, data, size);
}
int RunRecorder::Close(int fd) { return inner_.Close(fd); }
bool RunRecorder::SyncFile(int fd) { return inner_.SyncFile(fd); }
bool RunRecorder::SyncFolder(std::string_view dir) { return inner_.SyncFolder(dir); }
bool RunRecorder::FileExists(std::string_view path) { return inner_.FileExists(path); }
bool RunRecorder::DirectoryExists(std::string_view path) { return inner_.DirectoryExists(path); }
bool RunRecorder::AnythingExists(std::string_view path) { return inner_.AnythingExists(path); }
bool RunRecorder::IsLink(std::string_view path) { return inner_.IsLink(path); }
bool RunRecorder::IsReadOnly(std::string_view path) { return inner_.IsReadOnly(path); }
std::optional<std::int64_t> RunRecorder::ModifiedTime(std::string_view path) {
  return inner_.ModifiedTime(path);
}
std::optional<std::uint64_t> RunRecorder::FileSize(std::string_view path) {
  return inner_.FileSize(path);
}
std::vector<DirEntry> RunRecorder::ListDirectory(std::string_view dir) {
  return inner_.ListDirectory(dir);
}
std::vector<std::string> RunRecorder::ListFiles(std::string_view dir, std::string_view suffix) {
  return inner_.ListFiles(dir, suffix);
}
std::optional<DirEntry> RunRecorder::FindEntry(std::string_view dir, std::string_view name) {
  return inner_.FindEntry(dir, name);
}
std::string RunRecorder::ResolvedPath(std::string_view path) { return inner_.ResolvedPath(path); }
bool RunRecorder::IsSameOrInside(std::string_view inner, std::string_view outer) {
  return inner_.IsSameOrInside(inner, outer);
}
int RunRecorder::OpenForReading(std::string_view path) { return inner_.OpenForReading(path); }
long long RunRecorder::Read(int fd, char* data, std::size_t size) {
  return inner_.Read(fd, data, size);
}

}  // namespace kelvandor
