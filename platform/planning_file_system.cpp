#include "platform/planning_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/path_style.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace kelvandor {
namespace {

constexpr bool kIgnoreCase = kNativeStyle == PathStyle::kWindows;

// A path spelled with one separator between components and none at the end
// (on Windows "/" as "\").
std::string Normal(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '/') c = Separator();
    if (c == Separator() && !out.empty() && out.back() == Separator()) continue;
    out += c;
  }
  while (out.size() > DriveRootLength() + 1 && out.back() == Separator()) out.pop_back();
  return out;
}

// What nodes are found by: the normal spelling, on Windows in lower case.
// Both have the same length.
std::string Key(std::string_view path) {
  return kIgnoreCase ? LowerAscii(Normal(path)) : Normal(path);
}

// The folder that holds `path`, however `path` ends.
std::string Parent(std::string_view path) { return FolderPart(Normal(path)); }

// A key's folder and name: "/a/b" gives "/a" and "b", "/b" gives "/" and "b".
std::pair<std::string_view, std::string_view> FolderAndName(std::string_view key) {
  const std::size_t end = key.rfind(Separator());
  if (end == std::string_view::npos) return {{}, key};
  return {key.substr(0, end == 0 ? 1 : end), key.substr(end + 1)};
}

// `key` lies below `folder` (both keys).
bool Below(std::string_view key, std::string_view folder) {
  return key.size() > folder.size() && key.starts_with(folder) && key[folder.size()] == Separator();
}

// The length of `text` as the real calls count it: UTF-16 units of the ANSI
// code page on Windows, bytes elsewhere.
std::size_t NativeLength(std::string_view text) {
#ifdef _WIN32
  if (text.empty()) return 0;
  return static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0));
#else
  return text.size();
#endif
}

void SetError(int errno_value) {
  errno = errno_value;
#ifdef _WIN32
  SetLastError(errno_value == ENAMETOOLONG ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
#endif
}

// Whether the real call that creates `path` could make it as named; sets the
// error it fails with otherwise. So a plan refuses a name the run would.
bool Creatable(std::string_view path, bool folder) {
  const std::string name = NamePart(Normal(path));
  switch (CheckName(name, NativeLength(name))) {
    case NameFault::kNone:
      break;
    case NameFault::kTooLong:
      SetError(ENAMETOOLONG);
      return false;
    default:
      SetError(EINVAL);
      return false;
  }
  if (kNativeStyle == PathStyle::kWindows &&
      NativeLength(AbsolutePath(path)) >=
          kWindowsMaxPath - (folder ? kWindowsFolderRoom : std::size_t{0})) {
    SetError(ENAMETOOLONG);
    return false;
  }
  return true;
}

}  // namespace

PlanningFileSystem::View PlanningFileSystem::Look(std::string_view path) const {
  const std::string key = Key(path);
  if (const auto it = nodes_.find(key); it != nodes_.end()) {
    const Node& node = it->second;
    switch (node.kind) {
      case NodeKind::kGone:
        return {};
      case NodeKind::kStandIn:
        return {nullptr, node.real};
      case NodeKind::kFolder:
      case NodeKind::kContent:
        return {&node, std::nullopt};
    }
  }
  const auto [folder, name] = FolderAndName(key);
  if (const auto it = removed_files_.find(folder);
      it != removed_files_.end() && it->second.contains(name)) {
    return {};
  }
  // The nearest folder above with a node decides; without one the real disk does.
  for (std::size_t end = key.rfind(Separator()); end != std::string::npos && end > 0;
       end = key.rfind(Separator(), end - 1)) {
    const auto it = nodes_.find(std::string_view(key).substr(0, end));
    if (it == nodes_.end()) continue;
    if (it->second.kind != NodeKind::kStandIn) return {};
    return {nullptr, it->second.real + Normal(path).substr(end)};
  }
  return {nullptr, std::string(path)};
}

bool PlanningFileSystem::Exists(const View& view) {
  return view.node != nullptr || (view.real && kelvandor::AnythingExists(*view.real));
}

bool PlanningFileSystem::IsFolder(const View& view) const {
  if (view.node != nullptr) return view.node->kind == NodeKind::kFolder;
  return view.real && kelvandor::DirectoryExists(*view.real);
}

bool PlanningFileSystem::IsFile(const View& view) const {
  if (view.node != nullptr) return view.node->kind == NodeKind::kContent;
  return view.real && kelvandor::FileExists(*view.real);
}

