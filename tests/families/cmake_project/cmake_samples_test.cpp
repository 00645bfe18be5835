// The generator's CMake projects: the samples loaded as a user gives them and
// renamed end to end in every mode, every byte of the result against the
// expected files; the name rules line by line; the clean-up.

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/file_rewrite.h"
#include "families/cmake_project/cmake_project.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "workflow/cleanup.h"
#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::MakeDirs;
using ::kelvandor::testing::PrintTo;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Snapshot;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteFile;
using Tree = std::vector<std::string>;
using Renames = std::map<std::string, std::string>;

// `root` + separator + `relative`, where `relative` uses "/".
std::string Join(const std::string& root, std::string_view relative) {
  std::string out = root + SeparatorString();
  for (char c : relative) out += c == '/' ? Separator() : c;
  return out;
}

std::string Example(std::string_view relative) { return Join(KELVANDOR_EXAMPLES_DIR, relative); }
std::string Expected(std::string_view relative) {
  return Join(KELVANDOR_CMAKE_EXPECTED_DIR, relative);
}

struct Sample {
  std::string example;  // folder below examples/
  std::string input;    // what the user gives, below the project folder
  std::string old_name;
  std::vector<FamilyKind> kinds;
  Renames renamed;                 // old -> new path, bytes unchanged
  Renames rewritten;               // old -> new path, bytes as in expected/<example>/<new path>
  Tree removed = {};               // by the rename itself, whatever the mode
  std::string folder_warned = {};  // the file warned of while the folder is not "pump"
};

const Sample kBlinky{"cmake-blinky",
                     "lumen.ioc",
                     "lumen",
                     {FamilyKind::kCMake},
                     {{".idea/lumen.iml", ".idea/pump.iml"}},
                     {{"lumen.ioc", "pump.ioc"},
                      {".idea/modules.xml", ".idea/modules.xml"},
                      {"CMakeLists.txt", "CMakeLists.txt"},
                      {"openocd.cfg", "openocd.cfg"},
                      {".idea/.name", ".idea/.name"},
                      {".vscode/launch.json", ".vscode/launch.json"},
                      {".vscode/tasks.json", ".vscode/tasks.json"}},
                     {"build/Debug/CMakeCache.txt"}};

const Sample kDual{"cmake-dual",
                   "CM4",
                   "duo",
                   {FamilyKind::kCMake},
                   {},
                   {{"duo.ioc", "pump.ioc"},
                    {"CMakeLists.txt", "CMakeLists.txt"},
                    {"CM4/CMakeLists.txt", "CM4/CMakeLists.txt"},
                    {"CM7/CMakeLists.txt", "CM7/CMakeLists.txt"},
                    {"mx-generated.cmake", "mx-generated.cmake"},
                    {".vscode/launch.json", ".vscode/launch.json"}}};

// One name for the three families of one folder, the ".ioc" renamed once.
const Sample kMixed{"cmake-mixed",
                    "",
                    "mix",
                    {FamilyKind::kIar, FamilyKind::kEclipse, FamilyKind::kCMake},
                    {},
                    {{"mix.ioc", "pump.ioc"},
                     {"CMakeLists.txt", "CMakeLists.txt"},
                     {".project", ".project"},
                     {".cproject", ".cproject"},
                     {"EWARM/mix.eww", "EWARM/pump.eww"},
                     {"EWARM/mix.ewp", "EWARM/pump.ewp"}},
                    {},
                    ".vscode/launch.json"};

struct Case {
  const Sample* sample;
  RenameMode mode;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.sample->example; }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  std::string name = info.param.sample->example;
  std::replace(name.begin(), name.end(), '-', '_');
  return std::string(mode[static_cast<int>(info.param.mode)]) + "_" + name;
}

class CMakeSampleTest : public ::testing::TestWithParam<Case> {
 protected:
  // Copies the sample to work/<example> and loads it as the user gives it.
  Project Load(const Sample& s) {
    const std::string dir = Join(tmp_.path(), "work/" + s.example);
    MakeDirs(tmp_ / "work");
    EXPECT_TRUE(CopyTree(Example(s.example), dir));
    ProjectState state;
    AnalysisConfig config;
    config.exe_dir = tmp_ / "bin";
    const std::string input = s.input.empty() ? dir : Join(dir, s.input);
    EXPECT_TRUE(NewInput(input, config, state, ui_, 0).ok);
    EXPECT_EQ(state.new_name, s.old_name);
    EXPECT_EQ(state.project.project_dir, dir);
    return state.project;
  }

