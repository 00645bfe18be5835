// The Windows side of the file-system calls; CMake builds it on Windows only.

#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/file_system_native.h"
#include "platform/path_style.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace kelvandor {
namespace fs = std::filesystem;

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

// Owns a FindFirstFileW listing.
class FindHandle {
 public:
  explicit FindHandle(const std::wstring& dir)
      : handle_(FindFirstFileW(JoinPath(dir, L"*").c_str(), &data_)) {}
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
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
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
        children.push_back(JoinPath(path, data->cFileName));
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

namespace detail {

FileStat StatPath(std::string_view path, bool follow_links) {
  FileStat out;
  const DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return out;
  out.exists = true;
  out.kind = (a & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kFolder : EntryKind::kFile;
  out.is_link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  out.read_only = (a & FILE_ATTRIBUTE_READONLY) != 0;
  if (follow_links) {
    out.size = FileSize(path);
    std::error_code ec;
    const auto time = fs::last_write_time(NativePath(path), ec);
    if (!ec) out.modified = static_cast<std::int64_t>(time.time_since_epoch().count());
  }
  return out;
}

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

bool SyncToDisk(int fd) { return ::_commit(fd) == 0; }

// A folder handle cannot be flushed without write access to it; the moves
// themselves are made with MOVEFILE_WRITE_THROUGH.
bool SyncDirectory(std::string_view path) { return DirectoryExists(path); }

int OpenForReading(std::string_view path) {
  return ::_wopen(NativePath(path).c_str(), _O_RDONLY | _O_BINARY);
}

long long ReadFromFile(int fd, char* data, std::size_t size) {
  return ::_read(fd, data, static_cast<unsigned>(size));
}

bool MakeSymbolicLink(std::string_view target, std::string_view path, bool to_folder) {
  std::error_code ec;
  if (to_folder) {
    fs::create_directory_symlink(NativePath(target), NativePath(path), ec);
  } else {
    fs::create_symlink(NativePath(target), NativePath(path), ec);
  }
  return !ec;
}

}  // namespace detail

namespace detail {

bool CopyRegularFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::none, ec) && !ec;
}

}  // namespace detail
}  // namespace kelvandor
