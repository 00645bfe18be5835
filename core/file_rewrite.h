#pragma once

// What the families' project-file rewriters share: streaming one file through
// a per-line transform under a new name with the old file kept as a backup,
// the success test by counting recognised lines, and the list of file kinds
// renamed together under one base name.
//
// The files of one rename change together or not at all. A RewriteBatch first
// writes every new content into a temporary file beside its old file; nothing
// is renamed while any of them can still fail. Only then does Commit move each
// old file to its backup name and each temporary file to its new name; should
// one of those moves fail, the moves made are undone, so that every old file
// is back under its own name with its own bytes. Backups of earlier runs and
// files the new names displace are only set aside during the commit and
// deleted after it succeeded. With a RunJournal, every temporary file and
// every move is noted in it before it is made (see run_journal.h), and every
// file and folder change is made durable before the commit is noted done.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/line_diff.h"
#include "core/run_journal.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/text_lines.h"
#include "platform/user_interface.h"

namespace kelvandor {

// The size up to which a staged project file is compared line by line with
// the old one for the report; a larger one, generated, is only named.
inline constexpr std::uint64_t kCompareLimit = 4 << 20;

// Writes the line written in place of `line`, ending it.
using LineTransform = std::function<void(std::string_view line, LineWriter& out)>;
// Streams the whole input into the output, byte for byte where it changes
// nothing (the files not bound to the CR LF rule).
using StreamTransform = std::function<void(LineReader& in, LineWriter& out)>;
// As LineTransform; returns true when the line counts as recognised.
using CountingTransform = std::function<bool(std::string_view line, LineWriter& out)>;
// Writes what stands in place of one line, given without its line end
// (`body`) and with it (`end`: "\r\n", "\n", "\r" or empty at the end of
// the file); whatever it writes is written as it stands.
using RawLineTransform =
    std::function<void(std::string_view body, std::string_view end, LineWriter& out)>;

// A stream that hands `transform` one line at a time with its own line end,
// for files whose bytes must stay as they are outside the lines that change.
// A line longer than kMaxRawLine is copied unchanged, so memory stays flat.
inline constexpr std::size_t kMaxRawLine = 64 * 1024;
StreamTransform RawLines(RawLineTransform transform);

// A file or folder that a batch moves after its project files.
struct FileMove {
  std::string from;
  std::string to;
  bool operator==(const FileMove&) const = default;
};

// A rewritten project file that names another file of the project: `from`
// (the rewritten file's new path) says `text`, which names `path`. An entry
// the rewrite left alone need not name a file that exists, but no two
// entries of one file may name the same file.
struct FileReference {
  std::string from;
  std::string path;
  std::string text;
  bool must_exist = true;
};

// A project file a batch replaces: `old_name` in `dir` becomes `new_name` in
// the same folder (both bare names), with `diff` between the two contents.
struct ProjectFileChange {
  std::string dir;
  std::string old_name;
  std::string new_name;
  TextDiff diff;
  bool operator==(const ProjectFileChange&) const = default;
};

// A result message a rewrite leaves for the user about one project file
// (its path), shown once the run is over.
struct RewriteWarning {
  std::string file;
  std::string message;
  bool operator==(const RewriteWarning&) const = default;
};

// Rewrites of project files that take effect together (see above).
class RewriteBatch {
 public:
  explicit RewriteBatch(FileSystem& file_system);
  // Removes the temporary files of a batch that was not committed.
  ~RewriteBatch();
  RewriteBatch(const RewriteBatch&) = delete;
  RewriteBatch& operator=(const RewriteBatch&) = delete;

  // Streams the file `old_name` in `dir` through `transform` (an empty
  // transform copies every line) into a temporary file that Commit renames
  // to `new_name`, leaving the old content under `backup_name`. All three are
  // bare names. Raises IoError, changing nothing but the batch's own
  // temporary files, when `new_name` is `backup_name`, when the backup or the
  // new file (unless it is the old file itself) exists and is read-only or no
  // file, when the old file is a link, or when reading or writing fails.
  // Returns the number of the staged file for KeepBackup.
  std::size_t Stage(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                    std::string_view new_name, const LineTransform& transform);
  // As Stage, streaming the bytes through `stream` (empty: copied as they are).
  std::size_t StageExact(std::string_view dir, std::string_view old_name,
                         std::string_view backup_name, std::string_view new_name,
                         const StreamTransform& stream);

  // A file or folder renamed as the last step of the commit, undone with it
  // should a later step fail. The caller makes sure nothing stands at `to`.
  void RenameAfterCommit(std::string from, std::string to);

  // Whether the backup of a staged file stays after the commit.
  void KeepBackup(std::size_t staged, bool keep);

  // Notes that a staged file names another file, which must exist once the
  // batch is committed (see BrokenReference).
  void ExpectReference(std::string from, std::string path, std::string text,
                       bool must_exist = true);

  // Before the commit: a one-line account of the first noted reference that
  // would name no file once the batch is committed, or of two references of
  // one file that name the same file; nothing when every reference holds.
  std::optional<std::string> BrokenReference();

  // Before the commit: the path of the first staged file whose size or time
  // of writing is no longer what it was when it was read (an IDE saved it
  // meanwhile); nothing when none changed.
  std::optional<std::string> ChangedSource();

  // A file deleted after a successful commit; one that cannot be deleted
  // stays, silently.
  void DeleteAfterCommit(std::string path);

