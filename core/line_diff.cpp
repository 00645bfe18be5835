#include "core/line_diff.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <dtl/dtl.hpp>

namespace kelvandor {
namespace {

// A line without its line end; `cr` says whether it ended in CR LF.
struct Line {
  std::string_view text;
  bool cr = false;
  bool operator==(const Line&) const = default;
};

struct SplitText {
  std::vector<Line> lines;
  std::size_t ended = 0;  // lines that end in LF
  std::size_t crlf = 0;   // of those, lines that end in CR LF
  bool missing_final_newline = false;
};

SplitText Split(std::string_view text) {
  SplitText split;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      split.lines.push_back({text.substr(start)});
      split.missing_final_newline = true;
      break;
    }
    Line line{text.substr(start, lf - start)};
    ++split.ended;
    if (line.text.ends_with('\r')) {
      line.text.remove_suffix(1);
      line.cr = true;
      ++split.crlf;
    }
    split.lines.push_back(line);
    start = lf + 1;
  }
  return split;
}

bool AllCrLf(const SplitText& split) { return split.ended > 0 && split.crlf == split.ended; }
bool AllLf(const SplitText& split) { return split.ended > 0 && split.crlf == 0; }

struct Edit {
  char kind = ' ';
  Line line;
};

// The lines both texts start and end with are matched before dtl sees the
// rest, which keeps its copies and tables to the part that changed.
std::vector<Edit> EditScript(const std::vector<Line>& old_lines,
                             const std::vector<Line>& new_lines) {
  const std::size_t shorter = std::min(old_lines.size(), new_lines.size());
  std::size_t head = 0;
  while (head < shorter && old_lines[head] == new_lines[head]) ++head;
  std::size_t tail = 0;
  while (tail < shorter - head &&
         old_lines[old_lines.size() - 1 - tail] == new_lines[new_lines.size() - 1 - tail]) {
    ++tail;
  }
  std::vector<Edit> edits;
  for (std::size_t i = 0; i < head; ++i) edits.push_back({' ', old_lines[i]});
  const std::vector<Line> old_middle(old_lines.begin() + static_cast<std::ptrdiff_t>(head),
                                     old_lines.end() - static_cast<std::ptrdiff_t>(tail));
  const std::vector<Line> new_middle(new_lines.begin() + static_cast<std::ptrdiff_t>(head),
                                     new_lines.end() - static_cast<std::ptrdiff_t>(tail));
  if (old_middle.size() == new_middle.size()) {
    // The rewriters mostly write one line for each line they read: line by
    // line is then a true diff, in linear time where dtl's grows with the
    // product of the length and the number of changes.
    for (std::size_t i = 0; i < old_middle.size(); ++i) {
      if (old_middle[i] == new_middle[i]) {
        edits.push_back({' ', old_middle[i]});
      } else {
        edits.push_back({'-', old_middle[i]});
        edits.push_back({'+', new_middle[i]});
      }
    }
  } else {
    dtl::Diff<Line, std::vector<Line>> diff(old_middle, new_middle);
    diff.compose();
    for (const auto& [line, info] : diff.getSes().getSequence()) {
      const char kind =
          info.type == dtl::SES_ADD ? '+' : (info.type == dtl::SES_DELETE ? '-' : ' ');
      edits.push_back({kind, line});
    }
  }
  for (std::size_t i = old_lines.size() - tail; i < old_lines.size(); ++i) {
    edits.push_back({' ', old_lines[i]});
  }
  return edits;
}

// A last line without a line end only stays unchanged when it is the last
// line of both texts and lacks its line end in both: otherwise patch has to
// take it out and put it back.
void SplitLastLines(std::vector<Edit>& edits, bool old_missing, bool new_missing) {
  std::size_t old_last = edits.size();
  std::size_t new_last = edits.size();
  for (std::size_t i = edits.size(); i-- > 0;) {
    if (old_last == edits.size() && edits[i].kind != '+') old_last = i;
    if (new_last == edits.size() && edits[i].kind != '-') new_last = i;
  }
  if (old_last == new_last && old_missing == new_missing) return;
  const auto split = [&](std::size_t at) {
    edits[at].kind = '-';
    edits.insert(edits.begin() + static_cast<std::ptrdiff_t>(at) + 1, {'+', edits[at].line});
  };
  const auto unchanged = [&](std::size_t at) { return at < edits.size() && edits[at].kind == ' '; };
  if (unchanged(old_last) && (old_missing || old_last == new_last)) {
    split(old_last);
    if (new_last > old_last) ++new_last;
  }
  if (unchanged(new_last) && new_missing) split(new_last);
}

