#include "discovery/unit_unzip.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <archive.h>
#include <archive_entry.h>

#include "discovery/unzip.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::size_t kReadBlockSize = 64 * 1024;

// Every entry pathname is rewritten to an absolute path below the resolved
// destination, so ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS cannot be set; stored
// absolute paths are refused by ContainedComponents before the rewrite instead.
// SECURE_SYMLINKS refuses to write through any link on disk, also one that
// was in the destination before.
constexpr int kDiskFlags =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT;

struct ReaderFree {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
using ArchiveReader = std::unique_ptr<archive, ReaderFree>;
using DiskWriter = std::unique_ptr<archive, WriterFree>;

using Components = std::vector<std::string_view>;

// "\" counts as a separator on every platform: archives made on Windows store
// it, and a name that hides ".." behind it must not pass on Windows either.
bool IsStoredSeparator(char c) { return c == '/' || c == '\\'; }

bool LooksAbsolute(std::string_view path) {
  if (path.empty()) return false;
  if (IsStoredSeparator(path[0])) return true;
  const char first = path[0];
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  return letter && path.size() >= 2 && path[1] == ':';
}

// The components of a stored path, without empty and "." components.
Components SplitStored(std::string_view path) {
  Components parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsStoredSeparator(path[end])) ++end;
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The stored path as components below the destination; nothing when it is
// absolute or has a ".." component.
std::optional<Components> ContainedComponents(std::string_view stored) {
  if (LooksAbsolute(stored)) return std::nullopt;
  Components parts = SplitStored(stored);
  for (std::string_view part : parts) {
    if (part == "..") return std::nullopt;
  }
  return parts;
}

// A link target that cannot lead out of the tree whatever other links it
// passes: relative, with ".." only before the first name and no more of them
// than there are folders above the link. A ".." after a name is refused since
// that name may itself be a link to a shallower place.
bool LinkTargetStaysInside(std::string_view target, std::size_t folders_above_link) {
  if (target.empty() || LooksAbsolute(target)) return false;
  std::size_t ups = 0;
  bool named = false;
  for (std::string_view part : SplitStored(target)) {
    if (part != "..") {
      named = true;
    } else if (named || ++ups > folders_above_link) {
      return false;
    }
  }
  return true;
}

std::string JoinBelow(const std::string& root, const Components& parts) {
  std::string out = root;
  for (std::string_view part : parts) {
    if (out.empty() || out.back() != Separator()) out += Separator();
    out.append(part);
  }
  return out;
}

bool IsDiskFull(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return true;
#endif
  return error == ENOSPC || error == EFBIG;
}

int WriterFailureCode(archive* disk) {
  const int error = archive_errno(disk);
  if (IsDiskFull(error)) return kUnzipDiskFull;
  if (error == ENOMEM) return kUnzipNoMemory;
  return kUnzipErrors;
}

int ReaderFailureCode(archive* reader) {
  if (archive_errno(reader) == ENOMEM) return kUnzipNoMemory;
  // libarchive tells a cut-off archive from other damage only in its text.
  const char* text = archive_error_string(reader);
  if (text != nullptr &&
      (std::strstr(text, "Truncated") != nullptr || std::strstr(text, "truncated") != nullptr)) {
    return kUnzipUnexpectedEof;
  }
  return kUnzipSevereError;
}

class Extraction {
 public:
  Extraction(archive* reader, archive* disk, std::string root)
      : reader_(reader), disk_(disk), root_(std::move(root)) {}