  // Notes a result message about the file `file`.
  void Warn(std::string file, std::string_view message);

  // Puts every staged file in place, or raises IoError with every old file
  // back under its name.
  void Commit();

  FileSystem& file_system() { return file_system_; }

  // The journal that notes the batch's files and moves; none by default.
  void set_journal(RunJournal* journal) { journal_ = journal; }

  // The staged files in the order they were staged, with what changes (for
  // files up to 4 MiB).
  const std::vector<ProjectFileChange>& changes() const { return changes_; }

  // The files and folders moved after the project files, in order.
  const std::vector<FileMove>& renames() const { return renames_; }

  // The result messages noted, in order.
  const std::vector<RewriteWarning>& warnings() const { return warnings_; }

 private:
  struct Staged {
    std::string old_path;
    std::string backup_path;
    std::string new_path;
    std::string temp_path;      // empty once renamed to new_path
    bool replaces_old = false;  // the new name is the old file's
    bool keep_backup = false;
    std::optional<std::uint64_t> read_size;  // of the old file, before it was read
    std::optional<std::int64_t> read_time;
  };
  using DoneMove = FileMove;

  std::size_t StageStream(std::string_view dir, std::string_view old_name,
                          std::string_view backup_name, std::string_view new_name,
                          const StreamTransform& fill);
  void MoveOrThrow(const std::string& from, const std::string& to);
  void PlanSetAside(const std::string& path, std::vector<DoneMove>& plan);
  std::vector<DoneMove> PlanMoves();
  std::vector<std::string> PlannedDeletions() const;
  void Undo();

  FileSystem& file_system_;
  RunJournal* journal_ = nullptr;
  std::vector<Staged> staged_;
  std::vector<DoneMove> moves_;         // made by Commit, in order
  std::vector<std::string> set_aside_;  // deleted after the commit
  std::vector<std::string> delete_after_;
  std::vector<DoneMove> renames_;  // after the staged files
  std::vector<FileReference> references_;
  std::vector<ProjectFileChange> changes_;
  std::vector<RewriteWarning> warnings_;
  bool committed_ = false;
};

// Renaming `from` to `to` after a commit replaces nothing: nothing stands at
// `to`, or only `from` itself in another letter case on a system that
// ignores case.
bool FreeToRename(FileSystem& file_system, const std::string& from, const std::string& to);

// Runs `stage` on a batch of its own and commits it; returns what `stage`
// returns.
template <typename StageFn>
auto InOwnBatch(StageFn stage) {
  RewriteBatch batch(NativeFileSystem());
  if constexpr (std::is_void_v<decltype(stage(batch))>) {
    stage(batch);
    batch.Commit();
  } else {
    auto result = stage(batch);
    batch.Commit();
    return result;
  }
}

// As InOwnBatch, then shows the batch's result messages on `ui` in order.
bool InOwnBatchShowingWarnings(const std::function<bool(RewriteBatch&)>& stage, UserInterface& ui);

// A batch of the one file: RewriteBatch::Stage, then Commit.
void RewriteFile(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                 std::string_view new_name, const LineTransform& transform);

// As RewriteFile, with the content streamed through `stream` instead of line
// by line; an empty stream copies every byte.
void RewriteFileExact(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                      std::string_view new_name, const StreamTransform& stream);

// Writes `line` with its `length` bytes from `pos` on replaced by
// `replacement`, and ends the line.
void WriteReplacing(LineWriter& out, std::string_view line, std::size_t pos, std::size_t length,
                    std::string_view replacement);

// A transform that replaces the first occurrence of `old_text` in a line by
// `new_text`, comparing exactly or ignoring the case of the letters A to Z;
// lines without it are copied. The whole rest of the line is kept, however
// long.
enum class LetterCase { kExact, kIgnoreAscii };
LineTransform ReplaceFirst(std::string old_text, std::string new_text, LetterCase letter_case);

// The counted scheme: `old_file` becomes `new_file` with "_old_" + `old_file`
// as the backup. When the count of recognised lines lies within
// [min_count, max_count], the backup is deleted unless `keep_backup`, and the
// result is true. Otherwise, also when `old_file` does not exist, the result
// is false, any backup stays and `recheck_message` is noted in `batch` as a
// warning about the old file. Staged into `batch`: the files change when it
// is committed.
struct CountedRewrite {
  std::string old_file;
  std::string new_file;
  int min_count = 0;
  int max_count = 0;
  std::string_view recheck_message;
  bool keep_backup = false;
};
bool RewriteCounted(std::string_view dir, const CountedRewrite& job,
                    const CountingTransform& transform, RewriteBatch& batch);

// The kinds scheme: for each kind in order whose file old base + extension
// exists, that file becomes new name + extension, with old file name + ".bak"
// as the backup. Afterwards, unless `keep_backup`, old base + extension +
// ".bak" is deleted for each extension of `deletion_order`, whether or not
// this run made it. Staged into `batch`: nothing changes before its commit.
struct FileKind {
  std::string_view extension;  // with its dot
  LineTransform transform;     // empty: every line copied
  bool exact = false;          // streamed through `stream` instead, byte for byte
  StreamTransform stream = {};
};
void RewriteKinds(std::string_view dir, std::string_view old_base, std::string_view new_name,
                  bool keep_backup, std::span<const FileKind> kinds,
                  std::span<const std::string_view> deletion_order, RewriteBatch& batch);

}  // namespace kelvandor
