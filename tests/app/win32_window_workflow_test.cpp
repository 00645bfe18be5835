// The rename workflow and the clean-up driven end to end through the native
// Windows window: dropped projects, typed New fields, clicked buttons, and
// the resulting folders checked byte for byte; then what a careless or
// unlucky user may drop onto it.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include <gtest/gtest.h>

#include "app/configuration.h"
#include "app/win32/win32_text.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/app/win32_window_fixture.h"
#include "tests/support/zip_writer.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using ::kelvandor::testing::CrLf;
using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::Snapshot;
using ::kelvandor::testing::Win32WindowTest;
using ::kelvandor::testing::WriteFile;
using ::kelvandor::testing::WriteZip;

const std::string kSep = SeparatorString();

using Win32WorkflowTest = Win32WindowTest;

TEST_F(Win32WorkflowTest, TypicalCopyOfBlinkyToPumpByteForByte) {
  const std::string blinky = Sample("blinky", tmp_ / "work/blinky");
  Open();
  Drop(blinky);
  Click("CheckBox_CopyProject");
  Type("Edit_New_Path", tmp_ / "new");  // without the final separator
  Type("Edit_New_Dir", "pump");
  Type("Edit_New_WspPrj", "pump");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_EQ(Text("Edit_New_Path"), tmp_ / "new" + kSep);
  EXPECT_EQ(ui_.busy_changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(Snapshot(blinky), Snapshot(Example("blinky")));

  const std::string pump = tmp_ / "new/pump";
  EXPECT_EQ(ListTree(pump),
            (std::vector<std::string>{"ABS/", "ABS/blinky.hex", "ABS/pump.mhx", "LST/", "OBJ/",
                                      "OPT/", "pump.prj", "pump.wsp", "src/", "src/led.c",
                                      "src/led.h", "src/main.c"}));
  const std::string folder_line = pump + kSep;
  EXPECT_EQ(
      ReadFile(pump + kSep + "pump.wsp"),
      CrLf({"[Workspace]", "Version=4.2", "WSP=" + folder_line, "FILE-0=pump.prj",
            "ActivePrj=pump.prj", "Layout=2", "", "[SubPrj-pump.prj]", "Open=1", "Target=Debug"}));
  EXPECT_EQ(ReadFile(pump + kSep + "pump.prj"),
            CrLf({"[Project]", "Version=4.2", "PRJ=" + folder_line, "Cpu=ORL16C62", "Memory=near",
                  "Stack=0x100", "", "[Files]", "F1=0 m ABS\\pump.abs", "F2=1 c src\\main.c",
                  "F3=1 c src\\led.c", "", "[Options]", "Include=D:\\work\\pump\\src",
                  "Output=D:\\work\\pump\\OBJ", "List=..\\pump\\LST", "Optimize=2"}));
  for (const char* same : {"ABS/blinky.hex", "src/led.c", "src/led.h", "src/main.c"}) {
    EXPECT_EQ(ReadFile(tmp_ / ("new/pump/" + std::string(same))),
              ReadFile(tmp_ / ("work/blinky/" + std::string(same))))
        << same;
  }
  EXPECT_EQ(ReadFile(pump + kSep + "ABS" + kSep + "pump.mhx"),
            ReadFile(blinky + kSep + "ABS" + kSep + "blinky.mhx"));
}

TEST_F(Win32WorkflowTest, ArchiveIsCopiedToTheConfiguredPathAndTempDirGoesOnClose) {
  WriteFile(ConfigFilePath(exe_dir_), CrLf({"NewPath=" + tmp_ / "out" + kSep}));
  Open();
  Drop(KELVANDOR_DEMO_ARCHIVE);
  EXPECT_TRUE(Checked("CheckBox_CopyProject"));
  EXPECT_FALSE(IsWindowEnabled(Find("CheckBox_CopyProject")));
  EXPECT_FALSE(IsWindowEnabled(Find("Button_CleanOnly")));
  EXPECT_EQ(Text("Edit_New_Path"), tmp_ / "out" + kSep);
  Type("Edit_New_Dir", "demo");
  Type("Edit_New_WspPrj", "demo");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(tmp_ / "out/demo/demo.wsp"));
  EXPECT_TRUE(FileExists(tmp_ / "out/demo/demo.prj"));
  const std::string temp_dir = window_->model().project().temp_dir;
  ASSERT_TRUE(DirectoryExists(temp_dir));
  Click("Button_Close");
  EXPECT_TRUE(window_->closed());
  EXPECT_FALSE(DirectoryExists(temp_dir));
}

