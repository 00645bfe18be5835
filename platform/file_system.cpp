#include "platform/file_system.h"

#include <cstdio>
#include <system_error>

#include "platform/file_system_native.h"
#include "platform/path_style.h"
#include "platform/stop_request.h"

namespace kelvandor {
namespace fs = std::filesystem;

std::vector<std::string> ListFiles(std::string_view dir, std::string_view suffix) {
  return NativeFileSystem().ListFiles(dir, suffix);
}

std::optional<DirEntry> FindEntry(std::string_view dir, std::string_view name) {
  return NativeFileSystem().FindEntry(dir, name);
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
    // A copy stopped part-way is removed like any other that failed.
    if (ec || StopRequested()) {
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
      if (!file_system.CopyOneFile(ProgramPath(entry.path()), ProgramPath(target)))
        state.ok = false;
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

bool CopyTreeByCalls(FileSystem& file_system, std::string_view from, std::string_view to,
                     const CopyProgressFn& progress) {
  if (!kelvandor::DirectoryExists(from) || kelvandor::AnythingExists(to)) return false;
  // A copy into its own source would meet itself and never end.
  if (kelvandor::IsSameOrInside(to, from)) return false;
  CopyState state;
  state.progress = &progress;
  state.total = progress ? CountEntries(NativePath(from)) : 0;
  std::error_code ec;
  state.source_root = fs::canonical(NativePath(from), ec);
  state.copy_root = fs::absolute(NativePath(to), ec).lexically_normal();
  if (ec) return false;
  CopyFolder(file_system, NativePath(from), NativePath(to), state);
  if (progress && (state.done != state.total || state.done == 0)) {
    // The tree changed while it was copied, or held no file, or the copy
    // failed: the last report still says that the copy has ended.
    progress(state.done, state.done);
  }
  // A half copy left behind would later pass for the user's own folder.
  if (!state.ok && kelvandor::AnythingExists(to)) file_system.RemoveTree(to);
  return state.ok;
}

bool FileSystem::FileExists(std::string_view path) {
  return Stat(path, true).kind == EntryKind::kFile;
}
bool FileSystem::DirectoryExists(std::string_view path) {
  return Stat(path, true).kind == EntryKind::kFolder;
}
bool FileSystem::AnythingExists(std::string_view path) { return Stat(path, false).exists; }
bool FileSystem::IsLink(std::string_view path) { return Stat(path, false).is_link; }
bool FileSystem::IsReadOnly(std::string_view path) { return Stat(path, false).read_only; }
std::optional<std::uint64_t> FileSystem::FileSize(std::string_view path) {
  return Stat(path, true).size;
}
std::optional<std::int64_t> FileSystem::ModifiedTime(std::string_view path) {
  return Stat(path, true).modified;
}
std::vector<std::string> FileSystem::ListFiles(std::string_view dir, std::string_view suffix) {
  std::vector<std::string> out;
  for (DirEntry& e : ListDirectory(dir)) {
    if (e.kind == EntryKind::kFile && MatchesWildcardSuffix(e.name, suffix)) {
      out.push_back(std::move(e.name));
    }
  }
  return out;
}
std::optional<DirEntry> FileSystem::FindEntry(std::string_view dir, std::string_view name) {
  std::optional<DirEntry> found;
  for (DirEntry& e : ListDirectory(dir)) {
    if (e.name == name) return std::move(e);
    if (!found && EqualsIgnoreCase(e.name, name)) found = std::move(e);
  }
  return found;
}

bool DiskFileSystem::CopyTree(std::string_view from, std::string_view to,
                              const CopyProgressFn& progress) {
  return CopyTreeByCalls(*this, from, to, progress);
}
bool DiskFileSystem::MakeDirectory(std::string_view path) { return kelvandor::MakeDirectory(path); }
bool DiskFileSystem::SyncFile(int fd) { return detail::SyncToDisk(fd); }
bool DiskFileSystem::SyncFolder(std::string_view dir) { return detail::SyncDirectory(dir); }
bool DiskFileSystem::Rename(std::string_view from, std::string_view to, bool replace) {
  return replace ? kelvandor::RenameReplacing(from, to) : kelvandor::RenameNoReplace(from, to);
}
bool DiskFileSystem::RemoveFile(std::string_view path) { return kelvandor::RemoveFile(path); }
bool DiskFileSystem::RemoveTree(std::string_view path) { return kelvandor::RemoveTree(path); }
bool DiskFileSystem::CopyPermissions(std::string_view from, std::string_view to) {
  return kelvandor::CopyPermissions(from, to);
}
bool DiskFileSystem::CopyOneFile(std::string_view from, std::string_view to) {
  return detail::CopyRegularFile(NativePath(from), NativePath(to));
}
bool DiskFileSystem::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  return detail::MakeSymbolicLink(target, path, to_folder);
}
int DiskFileSystem::CreateForWriting(std::string_view path) { return detail::OpenForWriting(path); }
long long DiskFileSystem::Write(int fd, const char* data, std::size_t size) {
  return detail::WriteToFile(fd, data, size);
}
int DiskFileSystem::Close(int fd) { return detail::CloseFile(fd); }
FileStat DiskFileSystem::Stat(std::string_view path, bool follow_links) {
  return detail::StatPath(path, follow_links);
}
std::vector<DirEntry> DiskFileSystem::ListDirectory(std::string_view dir) {
  return kelvandor::ListDirectory(dir);
}
std::string DiskFileSystem::ResolvedPath(std::string_view path) {
  return kelvandor::ResolvedPath(path);
}
bool DiskFileSystem::IsSameOrInside(std::string_view inner, std::string_view outer) {
  return kelvandor::IsSameOrInside(inner, outer);
}
int DiskFileSystem::OpenForReading(std::string_view path) { return detail::OpenForReading(path); }
long long DiskFileSystem::Read(int fd, char* data, std::size_t size) {
  return detail::ReadFromFile(fd, data, size);
}

std::optional<std::uint64_t> FileSize(std::string_view path) {
  std::error_code ec;
  const fs::path native = NativePath(path);
  if (!fs::is_regular_file(native, ec)) return std::nullopt;
  const std::uintmax_t size = fs::file_size(native, ec);
  if (ec) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

FileSystem& NativeFileSystem() {
  static DiskFileSystem native;
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
  auto same = [](std::string_view x, std::string_view y) {
    return kNativeStyle == PathStyle::kWindows ? EqualsIgnoreCase(x, y) : x == y;
  };
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
