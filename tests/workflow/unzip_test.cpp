#include "workflow/unit_unzip.h"

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/zip_writer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteZip;
using testing::ZipEntry;
using testing::ZipLink;

// Bytes that no text conversion or line-end translation leaves alone, long
// enough to span several read blocks.
std::string BinaryContent(std::size_t size) {
  std::string out;
  out.reserve(size);
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    out.push_back(static_cast<char>(x >> 24));
  }
  return out + "\r\n\n\r\x1a" + std::string(1, '\0');
}

class UnzipTest : public ::testing::Test {
 protected:
  std::string Zip() const { return dir_ / "project.zip"; }
  std::string Dest() const { return dir_ / "exe/___temp___"; }

  TempDir dir_;
};

TEST_F(UnzipTest, ExtractsEveryEntryIntoAFreshDestination) {
  const std::string image = BinaryContent(300 * 1024);
  WriteZip(Zip(), {{"blinky/", ""},
                   {"blinky/blinky.wsp", "[wsp]\r\n"},
                   {"blinky/blinky.prj", "line\nother\r\n"},
                   {"blinky/ABS/", ""},
                   {"blinky/ABS/blinky.mhx", image},
                   {"blinky/Makefile", "all:\n"},
                   {"blinky/LST/", ""},
                   {"blinky/src/deep/main.c", "int main;"}});

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);

  EXPECT_EQ(ListTree(Dest()), (std::vector<std::string>{
                                  "blinky/", "blinky/ABS/", "blinky/ABS/blinky.mhx", "blinky/LST/",
                                  "blinky/Makefile", "blinky/blinky.prj", "blinky/blinky.wsp",
                                  "blinky/src/", "blinky/src/deep/", "blinky/src/deep/main.c"}));
  EXPECT_EQ(ReadFile(Dest() + "/blinky/ABS/blinky.mhx"), image);
  EXPECT_EQ(ReadFile(Dest() + "/blinky/blinky.prj"), "line\nother\r\n");
  EXPECT_EQ(ReadFile(Dest() + "/blinky/Makefile"), "all:\n");
}

TEST_F(UnzipTest, StoredEntriesAreWrittenByteForByte) {
  const std::string image = BinaryContent(70 * 1024);
  WriteZip(Zip(), {{"p/out.bin", image}}, "zip:compression=store");
  EXPECT_TRUE(UnzipArchive(Zip(), Dest()));
  EXPECT_EQ(ReadFile(Dest() + "/p/out.bin"), image);
}

TEST_F(UnzipTest, OverwritesExistingFilesAndKeepsOthers) {
  WriteFile(Dest() + "/p/p.prj", "an older and much longer content");
  WriteFile(Dest() + "/p/readonly.wsp", "old");
  fs::permissions(Dest() + "/p/readonly.wsp", fs::perms::owner_read);
  WriteFile(Dest() + "/left-over.txt", "stays");
  WriteZip(Zip(), {{"p/p.prj", "new"}, {"p/readonly.wsp", "new too"}});

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);

  EXPECT_EQ(ReadFile(Dest() + "/p/p.prj"), "new");
  EXPECT_EQ(ReadFile(Dest() + "/p/readonly.wsp"), "new too");
  EXPECT_EQ(ReadFile(Dest() + "/left-over.txt"), "stays");
}

TEST_F(UnzipTest, BackslashesInStoredNamesSeparateFolders) {
  WriteZip(Zip(), {{"p\\src\\main.c", "x"}});
  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);
  EXPECT_EQ(ReadFile(Dest() + "/p/src/main.c"), "x");
}

TEST_F(UnzipTest, LinksThatStayInsideTheTreeAreKept) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  WriteZip(Zip(), {{"p/common/x.h", "shared"},
                   ZipLink("p/inc", "common"),
                   ZipLink("p/src/x.h", "../common/x.h"),
                   ZipLink("p/self", ".")});

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);

  EXPECT_EQ(fs::read_symlink(Dest() + "/p/inc"), "common");
  EXPECT_EQ(ReadFile(Dest() + "/p/inc/x.h"), "shared");
  EXPECT_EQ(ReadFile(Dest() + "/p/src/x.h"), "shared");
  EXPECT_EQ(fs::read_symlink(Dest() + "/p/self"), ".");
}

