#include "core/run_journal.h"

#include <cerrno>
#include <map>
#include <set>
#include <utility>

#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/text_lines.h"
#include "platform/write_beside.h"

namespace kelvandor {
namespace {

constexpr std::string_view kHeader = "kelvandor-journal\t1";

void Escape(std::string_view text, std::string& out) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
  }
  return out;
}

void Line(std::string& out, std::string_view kind, std::initializer_list<std::string_view> fields) {
  out += kind;
  for (std::string_view field : fields) {
    out += '\t';
    Escape(field, out);
  }
  out += '\n';
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find('\t', start);
    out.push_back(Unescape(line.substr(start, end - start)));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

bool Remove(FileSystem& fs, const std::string& path) {
  // RemoveTree also removes a temporary file made read-only like its source.
  return !fs.AnythingExists(path) || fs.RemoveTree(path);
}

bool IsComponentEnd(char c) {
  return c == '/' || (kNativeStyle == PathStyle::kWindows && (c == '\\' || c == ':'));
}

// The components of `path` between separators, the empty ones included.
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsComponentEnd(path[i])) {
      out.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

// Windows drops a final dot or space: "..." and ".. " name the folder above.
bool IsDotComponent(std::string_view part) {
  if (kNativeStyle == PathStyle::kWindows) {
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
    return part.empty();
  }
  return part == "." || part == "..";
}

// A path of the record below its folder: relative, every component a name,
// none the journal itself.
bool IsPlainRelative(std::string_view path) {
  if (path.empty() || IsAbsolute(path)) return false;
  for (std::string_view part : Components(path)) {
    if (part.empty() || IsDotComponent(part)) return false;
  }
  const std::string name = NamePart(path);
  return !SameFileName(name, kJournalName) && !SameFileName(name, kJournalNewName);
}

// An absolute path without "." or ".." components.
bool IsPlainAbsolute(std::string_view path) {
  if (!IsAbsolute(path)) return false;
  for (std::string_view part : Components(path)) {
    if (IsDotComponent(part) && !part.empty()) return false;
  }
  return true;
}

// `name` ends in `suffix`, maybe followed by a number, after some name.
bool EndsWithNumbered(std::string_view name, std::string_view suffix) {
  while (!name.empty() && name.back() >= '0' && name.back() <= '9') name.remove_suffix(1);
  return name.size() > suffix.size() && name.ends_with(suffix);
}

bool IsTemporaryName(std::string_view name) { return EndsWithNumbered(name, kTemporarySuffix); }

// The files a commit deletes: those it set aside, and backups.
bool IsDeletableName(std::string_view name) {
  return EndsWithNumbered(name, kSetAsideSuffix) ||
         (name.size() > kBackupSuffix.size() && name.ends_with(kBackupSuffix)) ||
         (name.size() > kPrjWspBackupPrefix.size() && name.starts_with(kPrjWspBackupPrefix));
}

bool SameFolder(const std::string& a, const std::string& b, FileSystem& fs) {
  return fs.IsSameOrInside(a, b) && fs.IsSameOrInside(b, a);
}

// Whether `record`, found in `root`, asks only for what a run of this program
// does there (see RecoverInterruptedRun).
bool Trusted(const JournalRecord& record, const std::string& root, FileSystem& fs) {
  const auto inside = [&](const std::string& relative) {
    return IsPlainRelative(relative) &&
           fs.IsSameOrInside(FolderPart(JoinPath(root, relative)), root);
  };
  for (const std::string& temp : record.temps) {
    const std::string path = JoinPath(root, temp);
    if (!inside(temp) || !IsTemporaryName(NamePart(temp))) return false;
    // A temporary file is a file; a link is removed, never followed.
    if (fs.AnythingExists(path) && !fs.IsLink(path) && !fs.FileExists(path)) return false;
  }
  for (const JournalMove& move : record.moves) {
    if (!inside(move.from) || !inside(move.to)) return false;
  }
  for (const std::string& file : record.deletes) {
    if (!inside(file) || !IsDeletableName(NamePart(file))) return false;
  }
  for (const JournalMove& image : record.images) {
    if (!inside(image.from) || !inside(image.to)) return false;
  }
  if (record.folder_from.empty() != record.folder_to.empty()) return false;
  if (!record.folder_from.empty()) {
    if (!IsPlainAbsolute(record.folder_from) || !IsPlainAbsolute(record.folder_to) ||
        IsFileSystemRoot(record.folder_from) || IsFileSystemRoot(record.folder_to)) {
      return false;
    }
    const bool moved = SameFolder(root, record.folder_to, fs);
    if (!moved && !SameFolder(root, record.folder_from, fs)) return false;
    // A copy is made at the target, before the folder moves.
    if (record.copy && !moved) return false;
  }
  return !record.copy || !IsFileSystemRoot(root);
}

std::string Key(std::string_view path) {
  return kNativeStyle == PathStyle::kWindows ? LowerAscii(path) : std::string(path);
}

// Whether the disk shows every move of the commit made: each name the moves
// touch holds something exactly when the last move that touched it left
// something there (a move of a folder carries what lies in it); the files
// deleted after the commit do not count.
bool MovesMade(const JournalRecord& record, const std::string& root, FileSystem& fs) {
  struct Name {
    std::string path;
    bool present = false;
  };
  std::map<std::string, Name> names;
  const std::string separator = SeparatorString();
  for (const JournalMove& move : record.moves) {
    const std::string from_key = Key(move.from) + separator;
    std::map<std::string, Name> carried;
    for (auto it = names.begin(); it != names.end();) {
      if (it->first.starts_with(from_key)) {
        Name name = it->second;
        name.path = move.to + name.path.substr(move.from.size());
        carried[Key(name.path)] = std::move(name);
        it = names.erase(it);
      } else {
        ++it;
      }
    }
    names.merge(carried);
    names[Key(move.from)] = {move.from, false};
    names[Key(move.to)] = {move.to, true};
  }
  std::set<std::string> deleted;
  for (const std::string& file : record.deletes) deleted.insert(Key(file));
  for (const auto& [key, name] : names) {
    if (deleted.contains(key)) continue;
    if (fs.AnythingExists(JoinPath(root, name.path)) != name.present) return false;
  }
  return true;
}

// Brings the project at `root` back to where it was before the run, or, once
// the commit is done, to where the run was taking it; removes the journal.
// `rolled_back` tells which.
bool Apply(const JournalRecord& record, std::string root, FileSystem& fs, bool& rolled_back) {
  const auto at = [&root](const std::string& relative) { return JoinPath(root, relative); };
  rolled_back = !record.cleaning && (!record.committed || !MovesMade(record, root, fs));
  if (!rolled_back) {
    // As the commit does: a file that cannot be deleted stays.
    for (const std::string& file : record.deletes) {
      if (fs.AnythingExists(at(file))) fs.RemoveFile(at(file));
    }
    // Never over a file: an image renamed already, or one of the new name.
    for (const JournalMove& image : record.images) {
      if (fs.FileExists(at(image.from)) && !fs.AnythingExists(at(image.to))) {
        fs.RenameNoReplace(at(image.from), at(image.to));
      }
    }
  } else if (record.copy) {
    // Everything in the folder is the run's own copy.
    return fs.RemoveTree(root);
  } else {
    bool ok = true;
    std::set<std::string> folders;
    for (auto it = record.moves.rbegin(); it != record.moves.rend(); ++it) {
      const std::string from = at(it->from);
      const std::string to = at(it->to);
      if (fs.AnythingExists(to) && !fs.AnythingExists(from)) {
        ok = fs.RenameNoReplace(to, from) && ok;
        folders.insert(FolderPart(from));
      }
    }
    for (const std::string& folder : folders) fs.SyncFolder(folder);
    if (!ok) return false;
    if (!record.folder_from.empty() && !fs.AnythingExists(record.folder_from) &&
        SameFolder(root, record.folder_to, fs)) {
      // The temporary files go first: a later run must find every name.
      for (const std::string& temp : record.temps) {
        if (!Remove(fs, at(temp))) return false;
      }
      if (!fs.RenameNoReplace(root, record.folder_from)) return false;
      fs.SyncFolder(FolderPart(record.folder_from));
      root = record.folder_from;
    }
  }
  for (const std::string& temp : record.temps) {
    if (!Remove(fs, at(temp))) return false;
  }
  if (!Remove(fs, at(std::string(kJournalNewName)))) return false;
  if (!Remove(fs, at(std::string(kJournalName)))) return false;
  fs.SyncFolder(root);
  return true;
}

}  // namespace

