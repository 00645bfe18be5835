#include "platform/text_lines.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/line_io.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::IoErrorCodeOf;
using testing::ReadAllLines;
using testing::TempDir;

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

struct ReadCase {
  std::string label;
  std::string content;
  std::vector<std::string> lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class LineReaderRulesTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LineReaderRulesTest, SplitsIntoLines) {
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  testing::WriteFile(path, GetParam().content);
  EXPECT_EQ(ReadAllLines(path), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineReaderRulesTest,
    ::testing::Values(
        ReadCase{"lf", "a\nbb\n", {"a", "bb"}}, ReadCase{"crlf", "a\r\nbb\r\n", {"a", "bb"}},
        ReadCase{"mixed", "a\r\nb\nc\r\n", {"a", "b", "c"}},
        ReadCase{"lone_cr_dropped", "a\rb\r\nc\r", {"ab", "c"}},
        ReadCase{"cr_cr_lf", "a\r\r\nb\n", {"a", "b"}},
        ReadCase{"no_final_line_end", "a\nlast", {"a", "last"}}, ReadCase{"empty_file", "", {}},
        ReadCase{"only_line_ends", "\n\r\n\n", {"", "", ""}}, ReadCase{"only_crs", "\r\r\r", {""}},
        ReadCase{"ctrl_z_at_line_start_ends_input",
                 "a\n\x1A"
                 "b\nc\n",
                 {"a"}},
        ReadCase{"ctrl_z_alone_at_end", "a\r\n\x1A", {"a"}},
        ReadCase{"ctrl_z_first_byte",
                 "\x1A"
                 "a\n",
                 {}},
        ReadCase{"ctrl_z_mid_line_kept",
                 "a\x1A"
                 "b\nc\n",
                 {"a\x1A"
                  "b",
                  "c"}},
        ReadCase{"ctrl_z_after_lone_cr_is_mid_line", "a\r\x1A\nc\n", {"a\x1A", "c"}},
        // Written back, such a line would begin with Ctrl-Z and end the input.
        ReadCase{"ctrl_z_after_leading_crs_ends_input",
                 "a\n\r\r\x1A"
                 "b\nc\n",
                 {"a"}},
        ReadCase{"nul_bytes", Bytes("a\0b\n\0\n", 6), {Bytes("a\0b", 3), Bytes("\0", 1)}},
        ReadCase{"high_bytes_unchanged", "\xE4\xF6\xFC\xFF\n", {"\xE4\xF6\xFC\xFF"}}));

// Long lines whose line ends, CRs and Ctrl-Z bytes fall on either side of
// typical buffer sizes.
class LineReaderBoundaryTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(LineReaderBoundaryTest, LineEndStraddlingTheBoundary) {
  const std::size_t at = GetParam();
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  const std::string first(at - 1, 'x');  // CR is the last byte before `at`, LF the first after
  testing::WriteFile(path, first + "\r\nsecond\r\n");
  EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{first, "second"}));
}

TEST_P(LineReaderBoundaryTest, CtrlZBeginningALineAtTheBoundary) {
  const std::size_t at = GetParam();
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  const std::string first(at - 1, 'y');
  testing::WriteFile(path, first +
                               "\n\x1A"
                               "after\n");
  EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{first}));

  // A leading CR as the last byte before the boundary, Ctrl-Z after it.
  const std::string shorter(at - 2, 'y');
  testing::WriteFile(path, shorter +
                               "\n\r\x1A"
                               "after\n");
  EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{shorter}));
}

TEST_P(LineReaderBoundaryTest, CtrlZInsideALineAtTheBoundary) {
  const std::size_t at = GetParam();
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  const std::string head(at, 'z');
  testing::WriteFile(path, head +
                               "\x1A\r"
                               "tail\nnext");
  EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{head + "\x1A"
                                                                 "tail",
                                                          "next"}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, LineReaderBoundaryTest,
                         ::testing::Values(4096u, 65536u, 262144u, 262145u, 1048576u));

TEST(LineReaderTest, LinesOfSeveralMebibytes) {
  TempDir tmp;
  const std::string path = tmp / "big.txt";
  std::string huge;
  for (int i = 0; huge.size() < 5u * 1024 * 1024; ++i) huge += "line-" + std::to_string(i) + ";";
  std::string with_crs = huge;
  with_crs.insert(3u * 1024 * 1024 + 1, "\r");
  testing::WriteFile(path, "short\r\n" + huge + "\r\n" + with_crs + "\nend");
  EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{"short", huge, huge, "end"}));
}

