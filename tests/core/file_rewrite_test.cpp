#include "core/file_rewrite.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

void Copy(std::string_view dir, std::string_view from, std::string_view to) {
  RewriteFile(dir, from, std::string("_old_") + std::string(from), to, LineTransform());
}

TEST(FileRewrite, TransformSeesEachLineOnce) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "one\r\ntwo\nthree");
  std::vector<std::string> seen;
  RewriteFile(tmp.path(), "a.prj", "a.bak", "b.prj", [&](std::string_view line, LineWriter& out) {
    seen.emplace_back(line);
    out.WriteLine("<" + std::string(line) + ">");
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(ReadFile(tmp / "b.prj"), CrLf({"<one>", "<two>", "<three>"}));
}

TEST(FileRewrite, RawLinesHandEachLineItsEndAndPassALongLineThrough) {
  TempDir tmp;
  const std::string long_line(kMaxRawLine + 10, 'x');
  WriteFile(tmp / "a.ioc", "one\r\ntwo\n" + long_line + "\nthree");
  std::vector<std::string> seen;
  RewriteFileExact(tmp.path(), "a.ioc", "a.bak", "b.ioc",
                   RawLines([&](std::string_view body, std::string_view end, LineWriter& out) {
                     seen.push_back(std::string(body) + "|" +
                                    std::string(end == "\r\n" ? "crlf"
                                                : end == "\n" ? "lf"
                                                              : ""));
                     out.Write("<");
                     out.Write(body);
                     out.Write(end);
                   }));
  EXPECT_TRUE(seen == (std::vector<std::string>{"one|crlf", "two|lf", "three|"}));
  EXPECT_TRUE(ReadFile(tmp / "b.ioc") == "<one\r\n<two\n" + long_line + "\n<three");
}

TEST(FileRewrite, ReplaceFirstKeepsALongRemainderWhole) {
  TempDir tmp;
  const std::string tail(2 * 1024 * 1024, 't');
  WriteFile(tmp / "a.dep", "x\\motor" + tail + "\\Motor\n");
  RewriteFile(tmp.path(), "a.dep", "a.dep.bak", "b.dep",
              ReplaceFirst("\\Motor", "\\Pump", LetterCase::kIgnoreAscii));
  EXPECT_EQ(ReadFile(tmp / "b.dep"), "x\\Pump" + tail + "\\Motor\r\n");
}

// Lines over a small alphabet full of near misses, against a plain search of
// the lower-cased line.
TEST(FileRewrite, ReplaceFirstIgnoringCaseAgreesWithAPlainSearch) {
  constexpr std::string_view kAlphabet = "\\\\MmOoTtRrx>";
  const std::string needle = "\\Motor";
  unsigned state = 12345;
  auto next = [&state](unsigned bound) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % bound;
  };
  std::string input;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    const unsigned length = next(90);
    while (line.size() < length) {
      if (next(12) == 0) {
        line += next(2) ? "\\MOTOR" : "\\motoR";
      } else {
        line += kAlphabet[next(static_cast<unsigned>(kAlphabet.size()))];
      }
    }
    input += line + "\n";
    const std::size_t pos = LowerAscii(line).find("\\motor");
    expected +=
        pos == std::string::npos ? line : line.substr(0, pos) + "\\Pump" + line.substr(pos + 6);
    expected += "\r\n";
  }
  TempDir tmp;
  WriteFile(tmp / "a.dep", input);
  RewriteFile(tmp.path(), "a.dep", "a.dep.bak", "b.dep",
              ReplaceFirst(needle, "\\Pump", LetterCase::kIgnoreAscii));
  EXPECT_EQ(ReadFile(tmp / "b.dep"), expected);
}

TEST(FileRewrite, ReplaceFirstExactIgnoresOtherCase) {
  TempDir tmp;
  WriteFile(tmp / "a.ewp", "<state>motor</state><state>Motor</state>\n");
  RewriteFile(tmp.path(), "a.ewp", "a.ewp.bak", "b.ewp",
              ReplaceFirst("<state>Motor", "<state>Pump", LetterCase::kExact));
  EXPECT_EQ(ReadFile(tmp / "b.ewp"), "<state>motor</state><state>Pump</state>\r\n");
}

TEST(FileRewrite, ReadOnlyOldFileWithTheSameNameIsRewrittenAndStaysReadOnly) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "x\n");
  testing::MakeReadOnly(tmp / "a.prj");
  Copy(tmp.path(), "a.prj", "a.prj");
  EXPECT_EQ(ReadFile(tmp / "a.prj"), "x\r\n");
  EXPECT_TRUE(IsReadOnly(tmp / "a.prj"));
  EXPECT_EQ(ReadFile(tmp / "_old_a.prj"), "x\n");
}

