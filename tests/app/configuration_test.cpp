#include "app/configuration.h"

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::ListTree;
using testing::ReadFile;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteFile;

class ConfigurationTest : public ::testing::Test {
 protected:
  std::string Main() const { return ConfigFilePath(dir_.path()); }

  ConfigReadResult Read() { return ReadConfiguration(Main(), ui_); }

  TempDir dir_;
  RecordingUi ui_;
};

TEST_F(ConfigurationTest, FileSitsBesideTheProgram) {
  EXPECT_EQ(ConfigFilePath("/opt/kelvandor"),
            "/opt/kelvandor" + SeparatorString() + "Kelvandor.ini");
}

TEST_F(ConfigurationTest, MissingFileGivesTheDefaults) {
  const ConfigReadResult result = Read();
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, "");
  EXPECT_EQ(result.values.public_ini_path, "");
  EXPECT_FALSE(result.values.rename_folder);
  EXPECT_FALSE(result.values.copy_project);
  EXPECT_EQ(result.values.clean_up, std::nullopt);
  EXPECT_TRUE(ui_.shown.empty());
}

// Only a file counts as present; a folder of that name is passed over.
TEST_F(ConfigurationTest, FoldersAreNoFiles) {
  testing::MakeDirs(Main());
  EXPECT_TRUE(Read().completed);

  const std::string other = ConfigFilePath(dir_ / "other");
  testing::MakeDirs(dir_ / "public.ini");
  WriteFile(other, CrLf({"PublicIni=" + (dir_ / "public.ini"), "NewPath=main"}));
  const ConfigReadResult result = ReadConfiguration(other, ui_);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, "main");
  EXPECT_TRUE(ui_.shown.empty());
}

// One row per rule for the lines of a single file.
struct LinesRow {
  std::string name;
  std::string content;
  std::string new_path;
  bool rename_folder = false;
  bool copy_project = false;
  std::optional<bool> clean_up;
};

void PrintTo(const LinesRow& row, std::ostream* os) { *os << row.name; }

class ConfigurationLinesTest : public ::testing::TestWithParam<LinesRow> {};

TEST_P(ConfigurationLinesTest, ReadsTheValues) {
  TempDir dir;
  RecordingUi ui;
  WriteFile(ConfigFilePath(dir.path()), GetParam().content);

  const ConfigReadResult result = ReadConfiguration(ConfigFilePath(dir.path()), ui);

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, GetParam().new_path);
  EXPECT_EQ(result.values.rename_folder, GetParam().rename_folder);
  EXPECT_EQ(result.values.copy_project, GetParam().copy_project);
  EXPECT_EQ(result.values.clean_up, GetParam().clean_up);
  EXPECT_TRUE(ui.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ConfigurationLinesTest,
    ::testing::Values(
        LinesRow{"AsSaved",
                 CrLf({"\\\\PublicIni=", "NewPath=C:\\new\\", "RenameFolder=1", "CopyProject=0",
                       "CleanUp=1"}),
                 "C:\\new\\", true, false, true},
        LinesRow{"LfLineEnds", "NewPath=/x/\nCopyProject=1\n", "/x/", false, true, std::nullopt},
        LinesRow{"CleanUpZero", CrLf({"CleanUp=0"}), "", false, false, false},
        LinesRow{"CleanUpYes", CrLf({"CleanUp=yes"}), "", false, false, false},
        LinesRow{"OneAndBlankIsFalse", CrLf({"RenameFolder=1 "}), "", false, false, std::nullopt},
        LinesRow{"LowerCaseKeyIgnored", CrLf({"renamefolder=1", "newpath=x"}), "", false, false,
                 std::nullopt},
        LinesRow{"LeadingBlankIgnored", CrLf({" RenameFolder=1", " CleanUp=0"}), "", false, false,
                 std::nullopt},
        LinesRow{"ValueKeptWhole", CrLf({"NewPath= D:\\a=b \t"}), " D:\\a=b \t", false, false,
                 std::nullopt},
        LinesRow{"EmptyNewPathOverrides", CrLf({"NewPath=D:\\old\\", "NewPath="}), "", false, false,
                 std::nullopt},
        LinesRow{"LastLineWins", CrLf({"CopyProject=1", "CleanUp=0", "CopyProject=0", "CleanUp=1"}),
                 "", false, false, true},
        LinesRow{"BothModes", CrLf({"RenameFolder=1", "CopyProject=1"}), "", true, true,
                 std::nullopt},
        LinesRow{"CtrlZEndsTheFile", CrLf({"NewPath=a", "\x1a", "NewPath=b"}), "a", false, false,
                 std::nullopt}),
    [](const ::testing::TestParamInfo<LinesRow>& row) { return row.param.name; });

