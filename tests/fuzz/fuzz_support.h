#pragma once

// What the libFuzzer targets share: a private folder for each process and
// each input, the reading rules of text lines as a plain model, inputs made
// of several parts, and the checks that end a run as a crash libFuzzer
// reports.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/user_interface.h"
#include "core/rewrite_values.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::fuzz {

// Separates the parts of an input; the seeds written by make_seeds.cmake use
// the same text.
inline constexpr std::string_view kPartMarker = "\n--8<--\n";

// Prints `what` and aborts, which libFuzzer reports as a crash with the input.
[[noreturn]] void Fail(std::string_view what);
inline void Check(bool holds, std::string_view what) {
  if (!holds) Fail(what);
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A fresh folder for one input below the process's private folder, which is
// made in the system's temporary folder at first use and removed with
// everything in it when the process ends normally. The destructor removes
// this one, whatever the code under test left in it.
class RunFolder {
 public:
  RunFolder();
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// The lines the text-line rules make of `bytes`, computed byte by byte.
std::vector<std::string> ModelLines(std::string_view bytes);

// The parts of `data` between markers; at most `max_parts`, the last holding
// the rest. Parts beyond the input are missing.
std::vector<std::optional<std::string_view>> SplitParts(std::string_view data,
                                                        std::size_t max_parts);

// The rewriters' inputs: a first part of lines (old base name, new name, new
// path, new folder, old folder, "1" to keep backups), then one part per file
// kind; a missing part is a file that does not exist.
struct RewriteInput {
  std::string old_base;
  RewriteValues values;
  std::vector<std::optional<std::string>> files;
};
RewriteInput ParseRewriteInput(std::string_view data, std::size_t file_kinds);

// One project file a rewriter was given: `original` stood at `old_name`.
struct RewrittenFile {
  std::string old_name;
  std::string backup_name;
  std::string new_name;
  std::string original;
};
// After a failure, fails unless the original bytes are still under the old
// name or the backup name. After success, fails unless the new file has as
// many lines as the original, the backup holds the original exactly when it
// is kept (else is gone) and the old name is gone unless it is the new one.
void CheckRewrite(const std::string& dir, const RewrittenFile& file, bool failed, bool backup_kept);

// Whether the file at `path` holds exactly `content`.
bool HoldsBytes(const std::string& path, std::string_view content);

// Every entry of a run folder with its content, apart from the folder the code
// under test was given, so that a target can show nothing beside that folder
// changed. A sibling "outside" folder holding one file is made first.
class Surroundings {
 public:
  // Makes `run` / "outside" / "keep.txt" and remembers `run` without `inside`.
  Surroundings(const RunFolder& run, std::string inside);
  // Fails unless everything but `inside` is as it was.
  void CheckUnchanged() const;

 private:
  std::vector<std::pair<std::string, std::string>> Take() const;

  std::string root_;
  std::string inside_;
  std::vector<std::pair<std::string, std::string>> before_;
};

// Fails unless the files in `dir` (no folders) are among `allowed`.
void CheckOnlyFiles(const std::string& dir, const std::vector<std::string>& allowed);

// Records what would be shown; answers No and Cancel.
class SilentUi : public UserInterface {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void ShowResult(std::string_view text) override { messages.emplace_back(text); }
  bool Confirm(std::string_view) override { return false; }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  void SetBusy(bool) override {}
  void CopyProgress(std::uint64_t, std::uint64_t) override {}

  std::vector<std::string> messages;
};

}  // namespace kelvandor::fuzz