// Names in the ANSI code page of the program's paths, in the destination and
// in the archive: "Müller", and a euro sign, which code page 1252 has and
// Latin-1 lacks.
TEST_F(UnzipTest, NonAsciiNamesInTheArchiveAndTheDestination) {
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, not " << GetACP();
#endif
  const std::string name = "M\xFCller";
  const std::string file = name + "/" + name + " \x80.prj";
  const std::string dest = dir_ / (name + "/___temp___");
  WriteZip(Zip(), {{name + "/", ""}, {file, "pr"}});

  EXPECT_EQ(UnzipArchiveCode(Zip(), dest), UnzipResult::kOk);

  EXPECT_EQ(ListTree(dest), (std::vector<std::string>{name + "/", file}));
  EXPECT_EQ(ReadFile(dest + "/" + file), "pr");
}

// The entries' declared sizes are weighed against the free space of the
// destination before anything is written.
TEST_F(UnzipTest, RefusesAnArchiveLargerThanTheFreeSpace) {
  WriteZip(Zip(),
           {{"p/", ""}, {"p/a.prj", std::string(600, 'a')}, {"p/b.bin", BinaryContent(494)}});
  const std::uint64_t declared = 600 + 500;
  std::vector<std::string> asked;
  const auto free_space = [&](std::uint64_t bytes) -> FreeSpaceFn {
    return [&asked, bytes](std::string_view folder) -> std::optional<std::uint64_t> {
      asked.emplace_back(folder);
      return bytes;
    };
  };

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest(), free_space(declared - 1)), UnzipResult::kDiskFull);
  EXPECT_EQ(ListTree(Dest()), std::vector<std::string>{});
  EXPECT_EQ(asked, std::vector<std::string>{ResolvedPath(Dest())});
  EXPECT_FALSE(UnzipArchive(Zip(), Dest(), free_space(0)));

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest(), free_space(declared)), UnzipResult::kOk);
  RemoveTree(Dest());
  // Where the system cannot tell, the archive is unpacked.
  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest(), [](std::string_view) { return std::nullopt; }),
            UnzipResult::kOk);
  EXPECT_EQ(ReadFile(Dest() + "/p/a.prj"), std::string(600, 'a'));
}

// Writes `value` as the four little-endian bytes at `at`.
void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// A forged header declares far fewer bytes than the entry unpacks to, so the
// free-space check passes; the extraction must stop at the declared size.
TEST_F(UnzipTest, StopsAnEntryThatGrowsPastItsDeclaredSize) {
  constexpr std::uint32_t kDeclared = 1000;
  WriteZip(Zip(), {{"p/bomb.bin", std::string(512 * 1024, '\0')}, {"p/later.prj", "x"}});
  std::string bytes = ReadFile(Zip());
  // The uncompressed size in the central directory and, where the writer put
  // it there, in the local header and the data descriptor.
  const std::size_t central = bytes.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  PutLe32(bytes, central + 24, kDeclared);
  if (bytes.compare(22, 4, std::string(4, '\0')) != 0) PutLe32(bytes, 22, kDeclared);
  if (const std::size_t descriptor = bytes.find("PK\x07\x08"); descriptor < central) {
    PutLe32(bytes, descriptor + 12, kDeclared);
  }
  WriteFile(Zip(), bytes);

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest(), [](std::string_view) { return kDeclared + 1; }),
            UnzipResult::kSevereError);

  std::uintmax_t written = 0;
  for (const auto& entry : fs::recursive_directory_iterator(NativePath(Dest()))) {
    if (entry.is_regular_file()) written += entry.file_size();
  }
  EXPECT_LE(written, kDeclared);
  EXPECT_FALSE(fs::exists(NativePath(Dest() + "/p/later.prj")));
}

TEST_F(UnzipTest, MissingArchive) {
  EXPECT_EQ(UnzipArchiveCode(dir_ / "none.zip", Dest()), UnzipResult::kArchiveNotFound);
  EXPECT_FALSE(UnzipArchive(dir_ / "none.zip", Dest()));
}