// Main and public files read together. Each row names its files below the
// test's folder, the main file first; "{dir}/" in a line stands for that
// folder and a separator.
struct ChainRow {
  std::string name;
  std::vector<std::pair<std::string, std::vector<std::string>>> files;
  std::string new_path;
  bool rename_folder = false;
  bool copy_project = false;
  std::optional<bool> clean_up;
  std::optional<std::string> public_ini_path;  // checked where given; may hold "{dir}"
};

void PrintTo(const ChainRow& row, std::ostream* os) { *os << row.name; }

std::string InDir(std::string text, const std::string& dir) {
  const std::string prefix = dir + SeparatorString();
  for (std::size_t at = text.find("{dir}/"); at != std::string::npos; at = text.find("{dir}/")) {
    text.replace(at, 6, prefix);
  }
  return text;
}

class ConfigurationChainTest : public ConfigurationTest,
                               public ::testing::WithParamInterface<ChainRow> {};

TEST_P(ConfigurationChainTest, ReadsEachFileAtThePlaceOfItsLine) {
  const ChainRow& row = GetParam();
  for (const auto& [file, lines] : row.files) {
    std::vector<std::string> filled;
    for (const std::string& line : lines) filled.push_back(InDir(line, dir_.path()));
    WriteFile(file == "Kelvandor.ini" ? Main() : dir_ / file, CrLf(filled));
  }

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, row.new_path);
  EXPECT_EQ(result.values.rename_folder, row.rename_folder);
  EXPECT_EQ(result.values.copy_project, row.copy_project);
  EXPECT_EQ(result.values.clean_up, row.clean_up);
  if (row.public_ini_path) {
    EXPECT_EQ(result.values.public_ini_path, InDir(*row.public_ini_path, dir_.path()));
  }
  EXPECT_TRUE(ui_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    PublicFiles, ConfigurationChainTest,
    ::testing::Values(
        ChainRow{"PublicFileFirstThenTheMainFileOverrides",
                 {{"Kelvandor.ini",
                   {"PublicIni={dir}/public.ini", "NewPath=C:\\mine\\", "RenameFolder=1"}},
                  {"public.ini", {"NewPath=P:\\shared\\", "CopyProject=1", "CleanUp=0"}}},
                 "C:\\mine\\",
                 true,
                 true,
                 false,
                 "{dir}/public.ini"},
        ChainRow{"PublicFileIsReadAtThePlaceOfItsLine",
                 {{"Kelvandor.ini", {"NewPath=before", "CleanUp=1", "PublicIni={dir}/public.ini"}},
                  {"public.ini", {"NewPath=from public"}}},
                 "from public",
                 false,
                 false,
                 true,
                 std::nullopt},
        ChainRow{"MissingPublicFileOnlySetsItsPath",
                 {{"Kelvandor.ini", {"PublicIni={dir}/gone.ini", "NewPath=kept"}}},
                 "kept",
                 false,
                 false,
                 std::nullopt,
                 "{dir}/gone.ini"},
        ChainRow{"PublicFileNamingAnotherHandsOverToIt",
                 {{"Kelvandor.ini", {"PublicIni={dir}/first.ini", "RenameFolder=1"}},
                  {"first.ini",
                   {"NewPath=first", "PublicIni={dir}/second.ini", "NewPath=rest of first"}},
                  {"second.ini", {"CopyProject=1"}}},
                 "first",
                 true,
                 true,
                 std::nullopt,
                 "{dir}/second.ini"},
        // The rows below would be read without end if every "PublicIni=" line
        // were followed: the line naming a file already in the chain is
        // passed over.
        ChainRow{"ChainLeadingBackEnds",
                 {{"Kelvandor.ini", {"PublicIni={dir}/a.ini", "CleanUp=0"}},
                  {"a.ini", {"NewPath=a", "PublicIni={dir}/b.ini"}},
                  {"b.ini", {"CopyProject=1", "PublicIni={dir}/./a.ini", "RenameFolder=1"}}},
                 "a",
                 true,
                 true,
                 false,
                 "{dir}/./a.ini"},
        ChainRow{"PublicFileNamingItselfEnds",
                 {{"Kelvandor.ini", {"PublicIni={dir}/self.ini"}},
                  {"self.ini", {"PublicIni={dir}/self.ini", "NewPath=after"}}},
                 "after",
                 false,
                 false,
                 std::nullopt,
                 std::nullopt},
        ChainRow{"MainFileNamingItselfEnds",
                 {{"Kelvandor.ini", {"PublicIni={dir}/Kelvandor.ini", "NewPath=main"}}},
                 "main",
                 false,
                 false,
                 std::nullopt,
                 std::nullopt},
        // Not a loop: the main file's own lines are finite, so a file it
        // names twice is read twice, and the later reading wins.
        ChainRow{"MainFileMayNameAPublicFileTwice",
                 {{"Kelvandor.ini",
                   {"PublicIni={dir}/public.ini", "CleanUp=1", "PublicIni={dir}/public.ini"}},
                  {"public.ini", {"CleanUp=0"}}},
                 "",
                 false,
                 false,
                 false,
                 std::nullopt}),
    [](const ::testing::TestParamInfo<ChainRow>& row) { return row.param.name; });