  TempDir tmp_;
  RecordingUi ui_;
};

TEST_P(CMakeSampleTest, RenamesTheProjectAndWhatNamesIt) {
  const Sample& s = *GetParam().sample;
  const Project project = Load(s);
  std::vector<FamilyKind> kinds;
  for (const Family& family : project.families) {
    kinds.push_back(family.kind);
    EXPECT_EQ(family.old_name, s.old_name);
  }
  EXPECT_EQ(kinds, s.kinds);

  RenamePlan plan{.new_path = tmp_ / "work" + SeparatorString(),
                  .new_dir = s.example,
                  .new_name = "pump",
                  .mode = GetParam().mode};
  if (plan.mode == RenameMode::kCopy) plan.new_path = tmp_ / "new" + SeparatorString();
  if (plan.mode != RenameMode::kInPlace) plan.new_dir = "pump";
  const RenameOutcome outcome = RenameProject(project, plan, ui_, NativeFileSystem());
  ASSERT_TRUE(outcome.ok());
  EXPECT_TRUE(ui_.shown.empty());

  const std::string target = outcome.new_path + plan.new_dir;
  std::vector<RewriteWarning> warnings;
  for (const std::string& rel : s.removed) {
    warnings.push_back(
        {Join(target, rel), "Was written for another folder, which CMake refuses: deleted"});
  }
  if (!s.folder_warned.empty() && plan.new_dir != "pump") {
    warnings.push_back({Join(target, s.folder_warned),
                        "Names the program after the project's folder, whose name is not the "
                        "new project name: please recheck it manually"});
  }
  EXPECT_EQ(outcome.report.warnings, warnings);

  Tree expected;
  for (const std::string& rel : ListTree(Example(s.example))) {
    if (std::find(s.removed.begin(), s.removed.end(), rel) != s.removed.end()) continue;
    std::string now = rel;
    if (s.renamed.contains(rel)) now = s.renamed.at(rel);
    if (s.rewritten.contains(rel)) now = s.rewritten.at(rel);
    expected.push_back(now);
    if (now.ends_with("/")) continue;
    const std::string want = s.rewritten.contains(rel) ? ReadFile(Expected(s.example + "/" + now))
                                                       : ReadFile(Example(s.example + "/" + rel));
    EXPECT_EQ(ReadFile(Join(target, now)), want) << now;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListTree(target), expected);
  if (plan.mode == RenameMode::kCopy) {
    EXPECT_EQ(Snapshot(project.project_dir), Snapshot(Example(s.example)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndSamples, CMakeSampleTest,
    ::testing::Values(Case{&kBlinky, RenameMode::kInPlace}, Case{&kBlinky, RenameMode::kCopy},
                      Case{&kBlinky, RenameMode::kRenameFolder}, Case{&kDual, RenameMode::kInPlace},
                      Case{&kDual, RenameMode::kCopy}, Case{&kDual, RenameMode::kRenameFolder},
                      Case{&kMixed, RenameMode::kInPlace}, Case{&kMixed, RenameMode::kCopy},
                      Case{&kMixed, RenameMode::kRenameFolder}),
    CaseName);

// A stale cache that cannot be set aside stays, and the user is told.
TEST(CMakeStaleCacheTest, KeptWhereItsBackupNameIsTaken) {
  TempDir tmp;
  RecordingUi ui;
  const std::string dir = tmp / "lumen";
  ASSERT_TRUE(CopyTree(Example("cmake-blinky"), dir));
  const std::string cache = Join(dir, "build/Debug/CMakeCache.txt");
  WriteFile(cache + ".bak", "older");
  Family family;
  family.kind = FamilyKind::kCMake;
  family.old_name = "lumen";
  RewriteBatch batch(NativeFileSystem());
  RewriteCMakeProject(
      dir, family, RewriteValues{.new_name = "pump", .new_path = {}, .new_dir = {}, .old_dir = {}},
      ui, batch);
  batch.Commit();
  EXPECT_EQ(ReadFile(cache), ReadFile(Example("cmake-blinky/build/Debug/CMakeCache.txt")));
  EXPECT_EQ(ReadFile(cache + ".bak"), "older");
  EXPECT_EQ(batch.warnings(),
            (std::vector<RewriteWarning>{
                {cache,
                 "Was written for another folder, which CMake refuses, and cannot be deleted: "
                 "please delete it manually"}}));
}

// One file of a small project and the line it must become when "lumen"
// (with the context "CM4") is renamed to the row's new name.
struct LineCase {
  std::string label;
  std::string file;  // "/" between levels
  std::string line;
  std::string want = {};  // empty: the line stays
  std::string new_name = "pump";
  bool warned = false;
};

class CMakeLineTest : public ::testing::TestWithParam<LineCase> {
 protected:
  TempDir tmp_;
  RecordingUi ui_;
};

TEST_P(CMakeLineTest, OnlyTheNamingTokensFollow) {
  const LineCase& c = GetParam();
  // The .ioc follows the name, and Windows makes no file of a name with '"'.
  if (kNativeStyle == PathStyle::kWindows && c.new_name.find('"') != std::string::npos)
    GTEST_SKIP() << "no file name on Windows";
  const std::string dir = tmp_ / "lumen";
  WriteFile(Join(dir, "CMakeLists.txt"), "set(CMAKE_PROJECT_NAME lumen)\n");
  WriteFile(Join(dir, "cmake/stm32cubemx/CMakeLists.txt"), "");
  WriteFile(Join(dir, "lumen.ioc"), "ProjectManager.ProjectName=lumen\n");
  WriteFile(Join(dir, "CM4/CMakeLists.txt"), "project(lumen_CM4)\n");
  const std::string path = Join(dir, c.file);
  WriteFile(path, c.line + "\r\n");

  Family family;
  family.kind = FamilyKind::kCMake;
  family.old_name = ReadCMakeProjectName(dir);
  ASSERT_EQ(family.old_name, "lumen");
  RewriteBatch batch(NativeFileSystem());
  RewriteCMakeProject(
      dir, family,
      RewriteValues{.new_name = c.new_name, .new_path = {}, .new_dir = {}, .old_dir = {}}, ui_,
      batch);
  const std::vector<RewriteWarning> warnings = batch.warnings();
  batch.Commit();

  EXPECT_EQ(ReadFile(path), (c.want.empty() ? c.line : c.want) + "\r\n");
  EXPECT_EQ(!warnings.empty(), c.warned);
  if (c.file.ends_with(".json")) {
    EXPECT_TRUE(nlohmann::json::accept(ReadFile(path)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CMakeLineTest,
    ::testing::Values(
        LineCase{"SetName", "CMakeLists.txt", "set(CMAKE_PROJECT_NAME lumen)",
                 "set(CMAKE_PROJECT_NAME pump)"},
        LineCase{"QuotedAndSpaced", "CMakeLists.txt", "  SET ( CMAKE_PROJECT_NAME \t\"lumen\" )",
                 "  SET ( CMAKE_PROJECT_NAME \t\"pump\" )"},
        LineCase{"ComputedStaysAndIsWarned", "CMakeLists.txt", "set(CMAKE_PROJECT_NAME ${APP_TAG})",
                 "", "pump", true},
        LineCase{"TrailingCommentStays", "CMakeLists.txt",
                 "set(CMAKE_PROJECT_NAME lumen) # lumen stays",
                 "set(CMAKE_PROJECT_NAME pump) # lumen stays"},
        LineCase{"NameWithABlankIsQuotedAndWarned", "CMakeLists.txt",
                 "set(CMAKE_PROJECT_NAME lumen)", "set(CMAKE_PROJECT_NAME \"my \\\"pump\\\"\")",
                 "my \"pump\"", true},
        LineCase{"ContextName", "CM4/CMakeLists.txt", "set(CMAKE_PROJECT_NAME lumen_CM4)",
                 "set(CMAKE_PROJECT_NAME pump_CM4)"},
        LineCase{"ContextKeepsItsNameForANoTargetName", "CM4/CMakeLists.txt",
                 "set(CMAKE_PROJECT_NAME lumen_CM4)", "", "my pump", true},
        LineCase{"ContextSourceStays", "CM4/CMakeLists.txt", "    Core/Src/lumen_CM4.c"},
        LineCase{"ContextImage", "CM4/CMakeLists.txt", "# CM4/build/lumen_CM4.elf",
                 "# CM4/build/pump_CM4.elf"},
        LineCase{"LongerNameStays", "CM4/CMakeLists.txt", "add_library(lumen_CM4_hal lumen_CM4x)"},
        LineCase{"GeneratedPathAndName", "mx-generated.cmake",
                 "ExternalProject_Add(lumen_CM4 BUILD_BYPRODUCTS ${D}/CM4/build/lumen_CM4.hex)",
                 "ExternalProject_Add(pump_CM4 BUILD_BYPRODUCTS ${D}/CM4/build/pump_CM4.hex)"},
        LineCase{"ProjectNameOutsideTheContextsStays", "mx-generated.cmake",
                 "message(lumen lumen_CM7)"},
        LineCase{"LaunchImageOnly", ".vscode/launch.json",
                 R"({"name": "lumen", "executable": "build\\Debug\\lumen.elf"})",
                 R"({"name": "lumen", "executable": "build\\Debug\\pump.elf"})"},
        LineCase{"LaunchNameEscaped", ".vscode/launch.json",
                 R"({"executable": "build/Debug/lumen.elf"})",
                 R"({"executable": "build/Debug/pu\"mp.elf"})", "pu\"mp", true},
        LineCase{"TaskContextImage", ".vscode/tasks.json",
                 R"({"args": ["program CM4/build/lumen_CM4.bin"], "label": "lumen.c"})",
                 R"({"args": ["program CM4/build/pump_CM4.bin"], "label": "lumen.c"})"},
        LineCase{"FolderNamedImageIsWarned", ".vscode/launch.json",
                 R"({"executable": "build/${workspaceFolderBasename}.elf"})", "", "pump", true},
        LineCase{"OpenOcdImage", "openocd.cfg", "program build/Debug/lumen.map",
                 "program build/Debug/pump.map"},
        LineCase{"OpenOcdOtherFileStays", "openocd.cfg", "source lumen.tcl"},
        LineCase{"IdeaName", ".idea/.name", "lumen", "pump"}),
    ::kelvandor::testing::ParamLabel());

// What the clean-up leaves of a copy renamed with CleanUp, relative to it.
struct CleanCase {
  std::string label;
  std::string example;
  std::vector<std::pair<std::string, std::string>> added;  // written into the copy first
  Tree gone;                                               // everything else stays
};

class CMakeCleanUpTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CMakeCleanUpTest, RemovesWhatCMakeRegenerates) {
  const CleanCase& c = GetParam();
  TempDir tmp;
  RecordingUi ui;
  const std::string dir = Join(tmp.path(), c.example);
  ASSERT_TRUE(CopyTree(Example(c.example), dir));
  for (const auto& [rel, content] : c.added) WriteFile(Join(dir, rel), content);
  const Tree before = ListTree(dir);
  ProjectState state;
  AnalysisConfig config;
  config.exe_dir = tmp / "bin";
  ASSERT_TRUE(NewInput(dir, config, state, ui, 0).ok);
  RenamePlan plan{
      .new_path = tmp.path() + SeparatorString(), .new_dir = c.example, .new_name = state.new_name};
  CleanUpProject(state.project, plan, NativeFileSystem());

  Tree expected;
  for (const std::string& rel : before) {
    const bool gone = std::any_of(c.gone.begin(), c.gone.end(), [&](const std::string& g) {
      return rel == g || (g.ends_with("/") && rel.starts_with(g));
    });
    if (!gone) expected.push_back(rel);
  }
  EXPECT_EQ(ListTree(dir), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CMakeCleanUpTest,
    ::testing::Values(
        CleanCase{"EveryPresetAndTheIndex", "cmake-blinky", {}, {"build/", ".cache/"}},
        CleanCase{"EachContextsBuild",
                  "cmake-dual",
                  {},
                  {"build/", "CM4/build/", "CM7/build/", "mx.scratch"}},
        CleanCase{"InSourceBuild",
                  "cmake-blinky",
                  {{"CMakeCache.txt", "CMAKE_CACHEFILE_DIR:INTERNAL=/x\n"},
                   {"CMakeFiles/lumen.dir/main.c.obj", ""},
                   {"build.ninja", ""},
                   {".ninja_deps", ""},
                   {"cmake_install.cmake", ""},
                   {"lumen.elf", ""},
                   {"lumen.hex", ""}},
                  {"build/", ".cache/", "CMakeCache.txt", "CMakeFiles/", "build.ninja",
                   ".ninja_deps", "cmake_install.cmake", "lumen.elf", "lumen.hex"}},
        // Without an in-source cache, the files beside the sources are the user's.
        CleanCase{"NoCacheNoInSourceBuild",
                  "cmake-blinky",
                  {{"Makefile", "all:\n"}, {"lumen.elf", ""}},
                  {"build/", ".cache/"}}),
    ::kelvandor::testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
