// The shared window suite through the native Windows window, then what a
// careless or unlucky user may drop onto it.

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
namespace testing {

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowWorkflowTest, Win32WindowDriver);

}  // namespace testing

namespace {

namespace fs = std::filesystem;
using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::Snapshot;
using ::kelvandor::testing::Win32WindowTest;
using ::kelvandor::testing::WriteFile;
using ::kelvandor::testing::WriteZip;

const std::string kSep = SeparatorString();

using Win32WorkflowTest = Win32WindowTest;

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
    Drop({project.native()});
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
  const std::string blinky = Sample("blinky");
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
    Drop({blinky});
    EXPECT_TRUE(ui_.shown.empty());
    EXPECT_TRUE(IsWindowEnabled(Find("Button_Rename")));
  }
}

// A read-only file where the rename wants to write: the rewriter asks for a
// manual check, the file keeps its bytes, nothing beside the project changes.
TEST_F(Win32WorkflowTest, ReadOnlyFileInTheWayOfTheRenameIsKept) {
  const std::string blinky = Sample("blinky");
  const std::string in_the_way = blinky + kSep + "pump.prj";
  WriteFile(in_the_way, "theirs");
  SetFileAttributesW(win32::Wide(in_the_way).c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFile(tmp_ / "work/neighbour.txt", "mine");
  Open();
  Drop({blinky});
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
  Drop({blinky});
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(IsWindowEnabled(Find("Button_Rename")));
}

}  // namespace
}  // namespace kelvandor
