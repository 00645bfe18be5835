#include "workflow/unit_unzip.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <archive.h>
#include <archive_entry.h>

#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::size_t kReadBlockSize = 64 * 1024;

#ifdef _WIN32
// Windows refuses to replace a read-only file, which POSIX replaces like any
// other: its read-only attribute is cleared first.
constexpr int kPlatformDiskFlags = ARCHIVE_EXTRACT_CLEAR_NOCHANGE_FFLAGS;
#else
constexpr int kPlatformDiskFlags = 0;
#endif
// Every entry pathname is rewritten to an absolute path below the resolved
// destination, so ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS cannot be set; stored
// absolute paths are refused by ContainedComponents before the rewrite instead.
// SECURE_SYMLINKS refuses to write through any link on disk, also one that
// was in the destination before.
constexpr int kDiskFlags = ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                           ARCHIVE_EXTRACT_SECURE_NODOTDOT | kPlatformDiskFlags;

struct ReaderFree {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
using ArchiveReader = std::unique_ptr<archive, ReaderFree>;
using DiskWriter = std::unique_ptr<archive, WriterFree>;

#ifdef _WIN32
// Names go to libarchive as wide strings: its narrow names follow the C
// library's locale rather than the ANSI code page of the program's paths, and
// cannot hold every name an archive may store.
using PathChar = wchar_t;
const wchar_t* StoredPath(archive_entry* e) { return archive_entry_pathname_w(e); }
const wchar_t* StoredLinkTarget(archive_entry* e) { return archive_entry_symlink_w(e); }
const wchar_t* StoredHardlink(archive_entry* e) { return archive_entry_hardlink_w(e); }
void SetPath(archive_entry* e, const wchar_t* path) { archive_entry_copy_pathname_w(e, path); }
void SetHardlink(archive_entry* e, const wchar_t* path) { archive_entry_copy_hardlink_w(e, path); }
int OpenFile(archive* a, std::string_view path) {
  return archive_read_open_filename_w(a, NativePath(path).c_str(), kReadBlockSize);
}
#else
using PathChar = char;
const char* StoredPath(archive_entry* e) { return archive_entry_pathname(e); }
const char* StoredLinkTarget(archive_entry* e) { return archive_entry_symlink(e); }
const char* StoredHardlink(archive_entry* e) { return archive_entry_hardlink(e); }
void SetPath(archive_entry* e, const char* path) { archive_entry_copy_pathname(e, path); }
void SetHardlink(archive_entry* e, const char* path) { archive_entry_copy_hardlink(e, path); }
int OpenFile(archive* a, std::string_view path) {
  return archive_read_open_filename(a, std::string(path).c_str(), kReadBlockSize);
}
#endif
using PathString = std::basic_string<PathChar>;
using PathView = std::basic_string_view<PathChar>;
using Components = std::vector<PathView>;

// "\" counts as a separator on every platform: archives made on Windows store
// it, and a name that hides ".." behind it must not pass on Windows either.
bool IsStoredSeparator(PathChar c) { return c == '/' || c == '\\'; }
bool IsDotDot(PathView part) { return part.size() == 2 && part[0] == '.' && part[1] == '.'; }

bool LooksAbsolute(PathView path) {
  if (path.empty()) return false;
  if (IsStoredSeparator(path[0])) return true;
  const PathChar first = path[0];
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  return letter && path.size() >= 2 && path[1] == ':';
}

// The components of a stored path, without empty and "." components.
Components SplitStored(PathView path) {
  Components parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsStoredSeparator(path[end])) ++end;
    const PathView part = path.substr(start, end - start);
    if (!part.empty() && !(part.size() == 1 && part[0] == '.')) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The stored path as components below the destination; nothing when it is
// absolute or has a ".." component.
std::optional<Components> ContainedComponents(PathView stored) {
  if (LooksAbsolute(stored)) return std::nullopt;
  Components parts = SplitStored(stored);
  for (PathView part : parts) {
    if (IsDotDot(part)) return std::nullopt;
  }
  return parts;
}

// A link target that cannot lead out of the tree whatever other links it
// passes: relative, with ".." only before the first name and no more of them
// than there are folders above the link. A ".." after a name is refused since
// that name may itself be a link to a shallower place.
bool LinkTargetStaysInside(PathView target, std::size_t folders_above_link) {
  if (target.empty() || LooksAbsolute(target)) return false;
  std::size_t ups = 0;
  bool named = false;
  for (PathView part : SplitStored(target)) {
    if (!IsDotDot(part)) {
      named = true;
    } else if (named || ++ups > folders_above_link) {
      return false;
    }
  }
  return true;
}

PathString JoinBelow(const PathString& root, const Components& parts) {
  PathString out = root;
  for (PathView part : parts) out = JoinPath(out, part);
  return out;
}

bool IsDiskFull(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return true;
#endif
  return error == ENOSPC || error == EFBIG;
}

UnzipResult WriterFailureCode(archive* disk) {
  const int error = archive_errno(disk);
  if (IsDiskFull(error)) return UnzipResult::kDiskFull;
  if (error == ENOMEM) return UnzipResult::kNoMemory;
  return UnzipResult::kErrors;
}

UnzipResult ReaderFailureCode(archive* reader) {
  if (archive_errno(reader) == ENOMEM) return UnzipResult::kNoMemory;
  // libarchive tells a cut-off archive from other damage only in its text.
  const char* text = archive_error_string(reader);
  if (text != nullptr &&
      (std::strstr(text, "Truncated") != nullptr || std::strstr(text, "truncated") != nullptr)) {
    return UnzipResult::kUnexpectedEof;
  }
  return UnzipResult::kSevereError;
}

// The declared size of an entry; one that declares none may hold no byte.
std::uint64_t DeclaredSize(archive_entry* entry) {
  if (!archive_entry_size_is_set(entry) || archive_entry_size(entry) < 0) return 0;
  return static_cast<std::uint64_t>(archive_entry_size(entry));
}

// A zip reader for the archive, or the code of the failure to open it.
struct OpenedArchive {
  ArchiveReader reader;
  UnzipResult code = UnzipResult::kOk;
};

OpenedArchive OpenArchive(std::string_view archive_path) {
  OpenedArchive out;
  out.reader.reset(archive_read_new());
  if (!out.reader) {
    out.code = UnzipResult::kNoMemory;
    return out;
  }
  archive_read_support_format_zip(out.reader.get());
  if (OpenFile(out.reader.get(), archive_path) != ARCHIVE_OK) {
    const int error = archive_errno(out.reader.get());
    out.code = (error == ENOENT || error == EACCES || error == EPERM)
                   ? UnzipResult::kArchiveNotFound
                   : ReaderFailureCode(out.reader.get());
  }
  return out;
}

// The sum of the sizes the entries declare, from their headers alone (a zip's
// central directory); UnzipResult::kOk or the code of a failure to read them.
struct DeclaredTotal {
  std::uint64_t bytes = 0;
  UnzipResult code = UnzipResult::kOk;
};

DeclaredTotal DeclaredBytes(std::string_view archive_path) {
  DeclaredTotal total;
  const OpenedArchive opened = OpenArchive(archive_path);
  if (opened.code != UnzipResult::kOk) {
    total.code = opened.code;
    return total;
  }
  archive* reader = opened.reader.get();
  for (;;) {
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(reader, &entry);
    if (r == ARCHIVE_EOF) return total;
    // Warnings are the extraction's to report.
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
      total.code = ReaderFailureCode(reader);
      return total;
    }
    const std::uint64_t size = DeclaredSize(entry);
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    total.bytes = size > kMax - total.bytes ? kMax : total.bytes + size;
    if (archive_read_data_skip(reader) != ARCHIVE_OK) {
      total.code = ReaderFailureCode(reader);
      return total;
    }
  }
}