TEST(FileRewrite, NewFileKeepsTheModeOfTheOldOne) {
  if (kNativeStyle == PathStyle::kWindows) GTEST_SKIP() << "only a read-only attribute there";
  TempDir tmp;
  WriteFile(tmp / "a.prj", "x\n");
  const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                    std::filesystem::perms::owner_exec | std::filesystem::perms::group_read;
  testing::SetMode(tmp / "a.prj", mode);
  Copy(tmp.path(), "a.prj", "b.prj");
  EXPECT_EQ(std::filesystem::status(NativePath(tmp / "b.prj")).permissions(), mode);
}

TEST(FileRewrite, ExistingNewFileIsReplaced) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "new content\n");
  WriteFile(tmp / "b.prj", "to be replaced\n");
  Copy(tmp.path(), "a.prj", "b.prj");
  EXPECT_EQ(ReadFile(tmp / "b.prj"), "new content\r\n");
}

// The temporary file and the file set aside are named after the new name:
// they stay within the limit of a name where the new name itself fits.
TEST(FileRewrite, LongestNewNameNeedsNoLongerNameOnTheWay) {
  if (kNativeStyle == PathStyle::kWindows) GTEST_SKIP() << "the whole path would pass MAX_PATH";
  TempDir tmp;
  const std::string name(kMaxNameLength, 'n');
  WriteFile(tmp / "a.prj", "old");
  WriteFile(tmp / name, "displaced");
  WriteFile(tmp / (std::string(kMaxNameLength - 4, 'o') + ".bak"), "stale backup");
  RewriteFile(tmp.path(), "a.prj", std::string(kMaxNameLength - 4, 'o') + ".bak", name,
              LineTransform());
  EXPECT_EQ(ReadFile(tmp / name), "old\r\n");
  EXPECT_EQ(ListTree(tmp.path()),
            (std::vector<std::string>{name, std::string(kMaxNameLength - 4, 'o') + ".bak"}));
}

TEST(FileRewrite, LeavesAnUnrelatedFileOfTheTemporaryNameAlone) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "x\n");
  WriteFile(tmp / "b.prj.kvtmp", "mine\n");
  Copy(tmp.path(), "a.prj", "b.prj");
  EXPECT_EQ(ReadFile(tmp / "b.prj.kvtmp"), "mine\n");
  EXPECT_EQ(ListTree(tmp.path()), (std::vector<std::string>{"_old_a.prj", "b.prj", "b.prj.kvtmp"}));
}

// Each case must raise before anything on disk changed.
struct RefusedCase {
  std::string label;
  std::string new_name;
  IoErrorCode code{0};
  void (*prepare)(const TempDir&) = nullptr;
};

class FileRewriteRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(FileRewriteRefused, ChangesNothing) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "old content\n");
  GetParam().prepare(tmp);
  const std::vector<std::string> before = ListTree(tmp.path());
  try {
    Copy(tmp.path(), "a.prj", GetParam().new_name);
    FAIL() << "no error raised";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), GetParam().code);
  }
  EXPECT_EQ(ListTree(tmp.path()), before);
  EXPECT_EQ(ReadFile(tmp / "a.prj"), "old content\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileRewriteRefused,
    ::testing::Values(RefusedCase{"ReadOnlyNewFile", "b.prj", IoErrorCode::kAccessDenied,
                                  [](const TempDir& d) {
                                    WriteFile(d / "b.prj", "keep\n");
                                    testing::MakeReadOnly(d / "b.prj");
                                  }},
                      RefusedCase{"FolderAtNewName", "b.prj", IoErrorCode::kAccessDenied,
                                  [](const TempDir& d) { testing::MakeDirs(d / "b.prj"); }},
                      RefusedCase{"ReadOnlyStaleBackup", "b.prj", IoErrorCode::kAccessDenied,
                                  [](const TempDir& d) {
                                    WriteFile(d / "_old_a.prj", "stale\n");
                                    testing::MakeReadOnly(d / "_old_a.prj");
                                  }},
                      RefusedCase{"FolderAtBackupName", "b.prj", IoErrorCode::kAccessDenied,
                                  [](const TempDir& d) { testing::MakeDirs(d / "_old_a.prj"); }},
                      RefusedCase{"NewNameIsTheBackupName", "_old_a.prj",
                                  IoErrorCode::kInvalidFilename, [](const TempDir&) {}}),
    testing::ParamLabel());

