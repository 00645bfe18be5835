#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/path_style.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace kelvandor {
namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

DWORD Attributes(std::string_view path) { return GetFileAttributesW(Wide(path).c_str()); }

// `dir` + "\" + `name`, without doubling a separator `dir` ends in.
std::wstring WideChild(const std::wstring& dir, std::wstring_view name) {
  std::wstring out = dir;
  if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += L'\\';
  out += name;
  return out;
}

// Owns a FindFirstFileW listing.
class FindHandle {
 public:
  explicit FindHandle(const std::wstring& dir)
      : handle_(FindFirstFileW(WideChild(dir, L"*").c_str(), &data_)) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  // The next entry other than "." and "..", or nullptr at the end.
  const WIN32_FIND_DATAW* Next() {
    while (handle_ != INVALID_HANDLE_VALUE) {
      if (started_ && !FindNextFileW(handle_, &data_)) return nullptr;
      started_ = true;
      const std::wstring_view name(data_.cFileName);
      if (name != L"." && name != L"..") return &data_;
    }
    return nullptr;
  }

 private:
  WIN32_FIND_DATAW data_ = {};
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool started_ = false;
};

}  // namespace

fs::path NativePath(std::string_view path) { return fs::path(Wide(path)); }
std::string ProgramPath(const fs::path& path) { return Narrow(path.native()); }