std::string PlanningFileSystem::RealFor(std::string_view path) const {
  std::string rest;
  std::string current(path);
  for (;;) {
    const View view = Look(current);
    if (view.real) return *view.real + rest;
    const std::string parent = FolderPart(current);
    if (parent.empty() || parent.size() >= current.size()) return std::string(path);
    rest = current.substr(parent.size()) + rest;
    current = parent;
  }
}

std::string PlanningFileSystem::Planned(std::string real) const {
  const std::string key = Key(real);
  for (auto it = moved_folders_.rbegin(); it != moved_folders_.rend(); ++it) {
    const std::string folder = Key(it->second);
    if (key == folder) return it->first;
    if (Below(key, folder))
      return it->first + real.substr(real.size() - (key.size() - folder.size()));
  }
  return real;
}

void PlanningFileSystem::Put(std::string_view path, Node node) {
  node.path = std::string(path);
  nodes_[Key(path)] = std::move(node);
}

void PlanningFileSystem::ForgetBelow(const std::string& key) {
  const std::string prefix = key + Separator();
  auto it = nodes_.lower_bound(prefix);
  while (it != nodes_.end() && it->first.starts_with(prefix)) it = nodes_.erase(it);
  removed_files_.erase(key);
  auto removed = removed_files_.lower_bound(prefix);
  while (removed != removed_files_.end() && removed->first.starts_with(prefix)) {
    removed = removed_files_.erase(removed);
  }
}

bool PlanningFileSystem::Refuses(std::string_view dir) {
  const std::string key = Key(dir);
  for (std::size_t end = key.size(); end != std::string::npos && end > 0;
       end = key.rfind(Separator(), end - 1)) {
    if (nodes_.contains(std::string_view(key).substr(0, end))) return false;
  }
  auto it = writable_.find(key);
  if (it == writable_.end()) it = writable_.emplace(key, writable_folder_(dir)).first;
  if (it->second) return false;
  errno = EACCES;
  return true;
}

bool PlanningFileSystem::Move(std::string_view from, std::string_view to, bool replacing) {
  const View source = Look(from);
  if (!Exists(source)) {
    errno = ENOENT;
    return false;
  }
  if (!Creatable(to, false)) return false;
  const View target = Look(to);
  if (Exists(target) && (!replacing || IsFolder(target) || IsFolder(source))) {
    errno = EEXIST;
    return false;
  }
  if (!IsFolder(Look(Parent(to)))) {
    errno = ENOENT;
    return false;
  }
  // As rename(2): a folder cannot move into itself.
  if (IsFolder(source) && IsSameOrInside(to, from) && Key(to) != Key(from)) {
    errno = EINVAL;
    return false;
  }
  if (Refuses(Parent(from)) || Refuses(Parent(to))) return false;
  const std::string from_key = Key(from);
  const std::string to_key = Key(to);
  if (from_key == to_key) return true;  // another letter case of the same name
  Node moved;
  if (source.node != nullptr) {
    moved = *source.node;
  } else {
    moved.kind = NodeKind::kStandIn;
    moved.real = *source.real;
    if (kelvandor::DirectoryExists(*source.real)) {
      moved_folders_.emplace_back(std::string(to), kelvandor::ResolvedPath(*source.real));
    }
  }
  // The changes made below the old place move with it.
  std::vector<std::pair<std::string, Node>> below;
  const std::string prefix = from_key + Separator();
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);) {
    Node node = std::move(it->second);
    node.path = Normal(to) + Normal(node.path).substr(from_key.size());
    below.emplace_back(to_key + it->first.substr(from_key.size()), std::move(node));
    it = nodes_.erase(it);
  }
  std::vector<std::pair<std::string, std::set<std::string, std::less<>>>> removed_below;
  for (auto it = removed_files_.lower_bound(from_key);
       it != removed_files_.end() && (it->first == from_key || it->first.starts_with(prefix));) {
    removed_below.emplace_back(to_key + it->first.substr(from_key.size()), std::move(it->second));
    it = removed_files_.erase(it);
  }
  ForgetBelow(to_key);
  for (auto& [key, names] : removed_below) removed_files_[key] = std::move(names);
  Put(from, Node{NodeKind::kGone, {}, {}, {}, {}});
  Put(to, std::move(moved));
  for (auto& [key, node] : below) nodes_[key] = std::move(node);
  return true;
}

