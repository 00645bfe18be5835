#include "tests/support/call_recorder.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "platform/path_style.h"
#include "core/run_journal.h"

namespace kelvandor::testing {

std::string PathRole(std::string_view path) {
  const std::string name = NamePart(path);
  if (name == kJournalName) return "journal";
  if (name == kJournalNewName) return "new journal";
  if (name.find(kTemporarySuffix) != std::string::npos) return "temporary";
  if (name.find(kSetAsideSuffix) != std::string::npos) return "set aside";
  if (name.ends_with(kBackupSuffix) || name.starts_with(kPrjWspBackupPrefix)) return "backup";
  const std::size_t dot = name.rfind('.');
  return "*" + (dot != std::string::npos ? LowerAscii(std::string_view(name).substr(dot)) : "");
}

namespace {

// "file" for a role that is a file's extension.
std::string AnyFile(const std::string& role) { return role.starts_with('*') ? "file" : role; }

}  // namespace

template <typename Call>
auto CallRecorder::Note(std::string_view kind, std::string place, Call call) {
  const int before = counted_();
  auto result = call();
  const bool ends_step = kind == "SyncFolder" || place.find("journal") != std::string::npos;
  for (int n = counted_(); n > before; --n) {
    calls_.push_back({std::string(kind), place, ends_step ? step_ : std::string()});
  }
  if (!ends_step) {
    const std::size_t arrow = place.find(" -> ");
    step_ = std::string(kind) + " " +
            (arrow == std::string::npos
                 ? AnyFile(place)
                 : AnyFile(place.substr(0, arrow)) + " -> " + AnyFile(place.substr(arrow + 4)));
  }
  return result;
}

std::string CallRecorder::FilePlace(int fd) const {
  const auto it = open_.find(fd);
  return it != open_.end() ? it->second : "?";
}

bool CallRecorder::MakeDirectory(std::string_view path) {
  return Note("MakeDirectory", "folder", [&] { return ForwardingFileSystem::MakeDirectory(path); });
}
bool CallRecorder::Rename(std::string_view from, std::string_view to, bool replace) {
  return Note("Rename", PathRole(from) + " -> " + PathRole(to),
              [&] { return ForwardingFileSystem::Rename(from, to, replace); });
}
bool CallRecorder::RemoveFile(std::string_view path) {
  return Note("RemoveFile", AnyFile(PathRole(path)),
              [&] { return ForwardingFileSystem::RemoveFile(path); });
}
bool CallRecorder::RemoveTree(std::string_view path) {
  return Note("RemoveTree", "folder", [&] { return ForwardingFileSystem::RemoveTree(path); });
}
bool CallRecorder::CopyPermissions(std::string_view from, std::string_view to) {
  return Note("CopyPermissions", AnyFile(PathRole(to)),
              [&] { return ForwardingFileSystem::CopyPermissions(from, to); });
}
bool CallRecorder::CopyOneFile(std::string_view from, std::string_view to) {
  return Note("CopyOneFile", AnyFile(PathRole(to)),
              [&] { return ForwardingFileSystem::CopyOneFile(from, to); });
}
bool CallRecorder::MakeLink(std::string_view target, std::string_view path, bool to_folder) {
  return Note("MakeLink", AnyFile(PathRole(path)),
              [&] { return ForwardingFileSystem::MakeLink(target, path, to_folder); });
}
int CallRecorder::CreateForWriting(std::string_view path) {
  const int fd = Note("CreateForWriting", PathRole(path),
                      [&] { return ForwardingFileSystem::CreateForWriting(path); });
  if (fd >= 0) open_[fd] = PathRole(path);
  return fd;
}
long long CallRecorder::Write(int fd, const char* data, std::size_t size) {
  return Note("Write", FilePlace(fd), [&] { return ForwardingFileSystem::Write(fd, data, size); });
}
int CallRecorder::Close(int fd) {
  const int result = Note("Close", FilePlace(fd), [&] { return ForwardingFileSystem::Close(fd); });
  open_.erase(fd);
  return result;
}
bool CallRecorder::SyncFile(int fd) {
  return Note("SyncFile", FilePlace(fd), [&] { return ForwardingFileSystem::SyncFile(fd); });
}
bool CallRecorder::SyncFolder(std::string_view dir) {
  return Note("SyncFolder", "folder", [&] { return ForwardingFileSystem::SyncFolder(dir); });
}
int CallRecorder::OpenForReading(std::string_view path) {
  const int fd = Note("OpenForReading", PathRole(path),
                      [&] { return ForwardingFileSystem::OpenForReading(path); });
  if (fd >= 0) open_[fd] = PathRole(path);
  return fd;
}
long long CallRecorder::Read(int fd, char* data, std::size_t size) {
  return Note("Read", FilePlace(fd), [&] { return ForwardingFileSystem::Read(fd, data, size); });
}

std::vector<int> ChosenCalls(const std::vector<RecordedCall>& calls) {
  using Key = std::tuple<std::string_view, std::string_view, std::string_view>;
  std::map<Key, std::pair<int, int>> first_last;
  for (int n = 1; n <= static_cast<int>(calls.size()); ++n) {
    const RecordedCall& call = calls[n - 1];
    auto [it, added] = first_last.try_emplace(Key{call.kind, call.place, call.step}, n, n);
    it->second.second = n;
  }
  std::set<int> chosen;
  for (const auto& [key, numbers] : first_last) {
    chosen.insert(numbers.first);
    chosen.insert(numbers.second);
  }
  return {chosen.begin(), chosen.end()};
}

}  // namespace kelvandor::testing