class Extraction {
 public:
  Extraction(archive* reader, archive* disk, PathString root)
      : reader_(reader), disk_(disk), root_(std::move(root)) {}

  // Returns UnzipResult::kOk when every entry was extracted, without telling warnings
  // apart: those are collected in warned().
  UnzipResult Run() {
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
      if (const UnzipResult code = ExtractEntry(entry); code != UnzipResult::kOk) return code;
    }
    const int r = archive_write_close(disk_);
    if (r == ARCHIVE_WARN) {
      warned_ = true;
    } else if (r != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    return any_entry ? UnzipResult::kOk : UnzipResult::kNoFiles;
  }

  bool warned() const { return warned_; }

 private:
  UnzipResult ExtractEntry(archive_entry* entry) {
    // No passphrase is ever set, so an encrypted entry cannot be read.
    if (archive_entry_is_encrypted(entry)) return UnzipResult::kBadPassword;
    const PathChar* stored = StoredPath(entry);
    if (stored == nullptr) return UnzipResult::kErrors;
    const std::optional<Components> parts = ContainedComponents(stored);
    if (!parts) return UnzipResult::kErrors;

    const auto type = archive_entry_filetype(entry);
    if (type == AE_IFDIR && parts->empty()) return UnzipResult::kOk;  // the destination itself
    if (parts->empty()) return UnzipResult::kErrors;
    if (type == AE_IFLNK) {
      const PathChar* target = StoredLinkTarget(entry);
      if (target == nullptr || !LinkTargetStaysInside(target, parts->size() - 1)) {
        return UnzipResult::kErrors;
      }
    } else if (type != AE_IFREG && type != AE_IFDIR) {
      return UnzipResult::kErrors;  // devices, pipes and sockets have no place in a project
    }

    const PathString path = JoinBelow(root_, *parts);
    std::optional<PathString> hardlink;
    if (const PathChar* stored_link = StoredHardlink(entry); stored_link != nullptr) {
      const std::optional<Components> link_parts = ContainedComponents(stored_link);
      if (!link_parts || link_parts->empty()) return UnzipResult::kErrors;
      hardlink = JoinBelow(root_, *link_parts);
    }
    SetPath(entry, path.c_str());
    if (hardlink) SetHardlink(entry, hardlink->c_str());

    const int r = archive_write_header(disk_, entry);
    if (r == ARCHIVE_WARN) {
      warned_ = true;
    } else if (r != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    if (type == AE_IFREG) {
      if (const UnzipResult code = CopyData(DeclaredSize(entry)); code != UnzipResult::kOk)
        return code;
    }
    const int finished = archive_write_finish_entry(disk_);
    if (finished == ARCHIVE_WARN) {
      warned_ = true;
    } else if (finished != ARCHIVE_OK) {
      return WriterFailureCode(disk_);
    }
    return UnzipResult::kOk;
  }

  UnzipResult CopyData(std::uint64_t declared) {
    for (;;) {
      const void* block = nullptr;
      std::size_t size = 0;
      la_int64_t offset = 0;
      const int r = archive_read_data_block(reader_, &block, &size, &offset);
      if (r == ARCHIVE_EOF) return UnzipResult::kOk;
      if (r == ARCHIVE_WARN) {
        warned_ = true;
      } else if (r != ARCHIVE_OK) {
        return ReaderFailureCode(reader_);
      }
      // The free space was checked against the declared sizes: an entry that
      // unpacks to more (a forged header) is damage, and stops here before
      // its excess reaches the disk.
      if (offset < 0 || size > declared || static_cast<std::uint64_t>(offset) > declared - size) {
        return UnzipResult::kSevereError;
      }
      if (size > 0) {
        // A short or failed write is never a mere warning: the file is not
        // what the archive holds.
        if (archive_write_data_block(disk_, block, size, offset) != ARCHIVE_OK) {
          return WriterFailureCode(disk_);
        }
      } else if (r == ARCHIVE_WARN) {
        return UnzipResult::kOk;  // the entry's end, reported with its warning
      }
    }
  }

  archive* reader_ = nullptr;
  archive* disk_ = nullptr;
  PathString root_;
  bool warned_ = false;
};

}  // namespace

