#include "rewrite/run_journal.h"

#include <cerrno>
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

// Brings the project at `root` back to where it was before the run, or, once
// the commit is done, to where the run was taking it; removes the journal.
bool Apply(const JournalRecord& record, std::string root, FileSystem& fs) {
  const auto at = [&root](const std::string& relative) { return JoinPath(root, relative); };
  if (record.committed) {
    // As the commit does: a file that cannot be deleted stays.
    for (const std::string& file : record.deletes) {
      if (fs.AnythingExists(at(file))) fs.RemoveFile(at(file));
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
        fs.IsSameOrInside(root, record.folder_to) && fs.IsSameOrInside(record.folder_to, root)) {
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
  if (record.committed) Line(out, "committed", {});
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
    } else if (kind == "copy") {
      record.copy = true;
    } else if (kind == "temp" && fields.size() == 2) {
      record.temps.push_back(fields[1]);
    } else if (kind == "move" && fields.size() == 3) {
      record.moves.push_back({fields[1], fields[2]});
    } else if (kind == "delete" && fields.size() == 2) {
      record.deletes.push_back(fields[1]);
    } else if (kind == "committed") {
      record.committed = true;
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
  if (!path.starts_with(prefix)) throw IoError(IoErrorCode::kAccessDenied);
  return std::string(path.substr(prefix.size()));
}

void RunJournal::Write() {
  const std::string next = JoinPath(root_, kJournalNewName);
  WriteFileAt(
      next, {}, [this](LineWriter& out) { out.Write(SerializeJournal(record_)); }, file_system_);
  if (!file_system_.RenameReplacing(next, JoinPath(root_, kJournalName))) {
    const int error = errno;
    file_system_.RemoveFile(next);
    ThrowIoErrorFromErrno(error);
  }
  written_ = true;
  if (!file_system_.SyncFolder(root_)) ThrowIoErrorFromErrno(errno);
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

bool RunJournal::Finish() {
  // Also what was noted but never made durable: the step after it failed.
  if (record_ == JournalRecord{}) return true;
  if (!Apply(record_, root_, file_system_)) return false;
  record_ = {};
  written_ = false;
  return true;
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
    if (!ParseJournal(ReadWholeFile(path, file_system), record)) return Recovery::kFailed;
  } catch (const IoError&) {
    return Recovery::kFailed;
  }
  const bool committed = record.committed;
  if (!Apply(record, std::string(dir), file_system)) return Recovery::kFailed;
  return committed ? Recovery::kCompleted : Recovery::kRolledBack;
}

}  // namespace kelvandor