TEST_F(UnzipTest, TruncatedArchive) {
  WriteZip(Zip(), {{"p/a.prj", BinaryContent(100 * 1024)}, {"p/b.prj", "b"}});
  const std::string whole = ReadFile(Zip());
  WriteFile(Zip(), whole.substr(0, whole.size() / 2));

  const UnzipResult code = UnzipArchiveCode(Zip(), Dest());
  EXPECT_TRUE(code == UnzipResult::kSevereError || code == UnzipResult::kUnexpectedEof)
      << static_cast<int>(code);
}

TEST_F(UnzipTest, CorruptCompressedData) {
  WriteZip(Zip(), {{"p/a.prj", BinaryContent(100 * 1024)}});
  std::string bytes = ReadFile(Zip());
  for (std::size_t i = 200; i < 400; ++i) bytes[i] = '\xff';
  WriteFile(Zip(), bytes);

  const UnzipResult code = UnzipArchiveCode(Zip(), Dest());
  EXPECT_NE(code, UnzipResult::kOk);
  EXPECT_FALSE(UnzipArchive(Zip(), Dest()));
}

TEST_F(UnzipTest, NotAnArchive) {
  WriteFile(Zip(), "just some text, no zip at all\r\n");
  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kSevereError);
}

// A stored entry whose bytes no longer match its CRC is extracted, and
// libarchive reports the mismatch as a warning: that must fail the call.
TEST_F(UnzipTest, AWarningMakesTheExtractionFail) {
  WriteZip(Zip(), {{"p/a.prj", "MARKER-content-of-the-file"}}, "zip:compression=store");
  std::string bytes = ReadFile(Zip());
  const std::size_t at = bytes.find("MARKER");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 'N';
  WriteFile(Zip(), bytes);

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kWarnings);
  EXPECT_EQ(ReadFile(Dest() + "/p/a.prj"), "NARKER-content-of-the-file");
  EXPECT_FALSE(UnzipArchive(Zip(), Dest()));
}

TEST_F(UnzipTest, EncryptedEntryFailsWithoutAskingForAPassword) {
  WriteZip(Zip(), {{"p/secret.prj", "plain text inside"}}, "zip:encryption=traditional",
           "password");

  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kBadPassword);
  EXPECT_FALSE(fs::exists(Dest() + "/p/secret.prj"));
  EXPECT_FALSE(UnzipArchive(Zip(), Dest()));
}

TEST_F(UnzipTest, ArchiveWithoutEntries) {
  WriteZip(Zip(), {});
  EXPECT_EQ(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kNoFiles);
}

// A device node inside the destination would give access to the device
// itself, outside the tree.
TEST_F(UnzipTest, RefusesDeviceEntries) {
  WriteZip(Zip(), {{"p/dev", "x"}}, "zip:compression=store");
  std::string bytes = ReadFile(Zip());
  const std::size_t central = bytes.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  const std::uint32_t char_device = 0020644u << 16;  // S_IFCHR | 0644 in the high half
  for (int i = 0; i < 4; ++i) {
    bytes[central + 38 + i] = static_cast<char>((char_device >> (8 * i)) & 0xff);
  }
  WriteFile(Zip(), bytes);

  EXPECT_NE(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Dest() + "/p/dev")));
}

#ifndef _WIN32
// Makes files larger than `bytes` fail to grow, as a full disk does, for
// this process only.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*old_handler_)(int) = nullptr;
};

TEST_F(UnzipTest, DiskFull) {
  WriteZip(Zip(), {{"p/big.bin", std::string(2 * 1024 * 1024, 'z')}});
  UnzipResult code = UnzipResult::kOk;
  {
    const FileSizeLimit limit(256 * 1024);
    code = UnzipArchiveCode(Zip(), Dest());
  }
  EXPECT_EQ(code, UnzipResult::kDiskFull);
}
#endif

// Each case must fail and leave everything outside the destination as it
// was. Every target lies inside the test's own folder, so a failure here
// never touches the rest of the machine.
struct TraversalCase {
  std::string name;
  std::vector<ZipEntry> entries;  // "{outside}" stands for the absolute path of the outside folder
};