#ifdef __linux__
// Reading this file fails even for root: offset 0 of the process's memory is
// never mapped.
constexpr const char* kUnreadableFile = "/proc/self/mem";

TEST_F(ConfigurationTest, UnreadablePublicFileStopsWithTheErrorShown) {
  WriteFile(Main(),
            CrLf({"NewPath=before", "CleanUp=0", "PublicIni=" + std::string(kUnreadableFile),
                  "NewPath=after", "CopyProject=1"}));

  const ConfigReadResult result = Read();

  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.values.new_path, "before");
  EXPECT_EQ(result.values.clean_up, false);
  EXPECT_FALSE(result.values.copy_project);
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].caption, "Kelvandor");
  EXPECT_FALSE(ui_.shown[0].text.empty());
}

TEST_F(ConfigurationTest, UnreadableMainFile) {
  const ConfigReadResult result = ReadConfiguration(kUnreadableFile, ui_);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(ui_.shown.size(), 1u);
}
#endif

ConfigToSave Sample() {
  ConfigToSave config;
  config.new_path = "C:\\new\\";
  config.rename_folder = true;
  config.copy_project = false;
  config.clean_up = true;
  return config;
}

TEST_F(ConfigurationTest, SavesTheFiveLines) {
  ASSERT_TRUE(SaveConfiguration(Main(), Sample(), ui_));
  EXPECT_EQ(ReadFile(Main()), CrLf({"\\\\PublicIni=", "NewPath=C:\\new\\", "RenameFolder=1",
                                    "CopyProject=0", "CleanUp=1"}));
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(ListTree(dir_.path()), std::vector<std::string>{"Kelvandor.ini"});
}

