#include "core/line_diff.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/param_label.h"

namespace kelvandor {
namespace {

using testing::PrintTo;

// The hunks as unified diff prints them, every line ending in LF.
std::string Hunks(const TextDiff& diff) {
  std::string out;
  for (const DiffHunk& hunk : diff.hunks) {
    out += "@@ -" + std::to_string(hunk.old_start) + "," + std::to_string(hunk.old_count) + " +" +
           std::to_string(hunk.new_start) + "," + std::to_string(hunk.new_count) + " @@\n";
    for (const DiffLine& line : hunk.lines) out += line.kind + line.text + "\n";
  }
  return out;
}

struct DiffCase {
  std::string label;
  std::string old_text;
  std::string new_text;
  std::size_t context = 3;
  std::string hunks;
  std::size_t removed = 0;
  std::size_t added = 0;
};

const std::string kTen = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";

class DiffTextsHunks : public ::testing::TestWithParam<DiffCase> {};

TEST_P(DiffTextsHunks, MatchUnifiedDiff) {
  const DiffCase& c = GetParam();
  const TextDiff diff = DiffTexts(c.old_text, c.new_text, c.context);
  EXPECT_EQ(Hunks(diff), c.hunks);
  EXPECT_EQ(diff.lines_removed, c.removed);
  EXPECT_EQ(diff.lines_added, c.added);
  EXPECT_EQ(diff.changed(), !c.hunks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiffTextsHunks,
    ::testing::Values(
        DiffCase{"Same", kTen, kTen, 3, "", 0, 0}, DiffCase{"BothEmpty", "", "", 3, "", 0, 0},
        DiffCase{"OneLineInTheMiddle", kTen, "1\n2\n3\n4\nV\n6\n7\n8\n9\n10\n", 3,
                 "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+V\n 6\n 7\n 8\n", 1, 1},
        DiffCase{"SixApartShareAHunk", kTen, "A\n2\n3\n4\n5\n6\n7\nH\n9\n10\n", 3,
                 "@@ -1,10 +1,10 @@\n-1\n+A\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+H\n 9\n 10\n", 2, 2},
        DiffCase{"SevenApartSplit", kTen + "11\n", "A\n2\n3\n4\n5\n6\n7\n8\nI\n10\n11\n", 2,
                 "@@ -1,3 +1,3 @@\n-1\n+A\n 2\n 3\n@@ -7,5 +7,5 @@\n 7\n 8\n-9\n+I\n 10\n 11\n", 2,
                 2},
        DiffCase{"RemovedBeforeAdded", "a\nb\nc\n", "x\ny\nc\n", 3,
                 "@@ -1,3 +1,3 @@\n-a\n-b\n+x\n+y\n c\n", 2, 2},
        DiffCase{"InsertIntoEmpty", "", "a\nb\n", 3, "@@ -0,0 +1,2 @@\n+a\n+b\n", 0, 2},
        DiffCase{"RemoveAll", "a\n", "", 3, "@@ -1,1 +0,0 @@\n-a\n", 1, 0},
        DiffCase{"InsertWithoutContext", kTen, "1\n2\n3\n4\n5\nX\n6\n7\n8\n9\n10\n", 0,
                 "@@ -5,0 +6,1 @@\n+X\n", 0, 1},
        DiffCase{"CrLfComparedWithoutLineEnd", "a\r\nb\r\n", "a\r\nB\r\n", 3,
                 "@@ -1,2 +1,2 @@\n a\n-b\n+B\n", 1, 1},
        DiffCase{"LoneCrKeptInsideALine", "a\rb\n", "a\rc\n", 3, "@@ -1,1 +1,1 @@\n-a\rb\n+a\rc\n",
                 1, 1},
        DiffCase{"GainsFinalNewline", "a\nb", "a\nb\n", 3, "@@ -1,2 +1,2 @@\n a\n-b\n+b\n", 1, 1},
        DiffCase{"LosesFinalNewline", "a\nb\n", "a\nb", 3, "@@ -1,2 +1,2 @@\n a\n-b\n+b\n", 1, 1},
        DiffCase{"LastLineWithoutEndFollowed", "a", "a\nb\n", 3, "@@ -1,1 +1,2 @@\n-a\n+a\n+b\n", 1,
                 2},
        DiffCase{"NewLastLineWithoutEnd", "a\nb\n", "a", 3, "@@ -1,2 +1,1 @@\n-a\n-b\n+a\n", 2, 1},
        DiffCase{"CrLfToLfShown", "a\r\nb\r\n", "a\nb\n", 3, "@@ -1,2 +1,2 @@\n-a\n-b\n+a\n+b\n", 2,
                 2},
        DiffCase{"MixedKeepsItsCr", "a\r\nb\n", "a\nb\n", 3, "@@ -1,2 +1,2 @@\n-a\r\n+a\n b\n", 1,
                 1},
        DiffCase{"BothWithoutFinalNewline", "a\nb", "x\nb", 3, "@@ -1,2 +1,2 @@\n-a\n+x\n b\n", 1,
                 1}),
    testing::ParamLabel());

// Random texts of few distinct lines: the hunks, applied to the old lines,
// give the new ones, and hunks are kept apart as unified diff keeps them.
TEST(DiffTextsTest, HunksRebuildTheNewText) {
  std::mt19937 random(14);
  const auto text = [&random] {
    std::string out;
    const int lines = static_cast<int>(random() % 12);
    for (int i = 0; i < lines; ++i)
      out += std::string(1, static_cast<char>('a' + random() % 3)) + "\n";
    return out;
  };
  for (int round = 0; round < 500; ++round) {
    const std::string old_text = text();
    const std::string new_text = text();
    const std::size_t context = random() % 3;
    const TextDiff diff = DiffTexts(old_text, new_text, context);
    std::vector<std::string> old_lines;
    for (std::size_t i = 0; i < old_text.size(); i += 2) old_lines.push_back(old_text.substr(i, 1));
    std::string rebuilt;
    std::size_t next_old = 0;  // lines of the old text used so far
    for (const DiffHunk& hunk : diff.hunks) {
      const std::size_t first = hunk.old_count > 0 ? hunk.old_start - 1 : hunk.old_start;
      ASSERT_GE(first, next_old) << old_text << "=>" << new_text;
      // Changes closer than 2 * context + 1 unchanged lines share a hunk.
      if (next_old > 0) {
        EXPECT_GT(first, next_old) << old_text << "=>" << new_text;
      }
      for (; next_old < first; ++next_old) rebuilt += old_lines[next_old] + "\n";
      std::size_t unchanged_run = 0;
      for (const DiffLine& line : hunk.lines) {
        unchanged_run = line.kind == ' ' ? unchanged_run + 1 : 0;
        EXPECT_LE(unchanged_run, 2 * context) << old_text << "=>" << new_text;
        if (line.kind != '+') {
          EXPECT_EQ(line.text, old_lines[next_old++]);
        }
        if (line.kind != '-') rebuilt += line.text + "\n";
      }
    }
    for (; next_old < old_lines.size(); ++next_old) rebuilt += old_lines[next_old] + "\n";
    EXPECT_EQ(rebuilt, new_text) << old_text << "=>" << new_text;
  }
}

struct LineEndCase {
  std::string label;
  std::string old_text;
  std::string new_text;
  bool old_crlf = false;
  bool new_crlf = false;
  bool to_crlf = false;
  bool old_missing = false;
  bool new_missing = false;
};

class DiffTextsLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(DiffTextsLineEnds, SetsTheFlags) {
  const LineEndCase& c = GetParam();
  const TextDiff diff = DiffTexts(c.old_text, c.new_text);
  EXPECT_EQ(diff.old_crlf, c.old_crlf);
  EXPECT_EQ(diff.new_crlf, c.new_crlf);
  EXPECT_EQ(diff.line_ends_to_crlf, c.to_crlf);
  EXPECT_EQ(diff.old_lines, static_cast<std::size_t>(std::ranges::count(c.old_text, '\n')) +
                                (c.old_missing ? 1 : 0));
  EXPECT_EQ(diff.old_missing_final_newline, c.old_missing);
  EXPECT_EQ(diff.new_missing_final_newline, c.new_missing);
  EXPECT_EQ(diff.changed(), c.to_crlf || c.old_text != c.new_text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiffTextsLineEnds,
    ::testing::Values(LineEndCase{"Lf", "a\nb\n", "a\nc\n"},
                      LineEndCase{"CrLf", "a\r\nb\r\n", "a\r\nc\r\n", true, true},
                      LineEndCase{"LfToCrLf", "a\nb\n", "a\r\nb\r\n", false, true, true},
                      LineEndCase{"LfToCrLfWithoutFinalNewline", "a\nb", "a\r\nb", false, true,
                                  true, true, true},
                      LineEndCase{"MixedIsNeither", "a\r\nb\n", "a\r\nb\r\n", false, true},
                      LineEndCase{"CrLfToLf", "a\r\nb\r\n", "a\nb\n", true, false},
                      LineEndCase{"NoLineEndAtAll", "a", "a", false, false, false, true, true},
                      LineEndCase{"Empty", "", ""}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