// In every run of changes between two unchanged lines, unified diff lists
// the removed lines before the added ones.
void RemovedFirst(std::vector<Edit>& edits) {
  auto run = edits.begin();
  while (run != edits.end()) {
    auto end = std::find_if(run, edits.end(), [](const Edit& e) { return e.kind == ' '; });
    std::stable_partition(run, end, [](const Edit& e) { return e.kind == '-'; });
    run = std::find_if(end, edits.end(), [](const Edit& e) { return e.kind != ' '; });
  }
}

}  // namespace

TextDiff DiffTexts(std::string_view old_text, std::string_view new_text, std::size_t context) {
  const SplitText old_split = Split(old_text);
  SplitText new_split = Split(new_text);
  TextDiff result;
  result.old_crlf = AllCrLf(old_split);
  result.new_crlf = AllCrLf(new_split);
  result.line_ends_to_crlf = AllLf(old_split) && result.new_crlf;
  result.old_missing_final_newline = old_split.missing_final_newline;
  result.new_missing_final_newline = new_split.missing_final_newline;
  result.old_lines = old_split.lines.size();
  result.new_lines = new_split.lines.size();
  // The one change of line ends that is told once instead of line by line.
  if (result.line_ends_to_crlf) {
    for (Line& line : new_split.lines) line.cr = false;
  }

  std::vector<Edit> edits = EditScript(old_split.lines, new_split.lines);
  SplitLastLines(edits, old_split.missing_final_newline, new_split.missing_final_newline);
  RemovedFirst(edits);

  // Positions before each edit, in the old and the new text.
  std::vector<std::size_t> old_before(edits.size() + 1, 0);
  std::vector<std::size_t> new_before(edits.size() + 1, 0);
  for (std::size_t i = 0; i < edits.size(); ++i) {
    old_before[i + 1] = old_before[i] + (edits[i].kind != '+' ? 1 : 0);
    new_before[i + 1] = new_before[i] + (edits[i].kind != '-' ? 1 : 0);
  }

  const auto is_change = [&](std::size_t i) { return edits[i].kind != ' '; };
  std::size_t i = 0;
  while (i < edits.size()) {
    std::size_t first = i;
    while (first < edits.size() && !is_change(first)) ++first;
    if (first == edits.size()) break;
    // Changes no more than 2 * context unchanged lines apart share a hunk.
    std::size_t last = first;
    for (std::size_t j = first + 1; j < edits.size(); ++j) {
      if (!is_change(j)) continue;
      if (j - last - 1 > 2 * context) break;
      last = j;
    }
    const std::size_t begin = first - std::min(context, first - i);
    const std::size_t end = std::min(edits.size(), last + 1 + context);

    DiffHunk hunk;
    hunk.old_count = old_before[end] - old_before[begin];
    hunk.new_count = new_before[end] - new_before[begin];
    hunk.old_start = old_before[begin] + (hunk.old_count > 0 ? 1 : 0);
    hunk.new_start = new_before[begin] + (hunk.new_count > 0 ? 1 : 0);
    for (std::size_t k = begin; k < end; ++k) {
      const Edit& edit = edits[k];
      // A file whose lines do not all end alike keeps its CRs in the text.
      const bool uniform = edit.kind == '+' ? result.new_crlf : result.old_crlf;
      std::string text(edit.line.text);
      if (edit.line.cr && !uniform) text += '\r';
      hunk.lines.push_back({edit.kind, std::move(text)});
      if (edit.kind == '-') ++result.lines_removed;
      if (edit.kind == '+') ++result.lines_added;
    }
    result.hunks.push_back(std::move(hunk));
    i = end;
  }
  return result;
}

}  // namespace kelvandor