std::string SerializeJournal(const JournalRecord& record) {
  std::string out(kHeader);
  out += '\n';
  if (!record.folder_from.empty()) Line(out, "folder", {record.folder_from, record.folder_to});
  if (record.copy) Line(out, "copy", {});
  for (const std::string& temp : record.temps) Line(out, "temp", {temp});
  for (const JournalMove& move : record.moves) Line(out, "move", {move.from, move.to});
  for (const std::string& file : record.deletes) Line(out, "delete", {file});
  for (const JournalMove& image : record.images) Line(out, "image", {image.from, image.to});
  if (record.committed) Line(out, "committed", {});
  if (record.cleaning) Line(out, "cleaning", {});
  return out;
}

bool ParseJournal(std::string_view text, JournalRecord& record) {
  record = {};
  if (!text.starts_with(kHeader) || text.substr(kHeader.size(), 1) != "\n") return false;
  text.remove_prefix(kHeader.size() + 1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    const std::vector<std::string> fields = Fields(text.substr(0, end));
    text.remove_prefix(end + 1);
    const std::string& kind = fields[0];
    if (kind == "folder" && fields.size() == 3) {
      record.folder_from = fields[1];
      record.folder_to = fields[2];
    } else if (kind == "copy" && fields.size() == 1) {
      record.copy = true;
    } else if (kind == "temp" && fields.size() == 2) {
      record.temps.push_back(fields[1]);
    } else if (kind == "move" && fields.size() == 3) {
      record.moves.push_back({fields[1], fields[2]});
    } else if (kind == "delete" && fields.size() == 2) {
      record.deletes.push_back(fields[1]);
    } else if (kind == "image" && fields.size() == 3) {
      record.images.push_back({fields[1], fields[2]});
    } else if (kind == "committed" && fields.size() == 1) {
      record.committed = true;
    } else if (kind == "cleaning" && fields.size() == 1) {
      record.cleaning = true;
    } else {
      return false;
    }
  }
  return true;
}

