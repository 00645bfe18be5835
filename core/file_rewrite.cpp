#include "core/file_rewrite.h"

#include <cerrno>
#include <cstdint>
#include <set>
#include <utility>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/stop_request.h"
#include "platform/write_beside.h"

namespace kelvandor {
namespace {

// What stands at `path` is about to be replaced by a rename. POSIX would
// replace a read-only file (and root may write anything), Windows refuses:
// refusing everywhere keeps the outcome alike and raises before anything moved.
void RequireReplaceable(FileSystem& fs, const std::string& path) {
  if (!fs.AnythingExists(path)) return;
  if (!fs.FileExists(path) || fs.IsReadOnly(path)) {
    throw IoError(IoErrorCode::kAccessDenied, path);
  }
}

// Runs `step`, naming `path` in an IoError raised without a file of its own
// (a rewriter's, or a stop requested while it streams).
template <typename Step>
void NamingFile(const std::string& path, Step step) {
  try {
    step();
  } catch (const IoError& e) {
    if (!e.path().empty()) throw;
    throw IoError(e.code(), path);
  }
}

void StreamLines(LineReader& in, LineWriter& out, const LineTransform& transform) {
  std::string_view line;
  if (transform) {
    while (in.ReadLine(line)) transform(line, out);
  } else {
    while (in.ReadLine(line)) out.WriteLine(line);
  }
}

void CopyBytes(LineReader& in, LineWriter& out) {
  std::string_view chunk;
  while (in.ReadBytes(chunk)) out.Write(chunk);
}

void EmitRawLine(std::string_view line, const RawLineTransform& transform, LineWriter& out) {
  std::size_t end = line.size();
  if (end > 0 && line[end - 1] == '\n') {
    --end;
    if (end > 0 && line[end - 1] == '\r') --end;
  }
  transform(line.substr(0, end), line.substr(end), out);
}

// Project files name each other as their IDE on Windows reads the names:
// letter case ignored, "/" and "\" alike.
std::string ReferenceKey(std::string_view path) {
  return LowerAscii(NormalisedAgainst(path, SeparatorString()));
}

}  // namespace

StreamTransform RawLines(RawLineTransform transform) {
  return [transform = std::move(transform)](LineReader& in, LineWriter& out) {
    std::string line;
    bool too_long = false;  // the rest of the current line is copied as it comes
    std::string_view chunk;
    while (in.ReadBytes(chunk)) {
      std::size_t pos = 0;
      while (pos < chunk.size()) {
        const std::size_t newline = chunk.find('\n', pos);
        const std::size_t end = newline == std::string_view::npos ? chunk.size() : newline + 1;
        const std::string_view piece = chunk.substr(pos, end - pos);
        if (!too_long && line.empty() && newline != std::string_view::npos &&
            piece.size() <= kMaxRawLine) {
          EmitRawLine(piece, transform, out);  // a whole line of the chunk, not copied
          pos = end;
          continue;
        }
        if (too_long) {
          out.Write(piece);
        } else {
          line += piece;
          if (line.size() > kMaxRawLine) {
            out.Write(line);
            line.clear();
            too_long = true;
          }
        }
        if (newline != std::string_view::npos) {
          if (!too_long) EmitRawLine(line, transform, out);
          line.clear();
          too_long = false;
        }
        pos = end;
      }
    }
    if (!line.empty() && !too_long) EmitRawLine(line, transform, out);
  };
}

RewriteBatch::RewriteBatch(FileSystem& file_system) : file_system_(file_system) {}

RewriteBatch::~RewriteBatch() {
  // A journal removes the temporary files itself, after it has looked at the
  // moves: a temporary file gone before that would make a move the batch
  // undid look made, and undoing it again would move an old file away.
  if (journal_ != nullptr) return;
  for (const Staged& file : staged_) {
    // RemoveTree also removes a temporary file made read-only like its source.
    if (!file.temp_path.empty()) file_system_.RemoveTree(file.temp_path);
  }
}

std::size_t RewriteBatch::Stage(std::string_view dir, std::string_view old_name,
                                std::string_view backup_name, std::string_view new_name,
                                const LineTransform& transform) {
  return StageStream(
      dir, old_name, backup_name, new_name,
      [&transform](LineReader& in, LineWriter& out) { StreamLines(in, out, transform); });
}

std::size_t RewriteBatch::StageExact(std::string_view dir, std::string_view old_name,
                                     std::string_view backup_name, std::string_view new_name,
                                     const StreamTransform& stream) {
  return StageStream(dir, old_name, backup_name, new_name,
                     [&stream](LineReader& in, LineWriter& out) {
                       if (stream) {
                         stream(in, out);
                       } else {
                         CopyBytes(in, out);
                       }
                     });
}

void RewriteBatch::RenameAfterCommit(std::string from, std::string to) {
  renames_.push_back({std::move(from), std::move(to)});
}

std::size_t RewriteBatch::StageStream(std::string_view dir, std::string_view old_name,
                                      std::string_view backup_name, std::string_view new_name,
                                      const StreamTransform& fill) {
  StopIfRequested();
  Staged file{.old_path = JoinPath(dir, old_name),
              .backup_path = JoinPath(dir, backup_name),
              .new_path = JoinPath(dir, new_name),
              .temp_path = {},
              .replaces_old = SameFileName(new_name, old_name),
              .keep_backup = false,
              .read_size = {},
              .read_time = {}};
  // The backup would be deleted, or would overwrite the new file.
  if (SameFileName(new_name, backup_name)) {
    throw IoError(IoErrorCode::kInvalidFilename, file.backup_path);
  }
  // A link is the user's pointer to a file that may belong to anything.
  if (file_system_.IsLink(file.old_path)) {
    throw IoError(IoErrorCode::kAccessDenied, file.old_path);
  }
  RequireReplaceable(file_system_, file.backup_path);
  if (!file.replaces_old) RequireReplaceable(file_system_, file.new_path);

  file.read_size = file_system_.FileSize(file.old_path);
  file.read_time = file_system_.ModifiedTime(file.old_path);
  ProjectFileChange change{std::string(dir), std::string(old_name), std::string(new_name), {}};
  NamingFile(file.old_path, [&] {
    LineReader in(file.old_path, file_system_);
    file.temp_path =
        JoinPath(dir, FreeName(dir, new_name, kTemporarySuffix, backup_name, file_system_));
    if (journal_ != nullptr) journal_->NoteTemp(file.temp_path);
    WriteFileAt(
        file.temp_path, file.old_path,
        [&](LineWriter& out) {
          fill(in, out);
          in.Close();
        },
        file_system_);
    staged_.push_back(file);  // from here on the destructor removes the temporary file
    // Project files are small; a generated one of many megabytes is only named,
    // so that neither the time nor the memory of a rewrite grows with it.
    const auto small = [&](const std::string& path) {
      return file_system_.FileSize(path).value_or(kCompareLimit + 1) <= kCompareLimit;
    };
    if (small(file.old_path) && small(file.temp_path)) {
      change.diff = DiffTexts(ReadWholeFile(file.old_path, file_system_),
                              ReadWholeFile(file.temp_path, file_system_));
    } else {
      change.diff.compared = false;
    }
  });
  changes_.push_back(std::move(change));
  return staged_.size() - 1;
}

std::optional<std::string> RewriteBatch::ChangedSource() {
  for (const Staged& file : staged_) {
    if (file_system_.FileSize(file.old_path) != file.read_size ||
        file_system_.ModifiedTime(file.old_path) != file.read_time) {
      return file.old_path;
    }
  }
  return std::nullopt;
}

void RewriteBatch::KeepBackup(std::size_t staged, bool keep) {
  staged_.at(staged).keep_backup = keep;
}

void RewriteBatch::DeleteAfterCommit(std::string path) { delete_after_.push_back(std::move(path)); }

void RewriteBatch::ExpectReference(std::string from, std::string path, std::string text,
                                   bool must_exist) {
  references_.push_back({std::move(from), std::move(path), std::move(text), must_exist});
}

std::optional<std::string> RewriteBatch::BrokenReference() {
  std::set<std::string> appearing;
  std::set<std::string> vanishing;
  for (const Staged& file : staged_) {
    appearing.insert(ReferenceKey(file.new_path));
    if (!file.replaces_old) vanishing.insert(ReferenceKey(file.old_path));
  }
  for (const DoneMove& rename : renames_) {
    vanishing.insert(ReferenceKey(rename.from));
    appearing.insert(ReferenceKey(rename.to));
  }
  for (const std::string& path : delete_after_) vanishing.insert(ReferenceKey(path));
  std::set<std::pair<std::string, std::string>> seen;
  for (const FileReference& ref : references_) {
    const std::string key = ReferenceKey(ref.path);
    bool exists = appearing.contains(key);
    if (ref.must_exist && !exists && !vanishing.contains(key)) {
      const std::optional<DirEntry> entry =
          file_system_.FindEntry(FolderPart(ref.path), NamePart(ref.path));
      exists = entry && entry->kind == EntryKind::kFile;
    }
    const std::string where = NamePart(ref.from) + ": " + ref.text;
    if (ref.must_exist && !exists) return where + " would name a file that does not exist";
    if (!seen.insert({ReferenceKey(ref.from), key}).second) {
      return where + " would name the same file as another entry";
    }
  }
  return std::nullopt;
}

void RewriteBatch::MoveOrThrow(const std::string& from, const std::string& to) {
  if (!file_system_.RenameNoReplace(from, to)) {
    try {
      ThrowLastIoError(from);
    } catch (const IoError&) {
      Undo();
      throw;
    }
  }
  moves_.push_back({from, to});
}

void RewriteBatch::PlanSetAside(const std::string& path, std::vector<DoneMove>& plan) {
  const std::string dir = FolderPart(path);
  std::string aside =
      JoinPath(dir, FreeName(dir, NamePart(path), kSetAsideSuffix, {}, file_system_));
  plan.push_back({path, aside});
  set_aside_.push_back(std::move(aside));
}

std::vector<RewriteBatch::DoneMove> RewriteBatch::PlanMoves() {
  std::vector<DoneMove> plan;
  for (const Staged& file : staged_) {
    if (file_system_.AnythingExists(file.backup_path)) PlanSetAside(file.backup_path, plan);
    if (!file.replaces_old && file_system_.AnythingExists(file.new_path)) {
      PlanSetAside(file.new_path, plan);
    }
    plan.push_back({file.old_path, file.backup_path});
    plan.push_back({file.temp_path, file.new_path});
  }
  plan.insert(plan.end(), renames_.begin(), renames_.end());
  return plan;
}

std::vector<std::string> RewriteBatch::PlannedDeletions() const {
  std::vector<std::string> out = set_aside_;
  for (const Staged& file : staged_) {
    if (!file.keep_backup) out.push_back(file.backup_path);
  }
  out.insert(out.end(), delete_after_.begin(), delete_after_.end());
  return out;
}

void RewriteBatch::Undo() {
  for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
    file_system_.RenameNoReplace(it->to, it->from);
  }
  moves_.clear();
  set_aside_.clear();
}

