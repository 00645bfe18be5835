#include "platform/write_beside.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::ListTree;
using testing::ReadFile;
using testing::SetMode;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

void WriteHello(LineWriter& out) { out.WriteLine("hello"); }

TEST(WriteBesideTest, TakesTheFirstFreeNameAndKeepsWhatStandsThere) {
  TempDir tmp;
  WriteFile(tmp / "a.ini.tmp", "stale");
  const std::string path =
      WriteBeside(tmp.path(), "a.ini", ".tmp", "a.ini.tmp1", {}, WriteHello, NativeFileSystem());
  EXPECT_EQ(path, tmp / "a.ini.tmp2");
  EXPECT_EQ(ReadFile(path), "hello\r\n");
  EXPECT_EQ(ReadFile(tmp / "a.ini.tmp"), "stale");
}

TEST(WriteBesideTest, GivesTheNewFileThePermissionsOfTheOld) {
  TempDir tmp;
  WriteFile(tmp / "a.prj", "old");
  SetMode(tmp / "a.prj", fs::perms::owner_read);
  const std::string path =
      WriteBeside(tmp.path(), "b.prj", ".kvtmp", {}, tmp / "a.prj", WriteHello, NativeFileSystem());
  EXPECT_TRUE(IsReadOnly(path));
  SetMode(tmp / "a.prj", fs::perms::owner_all);
}

TEST(WriteBesideTest, EveryFailingStepLeavesNothingBehind) {
  for (int fail_at = 1;; ++fail_at) {
    SCOPED_TRACE(fail_at);
    TempDir tmp;
    WriteFile(tmp / "a.prj", "old");
    FaultyFileSystem file_system(fail_at);
    try {
      WriteBeside(tmp.path(), "a.prj", ".kvtmp", {}, tmp / "a.prj", WriteHello, file_system);
    } catch (const IoError&) {
    }
    if (!file_system.fired()) {
      EXPECT_EQ(ListTree(tmp.path()), (Tree{"a.prj", "a.prj.kvtmp"}));
      break;
    }
    EXPECT_EQ(ListTree(tmp.path()), Tree{"a.prj"});
  }
}

TEST(WriteBesideTest, AnErrorOfTheWriterRemovesTheFile) {
  TempDir tmp;
  EXPECT_THROW(WriteBeside(
                   tmp.path(), "a", ".tmp", {}, {},
                   [](LineWriter& out) {
                     out.WriteLine("part");
                     throw std::runtime_error("stopped");
                   },
                   NativeFileSystem()),
               std::runtime_error);
  EXPECT_TRUE(ListTree(tmp.path()).empty());
}

}  // namespace
}  // namespace kelvandor
