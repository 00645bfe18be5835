#pragma once

// The changed lines between two versions of a text file, as unified diff
// shows them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

// One line of a unified diff: ' ' context, '-' only in the old text, '+' only
// in the new one. `text` is the line without its line end: LF, or CR LF in
// a text whose line ends are all CR LF. In a text of mixed line ends a CR
// before the LF stays in `text`.
struct DiffLine {
  char kind = ' ';
  std::string text;
  bool operator==(const DiffLine&) const = default;
};

// A hunk as unified diff prints it: "@@ -old_start,old_count +new_start,new_count @@".
// Line numbers count from 1; with a count of 0 the start is the line before.
struct DiffHunk {
  std::size_t old_start = 0;
  std::size_t old_count = 0;
  std::size_t new_start = 0;
  std::size_t new_count = 0;
  std::vector<DiffLine> lines;
  bool operator==(const DiffHunk&) const = default;
};

struct TextDiff {
  // False when the texts were too large to compare: nothing below is known.
  bool compared = true;
  std::size_t lines_removed = 0;  // '-' lines of all hunks
  std::size_t lines_added = 0;    // '+' lines of all hunks
  std::size_t old_lines = 0;      // lines of the old text
  std::size_t new_lines = 0;      // lines of the new text
  // Lines of the old text end in LF alone and those of the new one in CR LF:
  // every line changes its end, which the hunks leave out.
  bool line_ends_to_crlf = false;
  bool old_crlf = false;  // the old text's lines end in CR LF
  bool new_crlf = false;  // the new text's lines end in CR LF
  // The last line has no line end.
  bool old_missing_final_newline = false;
  bool new_missing_final_newline = false;
  std::vector<DiffHunk> hunks;
  bool changed() const { return !hunks.empty() || line_ends_to_crlf; }
  bool operator==(const TextDiff&) const = default;
};

// Splits both texts into lines at LF and compares them without their line
// ends; hunks carry `context` unchanged lines on each side.
TextDiff DiffTexts(std::string_view old_text, std::string_view new_text, std::size_t context = 3);

}  // namespace kelvandor