TEST(FileRewrite, MissingOldFileRaisesFileNotFound) {
  TempDir tmp;
  try {
    Copy(tmp.path(), "a.prj", "b.prj");
    FAIL() << "no error raised";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), IoErrorCode::kFileNotFound);
  }
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

TEST(FileRewriteCounted, MissingFileIsNotedAsAWarning) {
  TempDir tmp;
  const CountedRewrite job{.old_file = ".prj",
                           .new_file = "b.prj",
                           .min_count = 0,
                           .max_count = 9,
                           .recheck_message = "check",
                           .keep_backup = false};
  RewriteBatch batch(NativeFileSystem());
  EXPECT_FALSE(RewriteCounted(tmp.path(), job, CountingTransform(), batch));
  EXPECT_EQ(batch.warnings(),
            (std::vector<RewriteWarning>{{JoinPath(tmp.path(), ".prj"), "check"}}));
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

// A batch tells what each staged file changes; a file of several megabytes
// is only named, so that the rewrite's time and memory do not grow with it.
TEST(FileRewrite, BatchComparesProjectFilesUpToTheirLimit) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", CrLf({"[Project]", "PRJ=a", "Cpu=x"}));
  std::string large;
  while (large.size() <= (4u << 20)) large += "PRJ=a padding padding padding padding\r\n";
  WriteFile(tmp / "b.prj", large);
  RewriteBatch batch(NativeFileSystem());
  batch.Stage(tmp.path(), "a.prj", "a.bak", "c.prj", ReplaceFirst("=a", "=c", LetterCase::kExact));
  batch.Stage(tmp.path(), "b.prj", "b.bak", "d.prj", ReplaceFirst("=a", "=d", LetterCase::kExact));
  ASSERT_EQ(batch.changes().size(), 2u);
  const TextDiff& small = batch.changes()[0].diff;
  EXPECT_TRUE(small.compared);
  EXPECT_EQ(small.lines_removed, 1u);
  EXPECT_EQ(small.lines_added, 1u);
  EXPECT_EQ(batch.changes()[0].new_name, "c.prj");
  EXPECT_FALSE(batch.changes()[1].diff.compared);
  EXPECT_TRUE(batch.changes()[1].diff.hunks.empty());
}

}  // namespace
}  // namespace kelvandor

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::TempDir;
using testing::WriteFile;

struct ReferenceCase {
  const char* label;
  std::vector<std::string> refs;  // names in the folder the workspace names
  bool holds;
};

class BatchReferences : public ::testing::TestWithParam<ReferenceCase> {};

// A workspace w.eww becomes p.eww, a.ewp becomes p.ewp and folder "old" moves
// to "new"; b.ewp stays, c.dep goes after the commit.
TEST_P(BatchReferences, HoldWhenEveryNamedFileExistsAfterTheCommit) {
  TempDir tmp;
  for (const char* file : {"w.eww", "a.ewp", "b.ewp", "c.dep"}) WriteFile(tmp / file, "x");
  testing::MakeDirs(tmp / "old");
  {
    RewriteBatch batch(NativeFileSystem());
    batch.Stage(tmp.path(), "w.eww", "w.eww.bak", "p.eww", LineTransform());
    batch.Stage(tmp.path(), "a.ewp", "a.ewp.bak", "p.ewp", LineTransform());
    batch.RenameAfterCommit(tmp / "old", tmp / "new");
    batch.DeleteAfterCommit(tmp / "c.dep");
    for (const std::string& ref : GetParam().refs) {
      batch.ExpectReference(tmp / "p.eww", tmp / ref, ref);
    }
    EXPECT_EQ(!batch.BrokenReference().has_value(), GetParam().holds);
  }
  EXPECT_EQ(ListTree(tmp.path()),
            (std::vector<std::string>{"a.ewp", "b.ewp", "c.dep", "old/", "w.eww"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchReferences,
    ::testing::Values(ReferenceCase{"StagedNewName", {"p.ewp"}, true},
                      ReferenceCase{"UntouchedFile", {"b.ewp"}, true},
                      ReferenceCase{"OtherLetterCase", {"P.EWP", "B.ewp"}, true},
                      ReferenceCase{"MovedFolder", {"new"}, true},
                      ReferenceCase{"FolderMovedAway", {"old"}, false},
                      ReferenceCase{"FileRenamedAway", {"a.ewp"}, false},
                      ReferenceCase{"FileDeletedAfterwards", {"c.dep"}, false},
                      ReferenceCase{"NeverThere", {"q.ewp"}, false},
                      ReferenceCase{"TwoEntriesOneFile", {"p.ewp", "b.ewp", "p.ewp"}, false},
                      ReferenceCase{"None", {}, true}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