// A configuration kept elsewhere and linked beside the program stays linked.
TEST_F(ConfigurationTest, SavesThroughALinkToItsTarget) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  WriteFile(dir_ / "shared/Kelvandor.ini", "old\r\n");
  testing::MakeSymlink(dir_ / "shared/Kelvandor.ini", Main());
  ASSERT_TRUE(SaveConfiguration(Main(), Sample(), ui_));
  EXPECT_TRUE(IsLink(Main()));
  EXPECT_EQ(ReadFile(dir_ / "shared/Kelvandor.ini"),
            CrLf({"\\\\PublicIni=", "NewPath=C:\\new\\", "RenameFolder=1", "CopyProject=0",
                  "CleanUp=1"}));
}

TEST_F(ConfigurationTest, SavesThePublicFileBack) {
  ConfigToSave config = Sample();
  config.public_ini_path = "P:\\team\\public.ini";
  config.rename_folder = false;
  config.copy_project = true;
  config.clean_up = false;
  ASSERT_TRUE(SaveConfiguration(Main(), config, ui_));
  EXPECT_EQ(ReadFile(Main()), CrLf({"PublicIni=P:\\team\\public.ini", "NewPath=C:\\new\\",
                                    "RenameFolder=0", "CopyProject=1", "CleanUp=0"}));
}

TEST_F(ConfigurationTest, SavingReplacesALongerFileAndTwiceGivesTheSameBytes) {
  WriteFile(Main(), std::string(4096, 'x'));
  ASSERT_TRUE(SaveConfiguration(Main(), Sample(), ui_));
  const std::string first = ReadFile(Main());
  ASSERT_TRUE(SaveConfiguration(Main(), Sample(), ui_));
  EXPECT_EQ(ReadFile(Main()), first);
  EXPECT_EQ(first.find('x'), std::string::npos);
}

TEST_F(ConfigurationTest, WhatIsSavedIsReadBack) {
  ConfigToSave config;
  config.public_ini_path = dir_ / "not there.ini";
  config.new_path = " E:\\with blanks=and equals\\";
  config.copy_project = true;
  config.clean_up = false;
  ASSERT_TRUE(SaveConfiguration(Main(), config, ui_));

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.public_ini_path, config.public_ini_path);
  EXPECT_EQ(result.values.new_path, config.new_path);
  EXPECT_FALSE(result.values.rename_folder);
  EXPECT_TRUE(result.values.copy_project);
  EXPECT_EQ(result.values.clean_up, false);
}

TEST_F(ConfigurationTest, FailedWriteKeepsTheOldFile) {
  const std::string old = CrLf({"NewPath=D:\\old\\", "CleanUp=0"});
  WriteFile(Main(), old);
  testing::FaultyFileSystem full_disk;
  full_disk.set_space(20);

  EXPECT_FALSE(SaveConfiguration(Main(), Sample(), ui_, full_disk));
  EXPECT_EQ(ReadFile(Main()), old);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{IoErrorText(IoErrorCode::kDiskFull)});
  EXPECT_EQ(ListTree(dir_.path()), std::vector<std::string>{"Kelvandor.ini"});
}

TEST_F(ConfigurationTest, SavingIntoAMissingFolderShowsTheError) {
  EXPECT_FALSE(SaveConfiguration(dir_ / "missing/Kelvandor.ini", Sample(), ui_));
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{IoErrorText(IoErrorCode::kFileNotFound)});
}

TEST_F(ConfigurationTest, SavingOverAFolderShowsTheErrorAndLeavesItAlone) {
  testing::MakeDirs(Main());
  WriteFile(Main() + "/inside.txt", "x");

  EXPECT_FALSE(SaveConfiguration(Main(), Sample(), ui_));

  EXPECT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ListTree(dir_.path()),
            (std::vector<std::string>{"Kelvandor.ini/", "Kelvandor.ini/inside.txt"}));
}

}  // namespace
}  // namespace kelvandor