TEST_F(Win32WorkflowTest, ExistingTargetIsKeptOnNoAndReplacedOnYes) {
  const std::string blinky = Sample("blinky", tmp_ / "work/blinky");
  WriteFile(tmp_ / "new/pump/keep.txt", "mine");
  Open();
  Drop(blinky);
  Click("CheckBox_CopyProject");
  Type("Edit_New_Path", tmp_ / "new" + kSep);
  Type("Edit_New_Dir", "pump");
  Type("Edit_New_WspPrj", "pump");

  ui_.confirm_answers = {false};
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                           {"Result", "Finished with ERROR(s)"}}));
  EXPECT_EQ(ListTree(tmp_ / "new/pump"), (std::vector<std::string>{"keep.txt"}));

  ui_.shown.clear();
  ui_.confirm_answers = {true};
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                           {"Result", "Finished!"}}));
  EXPECT_FALSE(FileExists(tmp_ / "new/pump/keep.txt"));
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.wsp"));
}

TEST_F(Win32WorkflowTest, CleanOnlyAndTheCleanCommand) {
  Open();
  Click("Button_CleanOnly");  // nothing loaded: still the result
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));

  ui_.shown.clear();
  const std::string project = Sample("blinky", tmp_ / "work/blinky");
  Open({{"clean", project}, tmp_.path()});
  EXPECT_TRUE(window_->closed());
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_FALSE(FileExists(project + kSep + "OBJ" + kSep + "main.obj"));
  EXPECT_TRUE(FileExists(project + kSep + "blinky.prj"));
}

TEST_F(Win32WorkflowTest, DropOfThreeLoadsTheFirstAndFocusesTheName) {
  Open();
  const std::string project = Sample("blinky", tmp_ / "work/blinky");
  Drop({win32::Wide(project), win32::Wide(tmp_ / "work"), win32::Wide(tmp_ / "bin")});
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(Text("Edit_Old_Dir"), "blinky");
  EXPECT_EQ(Text("Edit_Old_Path"), tmp_ / "work" + kSep);
  EXPECT_EQ(Text("Edit_New_WspPrj"), "blinky");
  EXPECT_EQ(GetFocus(), Find("Edit_New_WspPrj"));
  EXPECT_TRUE(IsWindowEnabled(Find("Button_Rename")));
}

// Folders the ANSI code page cannot name (and one it can, beyond ASCII) as
// the project's parent and as the project folder itself.
TEST_F(Win32WorkflowTest, NonAsciiFoldersLoadRenameAndClean) {
  const fs::path base = NativePath(tmp_.path());
  const struct {
    const wchar_t* parent;
    const wchar_t* folder;
  } cases[] = {
      {L"M\u00fcller", L"blinky"},
      {L"\u4e2d\u6587", L"blinky"},
      {L"work", L"\u6cf5"},
  };
  Open();
  for (const auto& c : cases) {
    const fs::path project = base / c.parent / c.folder;
    fs::create_directories(project.parent_path());
    fs::copy(NativePath(Example("blinky")), project, fs::copy_options::recursive);
    ui_.shown.clear();
    Drop(std::vector<std::wstring>{project.native()});
    EXPECT_TRUE(ui_.shown.empty()) << ::testing::PrintToString(ui_.Texts());
    EXPECT_EQ(Text("Edit_Old_Prj"), "blinky");
    Type("Edit_New_WspPrj", "pump");
    Click("Button_Rename");  // in place, with CleanUp
    EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
    EXPECT_TRUE(fs::exists(project / L"pump.prj")) << win32::Narrow(project.native());
    EXPECT_TRUE(fs::exists(project / L"ABS" / L"pump.mhx"));
    EXPECT_FALSE(fs::exists(project / L"blinky.prj"));
    EXPECT_FALSE(fs::exists(project / L"OBJ" / L"main.obj"));
    // The project file names the folder by a path that leads there.
    const std::string folder = win32::ProgramPathOf(project.native()).value_or("?");
    const std::string prj = ReadFile(folder + kSep + "pump.prj");
    const std::size_t at = prj.find("PRJ=") + 4;
    EXPECT_TRUE(IsSameOrInside(prj.substr(at, prj.find('\r', at) - at), folder)) << prj;
  }
}

// Input that is no project, or that cannot be used: the window says why,
// stays usable, and nothing beside the input changes.
struct BadInput {
  const char* name;
  std::function<std::vector<std::wstring>(const testing::TempDir&)> drop;
  std::vector<std::string> messages;
  bool loads = true;  // false: refused before the load, the last project stays
};

