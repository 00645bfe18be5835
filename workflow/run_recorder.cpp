#include "workflow/run_recorder.h"

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

bool RunRecorder::Rename(std::string_view from, std::string_view to, bool replace) {
  if (!inner().Rename(from, to, replace)) {
    // An image whose new name is taken stays, as the rename never replaces.
    const int error = errno;
    if (!replace && step_ == Step::kCleanUp &&
        (error == EACCES || error == EPERM || error == EROFS) && clean_up_refused_.empty()) {
      clean_up_refused_ = from;
    }
    errno = error;
    return false;
  }
  if (replace) return true;
  if (step_ == Step::kTarget) {
    report_.renamed_folder = RenamedFile{std::string(from), std::string(to)};
  } else if (step_ == Step::kCleanUp) {
    report_.renamed_images.push_back({std::string(from), std::string(to)});
  }
  return true;
}

bool RunRecorder::RemoveFile(std::string_view path) {
  const std::uint64_t bytes = step_ == Step::kCleanUp ? inner().FileSize(path).value_or(0) : 0;
  if (!inner().RemoveFile(path)) {
    const int error = errno;
    if (step_ == Step::kCleanUp && clean_up_refused_.empty() && inner().AnythingExists(path)) {
      clean_up_refused_ = path;
    }
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
  const FileCount count = step_ == Step::kTarget ? CountTree(path, inner()) : FileCount{};
  if (!inner().RemoveTree(path)) return false;
  report_.replaced_target.files += count.files;
  report_.replaced_target.bytes += count.bytes;
  return true;
}

bool RunRecorder::CopyTree(std::string_view from, std::string_view to,
                           const CopyProgressFn& progress) {
  const FileCount count = step_ == Step::kTarget ? CountTree(from, inner()) : FileCount{};
  if (!inner().CopyTree(from, to, progress)) return false;
  report_.copied.files += count.files;
  report_.copied.bytes += count.bytes;
  return true;
}

}  // namespace kelvandor