void RewriteBatch::Commit() {
  if (committed_) return;
  StopIfRequested();
  set_aside_.clear();
  const std::vector<DoneMove> plan = PlanMoves();
  // A batch without files needs no record.
  if (plan.empty()) journal_ = nullptr;
  if (journal_ != nullptr) {
    std::vector<JournalMove> moves;
    for (const DoneMove& move : plan) moves.push_back({move.from, move.to});
    journal_->NoteCommit(moves, PlannedDeletions());
  }
  for (const DoneMove& move : plan) MoveOrThrow(move.from, move.to);
  std::set<std::string> folders;
  for (const DoneMove& move : plan) folders.insert(FolderPart(move.to));
  for (const std::string& folder : folders) {
    if (!file_system_.SyncFolder(folder)) {
      const int error = errno;
      Undo();
      ThrowIoErrorFromErrno(error, folder);
    }
  }
  if (journal_ != nullptr) {
    try {
      journal_->NoteCommitted();
    } catch (const IoError&) {
      Undo();
      throw;
    }
  }
  committed_ = true;
  for (Staged& file : staged_) file.temp_path.clear();
  for (const std::string& path : set_aside_) file_system_.RemoveFile(path);
  for (const Staged& file : staged_) {
    if (!file.keep_backup) file_system_.RemoveFile(file.backup_path);
  }
  for (const std::string& path : delete_after_) file_system_.RemoveFile(path);
}