bool PlanningFileSystem::MakeDirectory(std::string_view path) {
  if (!Creatable(path, true)) return false;
  if (Exists(Look(path))) {
    errno = EEXIST;
    return false;
  }
  if (!IsFolder(Look(Parent(path)))) {
    errno = ENOENT;
    return false;
  }
  if (Refuses(Parent(path))) return false;
  ForgetBelow(Key(path));
  Put(path, Node{NodeKind::kFolder, {}, {}, {}, {}});
  return true;
}

bool PlanningFileSystem::Rename(std::string_view from, std::string_view to, bool replace) {
  return Move(from, to, replace);
}

bool PlanningFileSystem::RemoveFile(std::string_view path) {
  const View view = Look(path);
  const bool link = view.real && kelvandor::IsLink(*view.real);
  if (!link && !IsFile(view)) {
    errno = IsFolder(view) ? EISDIR : ENOENT;
    return false;
  }
  if (!link && view.real && kelvandor::IsReadOnly(*view.real)) {
    errno = EACCES;
    return false;
  }
  if (Refuses(Parent(path))) return false;
  const std::string key = Key(path);
  if (nodes_.contains(key)) {
    Put(path, Node{NodeKind::kGone, {}, {}, {}, {}});
  } else {
    const auto [folder, name] = FolderAndName(key);
    removed_files_[std::string(folder)].emplace(name);
  }
  return true;
}

bool PlanningFileSystem::RemoveTree(std::string_view path) {
  if (!AnythingExists(path)) return true;
  if (Refuses(Parent(path))) return false;
  ForgetBelow(Key(path));
  Put(path, Node{NodeKind::kGone, {}, {}, {}, {}});
  return true;
}

bool PlanningFileSystem::CopyPermissions(std::string_view from, std::string_view to) {
  if (Exists(Look(from)) && Exists(Look(to))) return true;
  errno = ENOENT;
  return false;
}

bool PlanningFileSystem::CopyOneFile(std::string_view from, std::string_view to) {
  const View source = Look(from);
  if (!IsFile(source) || Exists(Look(to)) || !IsFolder(Look(Parent(to)))) {
    errno = IsFile(source) ? EEXIST : ENOENT;
    return false;
  }
  if (!Creatable(to, false) || Refuses(Parent(to))) return false;
  if (source.node != nullptr) {
    Put(to, *source.node);
  } else {
    Put(to, Node{NodeKind::kStandIn, {}, *source.real, {}, {}});
  }
  return true;
}

bool PlanningFileSystem::MakeLink(std::string_view, std::string_view path, bool) {
  // The planned copy stands in for the whole folder, links included; a link
  // made on its own has nothing to show.
  errno = Exists(Look(path)) ? EEXIST : EPERM;
  return false;
}

bool PlanningFileSystem::CopyTree(std::string_view from, std::string_view to,
                                  const CopyProgressFn& progress) {
  const View source = Look(from);
  if (!IsFolder(source) || Exists(Look(to)) || IsSameOrInside(to, from) ||
      !IsFolder(Look(Parent(to))) || !source.real || !Creatable(to, true) || Refuses(Parent(to))) {
    return false;
  }
  moved_folders_.emplace_back(std::string(to), kelvandor::ResolvedPath(*source.real));
  ForgetBelow(Key(to));
  Put(to, Node{NodeKind::kStandIn, {}, *source.real, {}, {}});
  if (progress) progress(0, 0);
  return true;
}

int PlanningFileSystem::CreateForWriting(std::string_view path) {
  const View view = Look(path);
  if (IsFolder(view) || !IsFolder(Look(Parent(path)))) {
    errno = IsFolder(view) ? EISDIR : ENOENT;
    return -1;
  }
  if (!Creatable(path, false) || Refuses(Parent(path))) return -1;
  Put(path, Node{NodeKind::kContent, {}, {}, {}, {}});
  const int fd = next_fd_++;
  open_[fd] = OpenFile{std::string(path), {}, 0, true};
  return fd;
}

long long PlanningFileSystem::Write(int fd, const char* data, std::size_t size) {
  const auto it = open_.find(fd);
  if (it == open_.end() || !it->second.writing) {
    errno = EBADF;
    return -1;
  }
  OpenFile& file = it->second;
  file.written += size;
  if (!file.dropped) {
    file.content.append(data, size);
    if (content_limit_ && file.content.size() > *content_limit_) {
      file.dropped = true;
      std::string().swap(file.content);
    }
  }
  return static_cast<long long>(size);
}