RunJournal::RunJournal(FileSystem& file_system, std::string root)
    : file_system_(file_system), root_(std::move(root)) {}

std::string RunJournal::Relative(std::string_view path) const {
  const std::string prefix = root_ + SeparatorString();
  // Every file a run writes lies below the project folder.
  if (!path.starts_with(prefix)) throw IoError(IoErrorCode::kAccessDenied, path);
  return std::string(path.substr(prefix.size()));
}

void RunJournal::Write() {
  const std::string next = JoinPath(root_, kJournalNewName);
  WriteFileAt(
      next, {}, [this](LineWriter& out) { out.Write(SerializeJournal(record_)); }, file_system_);
  if (!file_system_.RenameReplacing(next, JoinPath(root_, kJournalName))) {
    const int error = errno;
    file_system_.RemoveFile(next);
    ThrowIoErrorFromErrno(error, JoinPath(root_, kJournalName));
  }
  written_ = true;
  if (!file_system_.SyncFolder(root_)) ThrowIoErrorFromErrno(errno, root_);
}

void RunJournal::NoteFolderMove(std::string from, std::string to) {
  record_.folder_from = std::move(from);
  record_.folder_to = std::move(to);
  Write();
}

void RunJournal::NoteCopy() {
  record_.copy = true;
  Write();
}

void RunJournal::NoteTemp(std::string_view path) {
  record_.temps.push_back(Relative(path));
  Write();
}

void RunJournal::NoteCommit(const std::vector<JournalMove>& moves,
                            const std::vector<std::string>& deletes) {
  for (const JournalMove& move : moves) {
    record_.moves.push_back({Relative(move.from), Relative(move.to)});
  }
  for (const std::string& file : deletes) record_.deletes.push_back(Relative(file));
  Write();
}

void RunJournal::NoteCommitted() {
  record_.committed = true;
  try {
    Write();
  } catch (const IoError&) {
    // The batch undoes its moves: what is rolled back must not be completed.
    record_.committed = false;
    throw;
  }
}

void RunJournal::OweImageRenames(const std::vector<JournalMove>& renames) {
  for (const JournalMove& rename : renames) {
    record_.images.push_back({Relative(rename.from), Relative(rename.to)});
  }
}

bool RunJournal::NoteCleanUp() {
  record_.cleaning = true;
  try {
    Write();
  } catch (const IoError&) {
    return false;
  }
  return true;
}

bool RunJournal::Finish() {
  // Also what was noted but never made durable: the step after it failed.
  if (record_ == JournalRecord{}) return true;
  bool rolled_back = false;
  if (!Apply(record_, root_, file_system_, rolled_back)) {
    // The journal on disk may claim a commit the batch has since undone in
    // part: it must say what the next run is to do.
    if (written_) {
      try {
        Write();
      } catch (const IoError&) {
        // The next run decides by the disk.
      }
    }
    return false;
  }
  record_ = {};
  written_ = false;
  return true;
}

bool ReadJournal(std::string_view dir, FileSystem& file_system, JournalRecord& record) {
  const std::string path = JoinPath(dir, kJournalName);
  try {
    return file_system.FileExists(path) && ParseJournal(ReadWholeFile(path, file_system), record);
  } catch (const IoError&) {
    return false;
  }
}

Recovery RecoverInterruptedRun(std::string_view dir, FileSystem& file_system) {
  const std::string path = JoinPath(dir, kJournalName);
  if (!file_system.FileExists(path)) {
    // A first version that never took the journal's name: nothing else was
    // written after it.
    const std::string next = JoinPath(dir, kJournalNewName);
    if (file_system.FileExists(next)) file_system.RemoveFile(next);
    return Recovery::kNone;
  }
  JournalRecord record;
  try {
    if (!ParseJournal(ReadWholeFile(path, file_system), record)) return Recovery::kRefused;
  } catch (const IoError&) {
    return Recovery::kFailed;
  }
  const std::string root(dir);
  if (!Trusted(record, root, file_system)) return Recovery::kRefused;
  bool rolled_back = false;
  if (!Apply(record, root, file_system, rolled_back)) return Recovery::kFailed;
  return rolled_back ? Recovery::kRolledBack : Recovery::kCompleted;
}

}  // namespace kelvandor