  // Returns kUnzipOk when every entry was extracted, without telling warnings
  // apart: those are collected in warned().
  int Run() {
    bool any_entry = false;
    for (;;) {
      archive_entry* entry = nullptr;
      const int r = archive_read_next_header(reader_, &entry);
      if (r == ARCHIVE_EOF) break;
      if (r == ARCHIVE_WARN) {
        warned_ = true;
      } else if (r != ARCHIVE_OK) {
        return ReaderFailureCode(reader_);
      }
      any_entry = true;
      if (const int code = ExtractEntry(entry); code != kUnzipOk) return code;
    }
    const int r = archive_write_close(disk_);
    if (r == ARCHIVE_WARN) {
      warned_ = true;
    } else if (r != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    return any_entry ? kUnzipOk : kUnzipNoFiles;
  }

  bool warned() const { return warned_; }

 private:
  int ExtractEntry(archive_entry* entry) {
    // No passphrase is ever set, so an encrypted entry cannot be read.
    if (archive_entry_is_encrypted(entry)) return kUnzipBadPassword;
    const char* stored = archive_entry_pathname(entry);
    if (stored == nullptr) return kUnzipErrors;
    const std::optional<Components> parts = ContainedComponents(stored);
    if (!parts) return kUnzipErrors;

    const auto type = archive_entry_filetype(entry);
    if (type == AE_IFDIR && parts->empty()) return kUnzipOk;  // the destination itself
    if (parts->empty()) return kUnzipErrors;
    if (type == AE_IFLNK) {
      const char* target = archive_entry_symlink(entry);
      if (target == nullptr || !LinkTargetStaysInside(target, parts->size() - 1)) {
        return kUnzipErrors;
      }
    } else if (type != AE_IFREG && type != AE_IFDIR) {
      return kUnzipErrors;  // devices, pipes and sockets have no place in a project
    }

    const std::string path = JoinBelow(root_, *parts);
    std::optional<std::string> hardlink;
    if (const char* stored_link = archive_entry_hardlink(entry); stored_link != nullptr) {
      const std::optional<Components> link_parts = ContainedComponents(stored_link);
      if (!link_parts || link_parts->empty()) return kUnzipErrors;
      hardlink = JoinBelow(root_, *link_parts);
    }
    archive_entry_copy_pathname(entry, path.c_str());
    if (hardlink) archive_entry_copy_hardlink(entry, hardlink->c_str());

    const int r = archive_write_header(disk_, entry);
    if (r == ARCHIVE_WARN) {
      warned_ = true;
    } else if (r != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    if (type == AE_IFREG) {
      if (const int code = CopyData(); code != kUnzipOk) return code;
    }
    const int finished = archive_write_finish_entry(disk_);
    if (finished == ARCHIVE_WARN) {
      warned_ = true;
    } else if (finished != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    return kUnzipOk;
  }

  int CopyData() {
    for (;;) {
      const void* block = nullptr;
      std::size_t size = 0;
      la_int64_t offset = 0;
      const int r = archive_read_data_block(reader_, &block, &size, &offset);
      if (r == ARCHIVE_EOF) return kUnzipOk;
      if (r == ARCHIVE_WARN) {
        warned_ = true;
      } else if (r != ARCHIVE_OK) {
        return ReaderFailureCode(reader_);
      }
      if (size > 0) {
        // A short or failed write is never a mere warning: the file is not
        // what the archive holds.
        if (archive_write_data_block(disk_, block, size, offset) != ARCHIVE_OK) {
          return WriterFailureCode(disk_);
        }
      } else if (r == ARCHIVE_WARN) {
        return kUnzipOk;  // the entry's end, reported with its warning
      }
    }
  }

  archive* reader_ = nullptr;
  archive* disk_ = nullptr;
  std::string root_;
  bool warned_ = false;
};

}  // namespace

int UnzipArchiveCode(std::string_view archive_path, std::string_view dest_dir) {
  if (archive_path.empty() || dest_dir.empty()) return kUnzipBadParameters;
  if (!FileExists(archive_path)) return kUnzipArchiveNotFound;
  if (!MakeDirectories(dest_dir)) return kUnzipErrors;
  // Resolved, so that no link in the destination's own path trips the
  // symbolic-link checks.
  std::string root = ResolvedPath(dest_dir);
  if (root.empty()) return kUnzipErrors;

  const ArchiveReader reader(archive_read_new());
  const DiskWriter disk(archive_write_disk_new());
  if (!reader || !disk) return kUnzipNoMemory;
  archive_read_support_format_zip(reader.get());
  archive_write_disk_set_options(disk.get(), kDiskFlags);

  if (archive_read_open_filename(reader.get(), std::string(archive_path).c_str(), kReadBlockSize) !=
      ARCHIVE_OK) {
    const int error = archive_errno(reader.get());
    if (error == ENOENT || error == EACCES || error == EPERM) return kUnzipArchiveNotFound;
    return ReaderFailureCode(reader.get());
  }
  Extraction extraction(reader.get(), disk.get(), std::move(root));
  const int code = extraction.Run();
  if (code != kUnzipOk) return code;
  return extraction.warned() ? kUnzipWarnings : kUnzipOk;
}

bool UnzipArchive(std::string_view archive_path, std::string_view dest_dir) {
  return UnzipResultText(UnzipArchiveCode(archive_path, dest_dir)) == "OKAY";
}

}  // namespace kelvandor