int PlanningFileSystem::Close(int fd) {
  const auto it = open_.find(fd);
  if (it == open_.end()) return NativeFileSystem().Close(fd);
  if (it->second.writing) {
    OpenFile& file = it->second;
    Put(file.path, Node{NodeKind::kContent,
                        {},
                        {},
                        std::move(file.content),
                        file.dropped ? std::optional(file.written) : std::nullopt});
  }
  open_.erase(it);
  return 0;
}

// Nothing of a plan reaches the disk.
bool PlanningFileSystem::SyncFile(int fd) {
  return open_.count(fd) != 0 || NativeFileSystem().SyncFile(fd);
}
bool PlanningFileSystem::SyncFolder(std::string_view) { return true; }

int PlanningFileSystem::OpenForReading(std::string_view path) {
  const View view = Look(path);
  if (view.real) return NativeFileSystem().OpenForReading(*view.real);
  if (view.node == nullptr || view.node->kind != NodeKind::kContent) {
    errno = view.node != nullptr ? EISDIR : ENOENT;
    return -1;
  }
  if (view.node->dropped_size) {
    errno = EIO;
    return -1;
  }
  const int fd = next_fd_++;
  open_[fd] = OpenFile{std::string(path), view.node->content, 0, false};
  return fd;
}

long long PlanningFileSystem::Read(int fd, char* data, std::size_t size) {
  const auto it = open_.find(fd);
  if (it == open_.end()) return NativeFileSystem().Read(fd, data, size);
  OpenFile& file = it->second;
  const std::size_t n = std::min(size, file.content.size() - file.position);
  std::memcpy(data, file.content.data() + file.position, n);
  file.position += n;
  return static_cast<long long>(n);
}

// A file the plan wrote has no time; one it only read keeps its own.
FileStat PlanningFileSystem::Stat(std::string_view path, bool follow_links) {
  const View view = Look(path);
  if (view.real) return NativeFileSystem().Stat(*view.real, follow_links);
  FileStat stat;
  if (view.node == nullptr) return stat;
  stat.exists = true;
  if (view.node->kind == NodeKind::kFolder) {
    stat.kind = EntryKind::kFolder;
  } else if (view.node->kind == NodeKind::kContent) {
    stat.kind = EntryKind::kFile;
    stat.size = view.node->dropped_size.value_or(view.node->content.size());
  }
  return stat;
}

std::vector<DirEntry> PlanningFileSystem::ListDirectory(std::string_view dir) {
  const View view = Look(dir);
  if (!IsFolder(view)) return {};
  const std::string dir_key = Key(dir);
  std::vector<DirEntry> entries;
  if (view.real) {
    const auto removed = removed_files_.find(dir_key);
    for (DirEntry& entry : kelvandor::ListDirectory(*view.real)) {
      const std::string name = kIgnoreCase ? LowerAscii(entry.name) : entry.name;
      if (nodes_.contains(JoinPath(dir_key, name))) continue;
      if (removed != removed_files_.end() && removed->second.contains(name)) continue;
      entries.push_back(std::move(entry));
    }
  }
  const std::string prefix = dir_key + Separator();
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);
       ++it) {
    const Node& node = it->second;
    if (node.kind == NodeKind::kGone ||
        it->first.find(Separator(), prefix.size()) != std::string::npos) {
      continue;
    }
    DirEntry entry;
    entry.name = NamePart(node.path);
    switch (node.kind) {
      case NodeKind::kFolder:
        entry.kind = EntryKind::kFolder;
        break;
      case NodeKind::kContent:
        entry.kind = EntryKind::kFile;
        break;
      default:
        entry.kind = kelvandor::DirectoryExists(node.real) ? EntryKind::kFolder
                     : kelvandor::FileExists(node.real)    ? EntryKind::kFile
                                                           : EntryKind::kOther;
        entry.is_link = kelvandor::IsLink(node.real);
        break;
    }
    entry.hidden = kNativeStyle == PathStyle::kPosix && entry.name.starts_with('.');
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string PlanningFileSystem::ResolvedPath(std::string_view path) {
  const std::string resolved = kelvandor::ResolvedPath(RealFor(path));
  return resolved.empty() ? resolved : Planned(resolved);
}

bool PlanningFileSystem::IsSameOrInside(std::string_view inner, std::string_view outer) {
  return kelvandor::IsSameOrInside(RealFor(inner), RealFor(outer));
}

}  // namespace kelvandor