UnzipResult UnzipArchiveCode(std::string_view archive_path, std::string_view dest_dir,
                             const FreeSpaceFn& free_space) {
  if (archive_path.empty() || dest_dir.empty()) return UnzipResult::kBadParameters;
  if (!FileExists(archive_path)) return UnzipResult::kArchiveNotFound;
  if (!MakeDirectories(dest_dir)) return UnzipResult::kErrors;
  // Resolved, so that no link in the destination's own path trips the
  // symbolic-link checks.
  const std::string root = ResolvedPath(dest_dir);
  if (root.empty()) return UnzipResult::kErrors;

  const DeclaredTotal declared = DeclaredBytes(archive_path);
  if (declared.code != UnzipResult::kOk) return declared.code;
  // Where the system cannot tell the free space, the declared sizes still
  // bound what each entry may write.
  if (const std::optional<std::uint64_t> free = free_space ? free_space(root) : std::nullopt;
      free && declared.bytes > *free) {
    return UnzipResult::kDiskFull;
  }

  OpenedArchive opened = OpenArchive(archive_path);
  if (opened.code != UnzipResult::kOk) return opened.code;
  const DiskWriter disk(archive_write_disk_new());
  if (!disk) return UnzipResult::kNoMemory;
  archive_write_disk_set_options(disk.get(), kDiskFlags);
  Extraction extraction(opened.reader.get(), disk.get(), NativePath(root).native());
  const UnzipResult code = extraction.Run();
  if (code != UnzipResult::kOk) return code;
  return extraction.warned() ? UnzipResult::kWarnings : UnzipResult::kOk;
}

bool UnzipArchive(std::string_view archive_path, std::string_view dest_dir,
                  const FreeSpaceFn& free_space) {
  return UnzipArchiveCode(archive_path, dest_dir, free_space) == UnzipResult::kOk;
}

}  // namespace kelvandor