void RewriteBatch::Warn(std::string file, std::string_view message) {
  warnings_.push_back({std::move(file), std::string(message)});
}

bool InOwnBatchShowingWarnings(const std::function<bool(RewriteBatch&)>& stage, UserInterface& ui) {
  RewriteBatch batch(NativeFileSystem());
  const bool result = stage(batch);
  batch.Commit();
  for (const RewriteWarning& warning : batch.warnings()) ui.ShowResult(warning.message);
  return result;
}

bool FreeToRename(FileSystem& file_system, const std::string& from, const std::string& to) {
  if (!file_system.AnythingExists(to)) return true;
  return kNativeStyle == PathStyle::kWindows && from != to && EqualsIgnoreCase(from, to);
}

void RewriteFile(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                 std::string_view new_name, const LineTransform& transform) {
  RewriteBatch batch(NativeFileSystem());
  batch.KeepBackup(batch.Stage(dir, old_name, backup_name, new_name, transform), true);
  batch.Commit();
}

void RewriteFileExact(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                      std::string_view new_name, const StreamTransform& stream) {
  RewriteBatch batch(NativeFileSystem());
  batch.KeepBackup(batch.StageExact(dir, old_name, backup_name, new_name, stream), true);
  batch.Commit();
}

void WriteReplacing(LineWriter& out, std::string_view line, std::size_t pos, std::size_t length,
                    std::string_view replacement) {
  out.Write(line.substr(0, pos));
  out.Write(replacement);
  out.Write(line.substr(pos + length));
  out.EndLine();
}

