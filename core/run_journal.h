#pragma once

// The intent record of a run, kept in the project folder as
// `.kelvandor-journal` while the run changes the project, so that a run
// stopped at any step (killed, a power cut) is undone by the next run.
//
// It names, before they happen: the move of the project folder, that the
// folder is a copy made by the run, every temporary file, and every move of
// the commit with the files deleted after it; then that the commit is done.
// Each version is written to `.kelvandor-journal.new`, made durable and
// renamed over the last one, so that the journal on disk is always complete.
//
// Paths inside the project are kept relative to the folder that holds the
// journal, so that the record stays right when that folder is moved.
//
// Completing a run from its journal is decided by what is on disk, whatever
// step the run stopped at: a move counts as made when its target exists and
// its source does not, and is undone then, in reverse order. Before the
// commit is marked done, the run is rolled back (the moves undone, the
// temporary files removed, the folder moved back, a copy removed); after it,
// it is completed (the files it was to delete are deleted, and the images the
// clean-up after it renames are renamed), as it is once the clean-up began.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {

inline constexpr std::string_view kJournalName = ".kelvandor-journal";
inline constexpr std::string_view kJournalNewName = ".kelvandor-journal.new";

// The names a run gives the files it makes: a temporary file is its new
// name + kTemporarySuffix, a file set aside during the commit its name +
// kSetAsideSuffix, each maybe followed by a number; a backup is the old name
// + kBackupSuffix, or kPrjWspBackupPrefix + the old name.
inline constexpr std::string_view kTemporarySuffix = ".kvtmp";
inline constexpr std::string_view kSetAsideSuffix = ".kvprev";
inline constexpr std::string_view kBackupSuffix = ".bak";
inline constexpr std::string_view kPrjWspBackupPrefix = "_old_";

struct JournalMove {
  std::string from;
  std::string to;
  bool operator==(const JournalMove&) const = default;
};

// What a journal holds; paths of `temps`, `moves` and `deletes` relative to
// the journal's folder, the folder move absolute.
struct JournalRecord {
  std::string folder_from;  // the project folder moved to folder_to
  std::string folder_to;
  bool copy = false;  // the journal's folder is a copy made by the run
  std::vector<std::string> temps;
  std::vector<JournalMove> moves;
  std::vector<std::string> deletes;
  // The renames of the clean-up after the commit, owed once it is done.
  std::vector<JournalMove> images;
  bool committed = false;
  // The clean-up has begun: what it deletes may have been moved by the
  // commit, which is completed then, never rolled back.
  bool cleaning = false;
  bool operator==(const JournalRecord&) const = default;
};

std::string SerializeJournal(const JournalRecord& record);
// False when `text` is no journal.
bool ParseJournal(std::string_view text, JournalRecord& record);

// The journal of the run in progress, written through `file_system`.
// Nothing is written before the first Note; every Note raises IoError when the
// journal cannot be made durable.
class RunJournal {
 public:
  RunJournal(FileSystem& file_system, std::string root);

  // The folder that holds the journal, after the project folder moved there.
  void set_root(std::string root) { root_ = std::move(root); }
  const std::string& root() const { return root_; }
  bool written() const { return written_; }

  void NoteFolderMove(std::string from, std::string to);
  void NoteCopy();
  // A temporary file about to be created (absolute path inside the root).
  void NoteTemp(std::string_view path);
  // The moves of a commit, in order, and the files it deletes when done.
  void NoteCommit(const std::vector<JournalMove>& moves, const std::vector<std::string>& deletes);
  void NoteCommitted();
  // The renames the clean-up makes after the commit; written with the next
  // note, so that a commit found done on disk is never without them.
  void OweImageRenames(const std::vector<JournalMove>& renames);
  // The clean-up after the commit begins. False when that could not be made
  // durable: the commit must then be completed before the clean-up.
  bool NoteCleanUp();

  // Rolls the run back (before the commit) or completes it (after), then
  // removes the journal. False, leaving the journal for a later run, when a
  // step fails.
  bool Finish();

 private:
  std::string Relative(std::string_view path) const;
  void Write();

  FileSystem& file_system_;
  std::string root_;
  JournalRecord record_;
  bool written_ = false;
};

enum class Recovery {
  kNone,        // no journal
  kRolledBack,  // an interrupted run was undone
  kCompleted,   // an interrupted run had committed; its clean-up was finished
  kFailed,      // a journal stays: something could not be undone
  kRefused,     // a journal stays untouched: it asks for what no run does
};

// Reads the journal in `dir`; false when there is none or it is no journal.
bool ReadJournal(std::string_view dir, FileSystem& file_system, JournalRecord& record);

// Looks for the journal of an interrupted run in `dir` and completes it.
// The journal is read as untrusted: unless every path it names lies in `dir`
// (no link leading out), every file it deletes is a temporary file, a file
// set aside or a backup, and the only folder it removes is `dir` as a copy,
// nothing is changed and the result is kRefused. A committed journal whose
// moves are not all made on disk is rolled back instead: the disk decides.
Recovery RecoverInterruptedRun(std::string_view dir, FileSystem& file_system);

}  // namespace kelvandor
