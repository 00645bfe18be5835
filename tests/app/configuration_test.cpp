#include "app/configuration.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_budget.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::ListTree;
using testing::ReadFile;
using testing::RecordingUi;
using testing::TempDir;
using testing::WriteBudget;
using testing::WriteFile;

class ConfigurationTest : public ::testing::Test {
 protected:
  std::string Main() const { return ConfigFilePath(dir_.path()); }

  ConfigReadResult Read() { return ReadConfiguration(Main(), ui_); }

  TempDir dir_;
  RecordingUi ui_;
};

TEST_F(ConfigurationTest, FileSitsBesideTheProgram) {
  EXPECT_EQ(ConfigFilePath("/opt/kelvandor"), "/opt/kelvandor" + SeparatorString() + "Kelvandor.ini");
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

TEST_F(ConfigurationTest, PublicFileFirstThenTheMainFileOverrides) {
  const std::string pub = dir_ / "public.ini";
  WriteFile(pub, CrLf({"NewPath=P:\\shared\\", "CopyProject=1", "CleanUp=0"}));
  WriteFile(Main(), CrLf({"PublicIni=" + pub, "NewPath=C:\\mine\\", "RenameFolder=1"}));

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.public_ini_path, pub);
  EXPECT_EQ(result.values.new_path, "C:\\mine\\");
  EXPECT_TRUE(result.values.rename_folder);
  EXPECT_TRUE(result.values.copy_project);
  EXPECT_EQ(result.values.clean_up, false);
}

TEST_F(ConfigurationTest, PublicFileIsReadAtThePlaceOfItsLine) {
  const std::string pub = dir_ / "public.ini";
  WriteFile(pub, CrLf({"NewPath=from public"}));
  WriteFile(Main(), CrLf({"NewPath=before", "CleanUp=1", "PublicIni=" + pub}));

  const ConfigReadResult result = Read();

  EXPECT_EQ(result.values.new_path, "from public");
  EXPECT_EQ(result.values.clean_up, true);
}

TEST_F(ConfigurationTest, MissingPublicFileOnlySetsItsPath) {
  const std::string pub = dir_ / "gone.ini";
  WriteFile(Main(), CrLf({"PublicIni=" + pub, "NewPath=kept"}));

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.public_ini_path, pub);
  EXPECT_EQ(result.values.new_path, "kept");
}

TEST_F(ConfigurationTest, PublicFileNamingAnotherHandsOverToIt) {
  const std::string first = dir_ / "first.ini";
  const std::string second = dir_ / "second.ini";
  WriteFile(first, CrLf({"NewPath=first", "PublicIni=" + second, "NewPath=rest of first"}));
  WriteFile(second, CrLf({"CopyProject=1"}));
  WriteFile(Main(), CrLf({"PublicIni=" + first, "RenameFolder=1"}));

  const ConfigReadResult result = Read();

  EXPECT_EQ(result.values.new_path, "first");
  EXPECT_TRUE(result.values.copy_project);
  EXPECT_TRUE(result.values.rename_folder);
  EXPECT_EQ(result.values.public_ini_path, second);
}

// Each of these would be read without end if every "PublicIni=" line were
// followed: the line naming a file already in the chain is passed over.
TEST_F(ConfigurationTest, ChainLeadingBackEnds) {
  const std::string a = dir_ / "a.ini";
  const std::string b = dir_ / "b.ini";
  WriteFile(a, CrLf({"NewPath=a", "PublicIni=" + b}));
  WriteFile(b, CrLf({"CopyProject=1", "PublicIni=" + dir_.path() + "/./a.ini", "RenameFolder=1"}));
  WriteFile(Main(), CrLf({"PublicIni=" + a, "CleanUp=0"}));

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, "a");
  EXPECT_TRUE(result.values.copy_project);
  EXPECT_TRUE(result.values.rename_folder);
  EXPECT_EQ(result.values.clean_up, false);
  EXPECT_EQ(result.values.public_ini_path, dir_.path() + "/./a.ini");
}

TEST_F(ConfigurationTest, PublicFileNamingItselfEnds) {
  const std::string pub = dir_ / "self.ini";
  WriteFile(pub, CrLf({"PublicIni=" + pub, "NewPath=after"}));
  WriteFile(Main(), CrLf({"PublicIni=" + pub}));

  EXPECT_EQ(Read().values.new_path, "after");
}

TEST_F(ConfigurationTest, MainFileNamingItselfEnds) {
  WriteFile(Main(), CrLf({"PublicIni=" + Main(), "NewPath=main"}));

  const ConfigReadResult result = Read();

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.values.new_path, "main");
}

// Not a loop: the main file's own lines are finite, so a file it names
// twice is read twice, and the later reading wins.
TEST_F(ConfigurationTest, MainFileMayNameAPublicFileTwice) {
  const std::string pub = dir_ / "public.ini";
  WriteFile(pub, CrLf({"CleanUp=0"}));
  WriteFile(Main(), CrLf({"PublicIni=" + pub, "CleanUp=1", "PublicIni=" + pub}));

  EXPECT_EQ(Read().values.clean_up, false);
}

#ifdef __linux__
// Reading this file fails even for root: offset 0 of the process's memory is
// never mapped.
constexpr const char* kUnreadableFile = "/proc/self/mem";

TEST_F(ConfigurationTest, UnreadablePublicFileStopsWithTheErrorShown) {
  WriteFile(Main(), CrLf({"NewPath=before", "CleanUp=0", "PublicIni=" + std::string(kUnreadableFile),
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
  bool saved = true;
  {
    const WriteBudget budget(20);
    saved = SaveConfiguration(Main(), Sample(), ui_);
  }

  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFile(Main()), old);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{IoErrorText(kIoDiskFull)});
  EXPECT_EQ(ListTree(dir_.path()), std::vector<std::string>{"Kelvandor.ini"});
}

TEST_F(ConfigurationTest, SavingIntoAMissingFolderShowsTheError) {
  EXPECT_FALSE(SaveConfiguration(dir_ / "missing/Kelvandor.ini", Sample(), ui_));
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{IoErrorText(kIoFileNotFound)});
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