TEST(LineReaderTest, AfterCtrlZNoFurtherLines) {
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  testing::WriteFile(path, "a\n\x1A\nb\n");
  LineReader reader(path);
  std::string_view line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(LineReaderTest, ReadBytesKeepsEveryByteAcrossBuffers) {
  TempDir tmp;
  const std::string path = tmp / "in.txt";
  std::string content = "\xef\xbb\xbf<a>\r\x1A\n";
  content += std::string(600 * 1024, 'x') + "\r\n\x1A tail";
  testing::WriteFile(path, content);
  LineReader reader(path);
  std::string read;
  std::string_view chunk;
  while (reader.ReadBytes(chunk)) read += chunk;
  EXPECT_EQ(read, content);
  EXPECT_FALSE(reader.ReadBytes(chunk));
}

IoErrorCode ReadErrorCode(const std::string& path) {
  return IoErrorCodeOf([&] { ReadAllLines(path); });
}

IoErrorCode WriteErrorCode(const std::string& path) {
  return IoErrorCodeOf([&] {
    LineWriter writer(path);
    writer.WriteLine("x");
    writer.Close();
  });
}

TEST(LineReaderTest, OpenFailuresRaiseIoError) {
  TempDir tmp;
  testing::MakeDirs(tmp / "folder");
  EXPECT_EQ(ReadErrorCode(tmp / "missing.txt"), IoErrorCode::kFileNotFound);
  EXPECT_EQ(ReadErrorCode(tmp / "no/such/folder/x.txt"), IoErrorCode::kFileNotFound);
  EXPECT_EQ(ReadErrorCode(""), IoErrorCode::kFileNotFound);
  EXPECT_EQ(ReadErrorCode(tmp / "folder"), IoErrorCode::kAccessDenied);
  try {
    LineReader reader(tmp / "missing.txt");
  } catch (const IoError& e) {
    EXPECT_STREQ(e.what(), "File not found");
    EXPECT_EQ(e.path(), tmp / "missing.txt");
  }
}

TEST(LineWriterTest, OpenFailuresRaiseIoError) {
  TempDir tmp;
  testing::MakeDirs(tmp / "folder");
  EXPECT_EQ(WriteErrorCode(tmp / "no/such/folder/x.txt"), IoErrorCode::kFileNotFound);
  EXPECT_EQ(WriteErrorCode(tmp / "folder"), IoErrorCode::kAccessDenied);
  EXPECT_EQ(WriteErrorCode(""), IoErrorCode::kFileNotFound);
  try {
    LineWriter writer(tmp / "folder");
  } catch (const IoError& e) {
    EXPECT_EQ(e.path(), tmp / "folder");
  }
}

TEST(LineWriterTest, EveryLineEndsWithCrLf) {
  TempDir tmp;
  const std::string path = tmp / "out.txt";
  testing::WriteFile(path, "old content that is longer than the new one\n");
  LineWriter writer(path);
  writer.WriteLine("first");
  writer.Write("sec");
  writer.Write("ond");
  writer.EndLine();
  writer.WriteLine("");
  writer.WriteLine(Bytes("\xE4\0z", 3));
  writer.Close();
  EXPECT_EQ(testing::ReadFile(path), Bytes("first\r\nsecond\r\n\r\n\xE4\0z\r\n", 22));
}

TEST(LineWriterTest, LongOutputRoundTrips) {
  TempDir tmp;
  const std::string path = tmp / "out.txt";
  std::vector<std::string> lines;
  for (int i = 0; i < 40000; ++i)
    lines.push_back(std::string(static_cast<std::size_t>(i % 97), 'a') + std::to_string(i));
  lines.push_back(std::string(3u * 1024 * 1024, 'q'));
  LineWriter writer(path);
  for (const std::string& line : lines) writer.WriteLine(line);
  writer.Close();
  EXPECT_EQ(testing::ReadFile(path), testing::CrLf(lines));
  EXPECT_EQ(ReadAllLines(path), lines);
}

TEST(LineWriterTest, NothingWrittenGivesAnEmptyFile) {
  TempDir tmp;
  const std::string path = tmp / "out.txt";
  LineWriter writer(path);
  writer.Close();
  EXPECT_EQ(testing::ReadFile(path), "");
}

// Close writes what is left: it fails where that overflows the disk, and
// succeeds where it uses the space up exactly.
TEST(LineWriterTest, FullDiskRaisesOnClose) {
  TempDir tmp;
  const std::string path = tmp / "out.txt";
  for (const bool overflows : {true, false}) {
    testing::FaultyFileSystem full;
    full.set_space(overflows ? 10 : 5);
    LineWriter writer(path, full);
    writer.WriteLine(overflows ? "0123456789abcdef" : "abc");
    EXPECT_EQ(IoErrorCodeOf([&] { writer.Close(); }),
              overflows ? IoErrorCode::kDiskFull : IoErrorCode{0});
    EXPECT_EQ(testing::ReadFile(path), overflows ? "0123456789" : "abc\r\n");
  }
}

TEST(LineWriterTest, FullDiskRaisesWhileWriting) {
  TempDir tmp;
  testing::FaultyFileSystem full;
  full.set_space(1000);
  LineWriter writer(tmp / "out.txt", full);
  const std::string line(4096, 'w');
  EXPECT_EQ(IoErrorCodeOf([&] {
              for (int i = 0; i < 10000; ++i) writer.WriteLine(line);  // 40 MB, beyond any buffer
            }),
            IoErrorCode::kDiskFull);
}

// A read or write that a signal interrupts is made again; a read that fails
// is reported.
TEST(LineWriterTest, InterruptedCallsAreRepeatedAndFailedReadsRaise) {
  TempDir tmp;
  const std::string path = tmp / "out.txt";
  {
    testing::FaultyFileSystem interrupted(1, testing::Fault::kInterrupted);
    LineWriter writer(path, interrupted);
    writer.WriteLine("abc");
    writer.Close();
    EXPECT_TRUE(interrupted.fired());
  }
  EXPECT_EQ(testing::ReadFile(path), "abc\r\n");
  {
    testing::FaultyFileSystem interrupted(1, testing::Fault::kInterrupted);
    EXPECT_EQ(ReadWholeFile(path, interrupted), "abc\r\n");
    EXPECT_TRUE(interrupted.fired());
  }
  for (int n : {1, 2}) {
    testing::FaultyFileSystem failing(n, testing::Fault::kReadFails);
    EXPECT_THROW(ReadWholeFile(path, failing), IoError);
    EXPECT_TRUE(failing.fired());
  }
}

}  // namespace
}  // namespace kelvandor
