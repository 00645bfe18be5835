// The POSIX side of the file-system calls; CMake builds it everywhere but on
// Windows.

#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/file_system_native.h"
#include "platform/path_style.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kelvandor {
namespace fs = std::filesystem;

namespace {

std::string Terminated(std::string_view path) { return std::string(path); }

bool StatOf(std::string_view path, struct stat& st) {
  return ::stat(Terminated(path).c_str(), &st) == 0;
}
bool LstatOf(std::string_view path, struct stat& st) {
  return ::lstat(Terminated(path).c_str(), &st) == 0;
}

// Owns an open folder listing.
class DirHandle {
 public:
  explicit DirHandle(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~DirHandle() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;

  explicit operator bool() const { return dir_ != nullptr; }
  const dirent* Next() { return ::readdir(dir_); }

 private:
  DIR* dir_ = nullptr;
};

// `path` without trailing separators, "/" staying "/". A trailing separator
// makes lstat look through a link, which must not happen where a link is to
// be removed rather than followed.
std::string WithoutTrailingSeparators(std::string_view path) {
  std::string out(path);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

}  // namespace

fs::path NativePath(std::string_view path) { return fs::path(std::string(path)); }
std::string ProgramPath(const fs::path& path) { return path.native(); }

bool FileExists(std::string_view path) {
  struct stat st;
  return !path.empty() && StatOf(path, st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  return !path.empty() && StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool AnythingExists(std::string_view path) {
  struct stat st;
  return !path.empty() && LstatOf(path, st);
}

std::vector<DirEntry> ListDirectory(std::string_view dir) {
  std::vector<DirEntry> out;
  if (!DirectoryExists(dir)) return out;
  DirHandle d(Terminated(dir));
  if (!d) return out;
  while (const dirent* ent = d.Next()) {
    const std::string_view name(ent->d_name);
    if (name == "." || name == "..") continue;
    DirEntry e;
    e.name = std::string(name);
    e.hidden = name.front() == '.';
    const std::string full = JoinPath(dir, name);
    struct stat st;
    if (LstatOf(full, st)) {
      e.is_link = S_ISLNK(st.st_mode);
      if (e.is_link && !StatOf(full, st)) {
        e.kind = EntryKind::kOther;  // dangling link
      } else if (S_ISDIR(st.st_mode)) {
        e.kind = EntryKind::kFolder;
      } else if (S_ISREG(st.st_mode)) {
        e.kind = EntryKind::kFile;
      }
    }
    out.push_back(std::move(e));
  }
  return out;
}

bool MakeDirectory(std::string_view path) {
  return !path.empty() && ::mkdir(Terminated(path).c_str(), 0777) == 0;
}

bool RenameNoReplace(std::string_view from, std::string_view to) {
  const std::string f(from), t(to);
  if (::renameat2(AT_FDCWD, f.c_str(), AT_FDCWD, t.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system does not support the flag: a hard link refuses an
  // existing target for files; folders fall back to a checked rename.
  struct stat st;
  if (!LstatOf(f, st)) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(f.c_str(), t.c_str()) != 0) return false;
    return ::unlink(f.c_str()) == 0;
  }
  if (AnythingExists(t)) return false;
  return ::rename(f.c_str(), t.c_str()) == 0;
}

bool RenameReplacing(std::string_view from, std::string_view to) {
  return ::rename(Terminated(from).c_str(), Terminated(to).c_str()) == 0;
}

bool IsWritableFolder(std::string_view dir) {
  return DirectoryExists(dir) &&
         ::faccessat(AT_FDCWD, Terminated(dir).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool IsReadOnly(std::string_view path) {
  struct stat st;
  return LstatOf(path, st) && !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

bool RemoveFile(std::string_view path) {
  struct stat st;
  if (!LstatOf(path, st) || S_ISDIR(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return false;
  return ::unlink(Terminated(path).c_str()) == 0;
}

namespace {

void RemoveTreeAt(const std::string& path) {
  struct stat st;
  if (!LstatOf(path, st)) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlink(path.c_str());
    return;
  }
  // A folder without write or search permission cannot be emptied; the tree
  // is removed whole, read-only parts included.
  if ((st.st_mode & S_IRWXU) != S_IRWXU) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
  std::vector<std::string> names;
  if (DirHandle d(path); d) {
    while (const dirent* ent = d.Next()) {
      const std::string_view name(ent->d_name);
      if (name != "." && name != "..") names.emplace_back(name);
    }
  }
  for (const std::string& name : names) RemoveTreeAt(JoinPath(path, name));
  ::rmdir(path.c_str());
}

}  // namespace

bool RemoveTree(std::string_view path) {
  if (path.empty()) return true;
  const std::string own = WithoutTrailingSeparators(path);
  RemoveTreeAt(own);
  return !AnythingExists(own);
}

bool SetCurrentDir(std::string_view path) { return ::chdir(Terminated(path).c_str()) == 0; }

std::string CurrentDir() {
  std::error_code ec;
  return fs::current_path(ec).native();
}

std::optional<std::uint64_t> FreeSpace(std::string_view path) {
  struct statvfs st;
  if (::statvfs(Terminated(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::string ProgramFilePath() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).native();
}

bool CopyPermissions(std::string_view from, std::string_view to) {
  struct stat st;
  return StatOf(from, st) && ::chmod(Terminated(to).c_str(), st.st_mode & 07777) == 0;
}

bool IsLink(std::string_view path) {
  struct stat st;
  return LstatOf(WithoutTrailingSeparators(path), st) && S_ISLNK(st.st_mode);
}

namespace detail {

FileStat StatPath(std::string_view path, bool follow_links) {
  FileStat out;
  struct stat st;
  if (path.empty() || !(follow_links ? StatOf(path, st) : LstatOf(path, st))) return out;
  out.exists = true;
  if (S_ISREG(st.st_mode)) {
    out.kind = EntryKind::kFile;
    out.size = static_cast<std::uint64_t>(st.st_size);
  } else if (S_ISDIR(st.st_mode)) {
    out.kind = EntryKind::kFolder;
  }
  out.read_only = !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
  out.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  if (!follow_links) {
    // A trailing separator makes lstat look through a link.
    out.is_link = path.size() > 1 && path.back() == '/' ? IsLink(path) : S_ISLNK(st.st_mode);
  }
  return out;
}

int OpenForWriting(std::string_view path) {
  return ::open(Terminated(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long long WriteToFile(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}

int CloseFile(int fd) { return ::close(fd); }

bool SyncToDisk(int fd) { return ::fsync(fd) == 0; }

bool SyncDirectory(std::string_view path) {
  const int fd = ::open(Terminated(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return synced;
}

int OpenForReading(std::string_view path) {
  const int fd = ::open(Terminated(path).c_str(), O_RDONLY | O_CLOEXEC);
  // POSIX opens a folder for reading and fails only at the first read; refuse
  // it at once, as Windows does.
  struct stat st;
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  return fd;
}

long long ReadFromFile(int fd, char* data, std::size_t size) { return ::read(fd, data, size); }

bool MakeSymbolicLink(std::string_view target, std::string_view path, bool /*to_folder*/) {
  return ::symlink(Terminated(target).c_str(), Terminated(path).c_str()) == 0;
}

}  // namespace detail

// Owns a file descriptor; Close reports what closing it gave.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  int Close() {
    const int result = fd_ < 0 ? 0 : ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_ = -1;
};

namespace detail {

// Copies the bytes in the kernel where the file system allows it, as cp does;
// the target must not exist yet.
bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  const UniqueFd in_fd(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  const int in = in_fd.get();
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0) return false;
  UniqueFd out_fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
  const int out = out_fd.get();
  if (out < 0) return false;
  bool ok = true;
  off_t left = st.st_size;
  bool in_kernel = true;
  while (left > 0 && in_kernel) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
    if (n > 0) {
      left -= n;
    } else if (n == 0) {
      break;  // the file shrank meanwhile
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
      in_kernel = false;
    } else {
      ok = false;
      break;
    }
  }
  if (ok && !in_kernel) {
    // Files the kernel cannot copy directly (some special file systems).
    char buffer[64 * 1024];
    for (;;) {
      const ssize_t n = ::read(in, buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      for (ssize_t written = 0; written < n;) {
        const ssize_t w = ::write(out, buffer + written, static_cast<size_t>(n - written));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
          ok = false;
          break;
        }
        written += w;
      }
      if (!ok) break;
    }
  }
  // The mode as the source has it, whatever the umask took away.
  if (ok && ::fchmod(out, st.st_mode & 07777) != 0) ok = false;
  // A failing close may be the first report of a failed write.
  if (out_fd.Close() != 0) ok = false;
  if (!ok) ::unlink(to.c_str());
  return ok;
}

}  // namespace detail
}  // namespace kelvandor