TEST_F(Win32WorkflowTest, BadDropsAreReportedAndTheWindowStaysUsable) {
  const std::vector<BadInput> cases = {
      {"FileThatIsNoProject",
       [](const testing::TempDir& tmp) {
         WriteFile(tmp / "notes.txt", "hello");
         return std::vector<std::wstring>{win32::Wide(tmp / "notes.txt")};
       },
       {"Input File not found!"}},
      {"FolderOnAMissingDrive",
       [](const testing::TempDir&) { return std::vector<std::wstring>{L"Q:\\work\\blinky"}; },
       {"Input File not found!"}},
      {"PathOf300Characters",
       [](const testing::TempDir& tmp) {
         return std::vector<std::wstring>{win32::Wide(tmp / std::string(300, 'x'))};
       },
       {"Input File not found!"}},
      {"ThreeHundredItemsTheFirstNoProject",
       [](const testing::TempDir& tmp) {
         std::vector<std::wstring> items(300, win32::Wide(tmp / "work/blinky"));
         items.front() = win32::Wide(tmp / "work/blinky/src");
         return items;
       },
       {"Input File not found!"}},
      {"MissingFolderWithoutAnAnsiName",
       [](const testing::TempDir& tmp) {
         return std::vector<std::wstring>{win32::Wide(tmp.path()) + L"\\\u6ca1\u6709"};
       },
       {"Path has characters outside the ANSI code page and no short name: "},
       false},
      {"ArchiveWithTraversalEntries",
       [](const testing::TempDir& tmp) {
         WriteZip(tmp / "evil.zip",
                  {{"p/p.prj", "[Project]\r\n"}, {"../../outside/evil.txt", "x"}});
         return std::vector<std::wstring>{win32::Wide(tmp / "evil.zip")};
       },
       {"Unzip Error!", "Input File not found!"}},
  };
  Open();
  const std::string blinky = Sample("blinky", tmp_ / "work/blinky");
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.shown.clear();
    Drop(c.drop(tmp_));
    ASSERT_EQ(ui_.shown.size(), c.messages.size());
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(ui_.shown[i].text.substr(0, c.messages[i].size()), c.messages[i]);
    }
    EXPECT_NE(IsWindowEnabled(Find("Button_Rename")), c.loads);
    EXPECT_FALSE(AnythingExists(tmp_ / "outside"));
    EXPECT_FALSE(AnythingExists(tmp_.path() + "\\..\\outside"));
    EXPECT_EQ(Snapshot(blinky), Snapshot(Example("blinky")));
    // Usable: the next drop loads.
    ui_.shown.clear();
    Drop(blinky);
    EXPECT_TRUE(ui_.shown.empty());
    EXPECT_TRUE(IsWindowEnabled(Find("Button_Rename")));
  }
}

// A read-only file where the rename wants to write: the rewriter asks for a
// manual check, the file keeps its bytes, nothing beside the project changes.
TEST_F(Win32WorkflowTest, ReadOnlyFileInTheWayOfTheRenameIsKept) {
  const std::string blinky = Sample("blinky", tmp_ / "work/blinky");
  const std::string in_the_way = blinky + kSep + "pump.prj";
  WriteFile(in_the_way, "theirs");
  SetFileAttributesW(win32::Wide(in_the_way).c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFile(tmp_ / "work/neighbour.txt", "mine");
  Open();
  Drop(blinky);
  Type("Edit_New_WspPrj", "pump");
  Click("Button_Rename");
  ASSERT_FALSE(ui_.shown.empty());
  EXPECT_EQ(ui_.shown.front(), (Shown{"Result", "Please recheck *.PRJ files manually"}));
  EXPECT_EQ(ReadFile(in_the_way), "theirs");
  EXPECT_TRUE(IsReadOnly(in_the_way));
  EXPECT_EQ(ReadFile(blinky + kSep + "blinky.prj"),
            ReadFile(Example("blinky") + kSep + "blinky.prj"));
  EXPECT_EQ(ReadFile(tmp_ / "work/neighbour.txt"), "mine");
  EXPECT_EQ(ListTree(tmp_ / "work").size(), ListTree(blinky).size() + 2);

  ui_.shown.clear();
  Drop(blinky);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(IsWindowEnabled(Find("Button_Rename")));
}

}  // namespace
}  // namespace kelvandor
