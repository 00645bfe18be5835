#pragma once

// What the four project-file rewriters share: streaming one file through a
// per-line transform under a new name with the old file kept as a backup, the
// success test by counting of the WSP/PRJ rewriters, and the list of file
// kinds of the IAR and Keil rewriters.
//
// The new content is written to a temporary file beside the old one first.
// Only when it is complete and closed is the old file moved to its backup
// name (replacing a stale backup of an earlier run) and the temporary file put
// in place under the new name. So the input is always the current file, never
// a stale backup, and whatever fails on the way, the old content is still on
// disk, under its own name or under the backup name.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/text_lines.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Writes the line written in place of `line`, ending it.
using LineTransform = std::function<void(std::string_view line, LineWriter& out)>;
// Streams the whole input into the output, byte for byte where it changes
// nothing (the files not bound to the CR LF rule).
using StreamTransform = std::function<void(LineReader& in, LineWriter& out)>;
// As LineTransform; returns true when the line counts as recognised.
using CountingTransform = std::function<bool(std::string_view line, LineWriter& out)>;

// `dir` + separator + `name`; `name` alone when `dir` is empty, and no second
// separator when `dir` ends in one.
std::string JoinPath(std::string_view dir, std::string_view name);

// Rewrites the file `old_name` in `dir` into `new_name`, line by line through
// `transform` (an empty transform copies every line), and leaves the old
// content in `backup_name`. All three are bare names. Before anything is
// changed, raises IoError when `new_name` is `backup_name`, or when the
// backup or the new file (unless it is the old file itself) exists and is
// read-only or no file. Any later IoError leaves the old file in place, or
// its content under `backup_name`; the temporary file is removed.
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

// The WSP/PRJ scheme: `old_file` becomes `new_file` with "_old_" + `old_file`
// as the backup. When the count of recognised lines lies within
// [min_count, max_count], the backup is deleted unless `keep_backup`, and the
// result is true. Otherwise, also when `old_file` does not exist, the result
// is false, any backup stays and `recheck_message` is shown as a result.
struct CountedRewrite {
  std::string old_file;
  std::string new_file;
  int min_count = 0;
  int max_count = 0;
  std::string_view recheck_message;
  bool keep_backup = false;
};
bool RewriteCounted(std::string_view dir, const CountedRewrite& job,
                    const CountingTransform& transform, UserInterface& ui);

// The IAR/Keil scheme: for each kind in order whose file old base + extension
// exists, that file becomes new name + extension, with old file name + ".bak"
// as the backup. Afterwards, unless `keep_backup`, old base + extension +
// ".bak" is deleted for each extension of `deletion_order`, whether or not
// this run made it.
struct FileKind {
  std::string_view extension;  // ".eww", ".uvproj", ...
  LineTransform transform;     // empty: every line copied
  bool exact = false;          // streamed through `stream` instead, byte for byte
  StreamTransform stream = {};
};
void RewriteKinds(std::string_view dir, std::string_view old_base, std::string_view new_name,
                  bool keep_backup, std::span<const FileKind> kinds,
                  std::span<const std::string_view> deletion_order);

}  // namespace kelvandor
