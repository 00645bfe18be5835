#pragma once

// Helpers shared by the rewriter tests: the line-end cases every rewriter must
// carry over byte-exactly, read-only files, and case labels.

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/user_interface.h"
#include "core/rewrite_values.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::testing {

// The values of the examples: old project and folder Motor, new project
// Pump in the folder PumpDir below /e/New.
inline RewriteValues TestValues(bool backup = false, std::string new_name = "Pump") {
  RewriteValues v;
  v.new_name = std::move(new_name);
  v.new_path = "/e/New" + SeparatorString();
  v.new_dir = "PumpDir";
  v.old_dir = "Motor";
  v.backup = backup;
  return v;
}

// The "PRJ=" or "WSP=" line recording the new folder of TestValues.
inline std::string NewFolderLine(std::string_view key) {
  return std::string(key) + "/e/New" + SeparatorString() + "PumpDir" + SeparatorString();
}

// A row of the count tables of the WSP and PRJ rewriters.
struct CountCase {
  std::string label;
  std::vector<std::string> lines;
  bool success = false;
};

using CountedParser = bool (*)(std::string_view dir, std::string_view old_file,
                               const RewriteValues& values, UserInterface& ui);

// Runs `parse` on Motor + `extension` holding the row's lines, with and
// without backup wanted, and checks the result, the files left and the
// message.
inline void ExpectCountedRun(CountedParser parse, const std::string& extension,
                             std::string_view recheck, const CountCase& row) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup);
    TempDir tmp;
    RecordingUi ui;
    WriteFile(tmp / ("Motor" + extension), CrLf(row.lines));
    EXPECT_EQ(parse(tmp.path(), "Motor" + extension, TestValues(backup), ui), row.success);
    const bool keeps_backup = backup || !row.success;
    std::vector<std::string> files = {"Pump" + extension};
    if (keeps_backup) files.push_back("_old_Motor" + extension);
    EXPECT_EQ(ListTree(tmp.path()), files);
    // One line out for each line in, whatever the count.
    EXPECT_EQ(std::ranges::count(ReadFile(tmp / ("Pump" + extension)), '\n'),
              std::ssize(row.lines));
    if (keeps_backup) {
      EXPECT_EQ(ReadFile(tmp / ("_old_Motor" + extension)), CrLf(row.lines));
    }
    std::vector<Shown> shown;
    if (!row.success) shown.push_back({"Result", std::string(recheck)});
    EXPECT_EQ(ui.shown, shown);
  }
}

// A missing file, also one of an empty name, shows `recheck` and touches
// no other file.
inline void ExpectMissingFileShowsTheMessage(CountedParser parse, const std::string& extension,
                                             std::string_view recheck) {
  for (const std::string name : {"Motor", ""}) {
    TempDir tmp;
    RecordingUi ui;
    WriteFile(tmp / ("Other" + extension), "FILE-0=x\n");
    EXPECT_FALSE(parse(tmp.path(), name + extension, TestValues(), ui));
    EXPECT_EQ(ListTree(tmp.path()), std::vector<std::string>{"Other" + extension});
    EXPECT_EQ(ui.shown, (std::vector<Shown>{{"Result", std::string(recheck)}}));
  }
}

// A row of the line tables of the WSP and PRJ rewriters: whether the line
// is one of those counted, and how it is written.
struct CountedLine {
  std::string label;
  std::string line;
  std::string written;
  bool counted = false;
};

// Runs `parse` on Motor + `extension` holding `lines` and the row's line:
// a counted row adds one to the count of `lines`, which is right, and makes
// the run fail.
inline void ExpectCountedLine(CountedParser parse, const std::string& extension,
                              std::vector<std::string> lines, std::vector<std::string> written,
                              const CountedLine& row) {
  TempDir tmp;
  RecordingUi ui;
  lines.push_back(row.line);
  written.push_back(row.written);
  WriteFile(tmp / ("Motor" + extension), CrLf(lines));
  EXPECT_EQ(parse(tmp.path(), "Motor" + extension, TestValues(), ui), !row.counted);
  EXPECT_EQ(ReadFile(tmp / ("Pump" + extension)), CrLf(written));
}

inline std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

inline void MakeReadOnly(const std::string& path) {
  namespace fs = std::filesystem;
  fs::permissions(NativePath(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// Contents that contain no project name: they come out as the line rules
// of the text files make them, whichever rewriter copies them. The long
// cases begin with `filler` bytes "x", added only when a test asks for the
// contents, so that the table itself stays small.
struct LineEndCase {
  std::string label;
  std::string input;
  std::string output;
  std::size_t filler = 0;

  std::string Input() const { return std::string(filler, 'x') + input; }
  std::string Output() const { return std::string(filler, 'x') + output; }
};

inline std::string Bytes(const char* text, std::size_t size) { return std::string(text, size); }

inline std::vector<LineEndCase> LineEndCases() {
  constexpr std::size_t kReadBuffer = 256 * 1024;  // the reader's buffer size
  std::string every_byte;
  for (int c = 0; c < 256; ++c) every_byte.push_back(static_cast<char>(c));
  std::string every_byte_out = every_byte.substr(0, 10) + "\r\n";
  for (char c : every_byte.substr(11)) {
    if (c != '\r') every_byte_out.push_back(c);
  }
  every_byte_out += "\r\n";
  return {
      {"Empty", "", ""},
      {"NoFinalLineEnd", "a\nb", "a\r\nb\r\n"},
      {"Lf", "a\nb\n", "a\r\nb\r\n"},
      {"CrLf", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"LoneCrDropped", "a\rb\r\n", "ab\r\n"},
      {"CrCrLf", "a\r\r\nb", "a\r\nb\r\n"},
      {"OnlyCrs", "\r\r\r", "\r\n"},
      {"EmptyLines", "\n\r\n\n", "\r\n\r\n\r\n"},
      {"CtrlZBeginsLine",
       "a\r\n\x1a"
       "b\r\nc\r\n",
       "a\r\n"},
      {"CtrlZFirstByte",
       "\x1a"
       "a\r\n",
       ""},
      {"CtrlZInsideLine",
       "a\x1a"
       "b\n",
       "a\x1a"
       "b\r\n"},
      {"NulBytes", Bytes("a\0b\n\0\n", 6), Bytes("a\0b\r\n\0\r\n", 8)},
      {"NonAscii", "\xe4\xf6\xfc \xc3\xa9\n", "\xe4\xf6\xfc \xc3\xa9\r\n"},
      {"EveryByte", every_byte, every_byte_out},
      {"MultiMebibyteLine", "\nend", "\r\nend\r\n", 3 * 1024 * 1024 + 17},
      // The CR of a CR LF is the reader buffer's last byte, the LF the next one's first.
      {"CrLfAcrossBuffers", "\r\nz\r\n", "\r\nz\r\n", kReadBuffer - 1},
      // A Ctrl-Z that begins the first line of a fresh buffer.
      {"CtrlZAtBufferStart",
       "\n\x1a"
       "tail\n",
       "\r\n", kReadBuffer - 1},
  };
}

}  // namespace kelvandor::testing