LineTransform ReplaceFirst(std::string old_text, std::string new_text, LetterCase letter_case) {
  return [old_text = std::move(old_text), new_text = std::move(new_text), letter_case](
             std::string_view line, LineWriter& out) {
    const std::size_t pos =
        letter_case == LetterCase::kExact ? line.find(old_text) : FindIgnoreCase(line, old_text);
    if (pos == std::string_view::npos) {
      out.WriteLine(line);
    } else {
      WriteReplacing(out, line, pos, old_text.size(), new_text);
    }
  };
}

bool RewriteCounted(std::string_view dir, const CountedRewrite& job,
                    const CountingTransform& transform, RewriteBatch& batch) {
  if (batch.file_system().FileExists(JoinPath(dir, job.old_file))) {
    const std::string backup = std::string(kPrjWspBackupPrefix) + job.old_file;
    long long count = 0;
    const std::size_t staged = batch.Stage(dir, job.old_file, backup, job.new_file,
                                           [&](std::string_view line, LineWriter& out) {
                                             if (transform(line, out)) ++count;
                                           });
    const bool recognised = count >= job.min_count && count <= job.max_count;
    batch.KeepBackup(staged, job.keep_backup || !recognised);
    if (recognised) return true;
  }
  batch.Warn(JoinPath(dir, job.old_file), job.recheck_message);
  return false;
}

void RewriteKinds(std::string_view dir, std::string_view old_base, std::string_view new_name,
                  bool keep_backup, std::span<const FileKind> kinds,
                  std::span<const std::string_view> deletion_order, RewriteBatch& batch) {
  for (const FileKind& kind : kinds) {
    std::string old_name(old_base);
    old_name += kind.extension;
    if (!batch.file_system().FileExists(JoinPath(dir, old_name))) continue;
    std::string new_file(new_name);
    new_file += kind.extension;
    const std::string backup = old_name + std::string(kBackupSuffix);
    batch.KeepBackup(kind.exact ? batch.StageExact(dir, old_name, backup, new_file, kind.stream)
                                : batch.Stage(dir, old_name, backup, new_file, kind.transform),
                     true);
  }
  if (keep_backup) return;
  for (std::string_view extension : deletion_order) {
    std::string backup(old_base);
    backup += extension;
    backup += kBackupSuffix;
    batch.DeleteAfterCommit(JoinPath(dir, backup));
  }
}

}  // namespace kelvandor