bool FileExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool AnythingExists(std::string_view path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::vector<DirEntry> ListDirectory(std::string_view dir) {
  std::vector<DirEntry> out;
  if (!DirectoryExists(dir)) return out;
  FindHandle find(Wide(dir));
  while (const WIN32_FIND_DATAW* data = find.Next()) {
    const DWORD a = data->dwFileAttributes;
    DirEntry e;
    e.name = Narrow(data->cFileName);
    e.is_link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    e.kind = (a & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kFolder : EntryKind::kFile;
    e.hidden = (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    out.push_back(std::move(e));
  }
  return out;
}

bool MakeDirectory(std::string_view path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool RenameNoReplace(std::string_view from, std::string_view to) {
  // Without MOVEFILE_REPLACE_EXISTING the call refuses an existing target,
  // except `from` itself under another spelling, which it renames (a change of
  // letter case) or leaves alone, reporting success. Only the first is a
  // rename; the same name again is an existing target.
  if (AnythingExists(to)) {
    const std::string a = ResolvedPath(from);
    const std::string b = ResolvedPath(to);
    if (EqualsIgnoreCase(a, b) && NamePart(a) == NamePart(b)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
  }
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), 0) != 0;
}

bool RenameReplacing(std::string_view from, std::string_view to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Its read-only attribute does not keep anyone from writing into a folder;
// whether a program folder is meant to be written is not asked on Windows.
bool IsWritableFolder(std::string_view dir) { return DirectoryExists(dir); }

bool IsReadOnly(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0;
}

bool RemoveFile(std::string_view path) {
  const std::wstring wide = Wide(path);
  const DWORD a = GetFileAttributesW(wide.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    // A link to a folder is removed as a folder entry; a real folder never.
    return (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && RemoveDirectoryW(wide.c_str()) != 0;
  }
  // DeleteFileW refuses read-only files itself.
  return DeleteFileW(wide.c_str()) != 0;
}

namespace {

void RemoveTreeNative(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  // Read-only entries refuse deletion; the tree goes whole.
  if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DeleteFileW(path.c_str());
    return;
  }
  // A link to a folder is removed, never followed.
  if ((a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::vector<std::wstring> children;
    {
      FindHandle find(path);
      while (const WIN32_FIND_DATAW* data = find.Next())
        children.push_back(WideChild(path, data->cFileName));
    }
    for (const std::wstring& child : children) RemoveTreeNative(child);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

bool RemoveTree(std::string_view path) {
  if (path.empty()) return true;
  std::string own(path);
  while (own.size() > DriveRootLength() && (own.back() == '\\' || own.back() == '/'))
    own.pop_back();
  RemoveTreeNative(Wide(own));
  return !AnythingExists(own);
}

bool SetCurrentDir(std::string_view path) { return SetCurrentDirectoryW(Wide(path).c_str()) != 0; }

std::string CurrentDir() {
  std::error_code ec;
  return ProgramPath(fs::current_path(ec));
}

std::optional<std::uint64_t> FreeSpace(std::string_view path) {
  ULARGE_INTEGER available = {};
  if (!GetDiskFreeSpaceExW(Wide(path).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

std::string ProgramFilePath() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  buffer.resize(n);
  return Narrow(buffer);
}

bool CopyPermissions(std::string_view from, std::string_view to) {
  const DWORD source = Attributes(from);
  const DWORD target = Attributes(to);
  if (source == INVALID_FILE_ATTRIBUTES || target == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD wanted = (target & ~FILE_ATTRIBUTE_READONLY) | (source & FILE_ATTRIBUTE_READONLY);
  if (wanted == target) return true;
  return SetFileAttributesW(Wide(to).c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted) != 0;
}

bool IsLink(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {

int OpenForWriting(std::string_view path) {
  // Windows refuses to open a read-only file for writing; Wine running as
  // root would truncate it, so the attribute is looked at here.
  if (IsReadOnly(path)) {
    errno = EACCES;
    SetLastError(ERROR_ACCESS_DENIED);
    return -1;
  }
  return ::_wopen(NativePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                  _S_IREAD | _S_IWRITE);
}

long long WriteToFile(int fd, const char* data, std::size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(size));
}

int CloseFile(int fd) { return ::_close(fd); }

}  // namespace

#else  // POSIX

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

std::string Child(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
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
    const std::string full = Child(dir, name);
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
  for (const std::string& name : names) RemoveTreeAt(Child(path, name));
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

namespace {

int OpenForWriting(std::string_view path) {
  return ::open(Terminated(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long long WriteToFile(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}

int CloseFile(int fd) { return ::close(fd); }

}  // namespace

#endif

std::vector<std::string> ListFiles(std::string_view dir, std::string_view suffix) {
  std::vector<std::string> out;
  for (DirEntry& e : ListDirectory(dir)) {
    if (e.kind == EntryKind::kFile && MatchesWildcardSuffix(e.name, suffix)) {
      out.push_back(std::move(e.name));
    }
  }
  return out;
}

std::optional<DirEntry> FindEntry(std::string_view dir, std::string_view name) {
  std::optional<DirEntry> found;
  for (DirEntry& e : ListDirectory(dir)) {
    if (e.name == name) return std::move(e);
    if (!found && EqualsIgnoreCase(e.name, name)) found = std::move(e);
  }
  return found;
}

std::vector<std::string> ListVisibleFolders(std::string_view dir) {
  std::vector<std::string> out;
  for (DirEntry& e : ListDirectory(dir)) {
    if (e.kind == EntryKind::kFolder && !e.hidden) out.push_back(std::move(e.name));
  }
  return out;
}

bool MakeDirectories(std::string_view path) {
  std::error_code ec;
  fs::create_directories(NativePath(path), ec);
  return DirectoryExists(path);
}

namespace {

// Counts the files (everything that is not a real folder) below `dir`.
std::uint64_t CountEntries(const fs::path& dir) {
  std::uint64_t n = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory(ec) || it->is_symlink(ec)) ++n;
  }
  return n;
}

#ifdef _WIN32
bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::none, ec) && !ec;
}
#else
// Copies the bytes in the kernel where the file system allows it, as cp does;
// the target must not exist yet.
bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0) {
    ::close(in);
    return false;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) {
    ::close(in);
    return false;
  }
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
  if (::close(out) != 0) ok = false;
  ::close(in);
  if (!ok) ::unlink(to.c_str());
  return ok;
}
#endif

struct CopyState {
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  const CopyProgressFn* progress = nullptr;
  bool ok = true;
  fs::path source_root;  // the source, resolved
  fs::path copy_root;    // the copy, as given

  void Step() {
    ++done;
    if (progress != nullptr && *progress) (*progress)(done, total);
  }
};

bool IsLexicallyInside(const fs::path& inner, const fs::path& outer) {
  const fs::path rel = inner.lexically_relative(outer);
  return !rel.empty() && *rel.begin() != "..";
}

// The target text of the copy of the link `link` (below the source), which
// stands at `copy` (below the copy). A link that leads into the source leads
// to the same place in the copy; any other keeps leading where it led, by an
// absolute path, so that it never names a neighbour of the copy instead.
fs::path CopiedLinkTarget(const fs::path& link, const fs::path& copy, const CopyState& state,
                          std::error_code& ec) {
  const fs::path text = fs::read_symlink(link, ec);
  if (ec) return {};
  const fs::path parent = fs::canonical(link.parent_path(), ec);
  if (ec) return {};
  const fs::path leads_to = fs::weakly_canonical(text.is_absolute() ? text : parent / text, ec);
  if (ec) return {};
  if (!IsLexicallyInside(leads_to, state.source_root)) return leads_to;
  const fs::path in_copy = state.copy_root / leads_to.lexically_relative(state.source_root);
  fs::path relative = in_copy.lexically_normal().lexically_relative(copy.parent_path());
  return relative.empty() ? fs::path(".") : relative;
}

void CopyFolder(FileSystem& file_system, const fs::path& from, const fs::path& to,
                CopyState& state) {
  std::error_code ec;
  if (!file_system.MakeDirectory(ProgramPath(to))) {
    state.ok = false;
    return;
  }
  fs::permissions(to, fs::status(from, ec).permissions() | fs::perms::owner_all, ec);
  fs::directory_iterator it(from, ec);
  if (ec) {
    state.ok = false;
    return;
  }
  for (fs::directory_iterator end; state.ok && it != end; it.increment(ec)) {
    if (ec) {
      state.ok = false;
      return;
    }
    const fs::directory_entry& entry = *it;
    const fs::path target = to / entry.path().filename();
    const fs::file_status st = entry.symlink_status(ec);
    if (ec) {
      state.ok = false;
      continue;
    }
    if (fs::is_symlink(st)) {
      const fs::path link_target = CopiedLinkTarget(entry.path(), target, state, ec);
      const bool to_folder = entry.is_directory(ec);
      if (link_target.empty() ||
          !file_system.MakeLink(ProgramPath(link_target), ProgramPath(target), to_folder)) {
        state.ok = false;
      }
      state.Step();
    } else if (fs::is_directory(st)) {
      CopyFolder(file_system, entry.path(), target, state);
    } else if (fs::is_regular_file(st)) {
      if (!file_system.CopyOneFile(ProgramPath(entry.path()), ProgramPath(target))) state.ok = false;
      state.Step();
    } else {
      state.Step();  // sockets, devices: nothing a project needs
    }
  }
  if (ec) state.ok = false;
}

}  // namespace

bool CopyTree(std::string_view from, std::string_view to, const CopyProgressFn& progress) {
  return NativeFileSystem().CopyTree(from, to, progress);
}

bool FileSystem::CopyTree(std::string_view from, std::string_view to,
                          const CopyProgressFn& progress) {
  if (!DirectoryExists(from) || AnythingExists(to)) return false;
  // A copy into its own source would meet itself and never end.
  if (IsSameOrInside(to, from)) return false;
  CopyState state;
  state.progress = &progress;
  state.total = progress ? CountEntries(NativePath(from)) : 0;
  std::error_code ec;
  state.source_root = fs::canonical(NativePath(from), ec);
  state.copy_root = fs::absolute(NativePath(to), ec).lexically_normal();
  if (ec) return false;
  CopyFolder(*this, NativePath(from), NativePath(to), state);
  if (progress && (state.done != state.total || state.done == 0)) {
    // The tree changed while it was copied, or held no file, or the copy
    // failed: the last report still says that the copy has ended.
    progress(state.done, state.done);
  }
  // A half copy left behind would later pass for the user's own folder.
  if (!state.ok && AnythingExists(to)) RemoveTree(to);
  return state.ok;
}

bool FileSystem::MakeDirectory(std::string_view path) { return kelvandor::MakeDirectory(path); }
bool FileSystem::RenameNoReplace(std::string_view from, std::string_view to) {
  return kelvandor::RenameNoReplace(from, to);
}
bool FileSystem::RenameReplacing(std::string_view from, std::string_view to) {
  return kelvandor::RenameReplacing(from, to);
}
bool FileSystem::RemoveFile(std::string_view path) { return kelvandor::RemoveFile(path); }
bool FileSystem::RemoveTree(std::string_view path) { return kelvandor::RemoveTree(path); }
bool FileSystem::CopyPermissions(std::string_view from, std::string_view to) {
  return kelvandor::CopyPermissions(from, to);
}
bool FileSystem::CopyOneFile(std::string_view from, std::string_view to) {
  return CopyRegularFile(NativePath(from), NativePath(to));
}
bool FileSystem::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  std::error_code ec;
  if (to_folder) {
    fs::create_directory_symlink(NativePath(target), NativePath(path), ec);
  } else {
    fs::create_symlink(NativePath(target), NativePath(path), ec);
  }
#ifndef _WIN32
  if (ec) errno = ec.value();
#endif
  return !ec;
}
int FileSystem::CreateForWriting(std::string_view path) { return OpenForWriting(path); }
long long FileSystem::Write(int fd, const char* data, std::size_t size) {
  return WriteToFile(fd, data, size);
}
int FileSystem::Close(int fd) { return CloseFile(fd); }

FileSystem& NativeFileSystem() {
  static FileSystem native;
  return native;
}

std::string AbsolutePath(std::string_view path) {
  if (path.empty()) return {};
  std::error_code ec;
  const fs::path p = NativePath(path);
  if (p.is_absolute()) return std::string(path);
  const fs::path absolute = fs::absolute(p, ec);
  return ec ? std::string(path) : ProgramPath(absolute);
}

std::string ResolvedPath(std::string_view path) {
  if (path.empty()) return {};
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(NativePath(path), ec), ec);
  if (ec) return {};
  std::string out = ProgramPath(p);
  // weakly_canonical keeps a trailing separator of an existing folder.
  while (out.size() > DriveRootLength() && !out.empty() && out.back() == Separator())
    out.pop_back();
  return out;
}

bool IsSameOrInside(std::string_view inner, std::string_view outer) {
  const std::string a = ResolvedPath(inner);
  const std::string b = ResolvedPath(outer);
  if (a.empty() || b.empty()) return false;
#ifdef _WIN32
  auto same = [](std::string_view x, std::string_view y) { return EqualsIgnoreCase(x, y); };
#else
  auto same = [](std::string_view x, std::string_view y) { return x == y; };
#endif
  if (a.size() < b.size()) return false;
  if (!same(std::string_view(a).substr(0, b.size()), b)) return false;
  if (a.size() == b.size()) return true;
  return b.back() == Separator() || a[b.size()] == Separator();
}

bool IsFileSystemRoot(std::string_view path) {
  const std::string r = ResolvedPath(path);
  if (r.empty()) return false;
  const fs::path p = NativePath(r);
  return p == p.root_path();
}

}  // namespace kelvandor