void PrintTo(const TraversalCase& row, std::ostream* os) { *os << row.name; }

class UnzipTraversalTest : public ::testing::TestWithParam<TraversalCase> {};

std::vector<std::string> OutsideOf(const std::string& root, const std::string& dest_prefix) {
  std::vector<std::string> out;
  for (const std::string& rel : ListTree(root)) {
    if (rel.rfind(dest_prefix, 0) != 0) out.push_back(rel);
  }
  return out;
}

// The links below `root` whose targets, followed as far as they exist, lie
// outside it.
std::vector<std::string> LinksLeaving(const std::string& root) {
  std::vector<std::string> out;
  const fs::path base = fs::canonical(root);
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    if (!entry.is_symlink()) continue;
    const fs::path target =
        fs::weakly_canonical(entry.path().parent_path() / fs::read_symlink(entry.path()));
    const auto rel = target.lexically_relative(base);
    if (rel.empty() || *rel.begin() == "..") out.push_back(entry.path().string());
  }
  return out;
}

TEST_P(UnzipTraversalTest, IsRefusedAndChangesNothingOutside) {
  TempDir dir;
  const std::string outside = dir / "outside";
  WriteFile(outside + "/victim.txt", "original");
  std::vector<ZipEntry> entries = GetParam().entries;
  for (ZipEntry& e : entries) {
    for (std::string* text : {&e.path, &e.data}) {
      if (const auto at = text->find("{outside}"); at != std::string::npos) {
        text->replace(at, 9, outside);
      }
    }
  }
  const std::string zip = dir / "evil.zip";
  WriteZip(zip, entries);
  const std::vector<std::string> before = OutsideOf(dir.path(), "exe/");

  EXPECT_NE(UnzipArchiveCode(zip, dir / "exe/dest"), UnzipResult::kOk);

  EXPECT_EQ(OutsideOf(dir.path(), "exe/"), before);
  EXPECT_EQ(ReadFile(outside + "/victim.txt"), "original");
  EXPECT_EQ(LinksLeaving(dir / "exe/dest"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnzipTraversalTest,
    ::testing::Values(
        TraversalCase{"AbsolutePath", {{"{outside}/evil.txt", "x"}}},
        TraversalCase{"AbsoluteOverwrite", {{"{outside}/victim.txt", "x"}}},
        TraversalCase{"DriveLetter", {{"C:/evil.txt", "x"}}},
        TraversalCase{"DotDot", {{"../../outside/evil.txt", "x"}}},
        TraversalCase{"DotDotInside", {{"p/../../../outside/evil.txt", "x"}}},
        TraversalCase{"DotDotBackslash", {{"..\\..\\outside\\evil.txt", "x"}}},
        TraversalCase{"DotDotFolder", {{"../../outside/made/", ""}}},
        TraversalCase{"LinkUp", {ZipLink("p/out", "../../../outside"), {"p/out/evil.txt", "x"}}},
        TraversalCase{"LinkAbsolute", {ZipLink("out", "{outside}"), {"out/victim.txt", "x"}}},
        TraversalCase{"DanglingLinkOut", {ZipLink("later", "../../outside/evil.txt")}},
        TraversalCase{
            "LinkThroughLink",
            {ZipLink("here", "."), ZipLink("out", "here/../../outside"), {"out/evil.txt", "x"}}}),
    [](const ::testing::TestParamInfo<TraversalCase>& row) { return row.param.name; });

// A link left in the destination by someone else is never written through.
TEST_F(UnzipTest, NeverWritesThroughALinkAlreadyInTheDestination) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  const std::string outside = dir_ / "outside";
  testing::MakeDirs(outside);
  testing::MakeDirs(Dest());
  fs::create_directory_symlink(outside, Dest() + "/p");
  WriteZip(Zip(), {{"p/evil.txt", "x"}});

  EXPECT_NE(UnzipArchiveCode(Zip(), Dest()), UnzipResult::kOk);
  EXPECT_TRUE(fs::is_empty(outside));
}

}  // namespace
}  // namespace kelvandor
