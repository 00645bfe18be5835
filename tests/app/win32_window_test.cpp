// The native Windows window beyond the layout table, the program's
// resources, and its dialogs with the real system boxes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/win32/resource.h"
#include "app/win32/win32_dpi.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_user_interface.h"
#include "platform/file_system.h"
#include "tests/app/win32_window_fixture.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::Win32WindowTest;
using win32::Scaled;
using win32::Wide;

// What the layout table leaves to the window: its caption, size, frame,
// icon and place, the font and the fields' colours.
TEST_F(Win32WindowTest, CaptionSizeFontAndFieldColours) {
  Open();
  HWND window = window_->window();
  const int dpi = win32::DpiOf(window);
  EXPECT_EQ(WideText(window), Wide(kWindowCaption));
  RECT client = {};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Scaled(kWindowWidth, dpi));
  EXPECT_EQ(client.bottom, Scaled(kWindowHeight, dpi));
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "fixed size";
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  // Centred on the work area.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT frame = {};
  GetWindowRect(window, &frame);
  EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
  EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

  // The font, where the system has it, at 8 points.
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Find("Button_Rename"), WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(kWindowFontPoints, dpi, 72));
  // The fields' colours: 3-D light for those that only display.
  HDC dc = CreateCompatibleDC(nullptr);
  const auto background = [&](const char* name) {
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Find(name)));
    return GetBkColor(dc);
  };
  EXPECT_EQ(background("Edit_Old_Wsp"), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(background("Edit_New_Path"), GetSysColor(COLOR_WINDOW));
  DeleteDC(dc);
  EXPECT_NE(GetWindowLongPtrW(Find("Edit_Old_Wsp"), GWL_STYLE) & ES_READONLY, 0);
  EXPECT_EQ(GetWindowLongPtrW(Find("Edit_New_WspPrj"), GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(Win32WindowTest, CopyModeMakesThePathAndFolderWhiteAndEditable) {
  Open();
  Drop({Sample("blinky")});
  Click("CheckBox_CopyProject");
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(window_->window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(Find("Edit_New_Dir")));
  EXPECT_EQ(GetBkColor(dc), RGB(0xFF, 0xFF, 0xFF));
  DeleteDC(dc);
  EXPECT_EQ(GetWindowLongPtrW(Find("Edit_New_Path"), GWL_STYLE) & ES_READONLY, 0);
  Click("CheckBox_RenameFolder");
  EXPECT_FALSE(Checked("CheckBox_CopyProject"));
  EXPECT_NE(GetWindowLongPtrW(Find("Edit_New_Path"), GWL_STYLE) & ES_READONLY, 0);
  Type("Edit_New_WspPrj", "abc");
  EXPECT_EQ(Text("Edit_New_Dir"), "abc");
}

// The version, icon and manifest that Windows reads from kelvandor.exe.
TEST(Win32ProgramFileTest, HasVersionIconAndManifest) {
  const std::wstring program = Wide(KELVANDOR_WINDOW_EXE);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"2.1.03");
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 3));

  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(IDI_KELVANDOR), RT_GROUP_ICON), nullptr);
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
  FreeLibrary(module);
}

// The first visible dialog of `thread`, waited for up to ten seconds.
HWND WaitForDialog(DWORD thread) {
  for (int i = 0; i < 500; ++i) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM out) -> BOOL {
          wchar_t name[16] = {};
          GetClassNameW(window, name, 16);
          if (std::wstring_view(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(20);
  }
  return nullptr;
}

// Waits for the dialog of `thread`, checks its caption, answers it with
// `answer` and returns its message: its one static control with text.
std::wstring AnswerBox(DWORD thread, const wchar_t* caption, int answer) {
  HWND box = WaitForDialog(thread);
  if (!box) return L"(no box)";
  wchar_t title[64] = {};
  GetWindowTextW(box, title, 64);
  std::wstring text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t buffer[256] = {};
        GetClassNameW(child, buffer, 256);
        if (lstrcmpiW(buffer, L"static") != 0 || !GetWindowTextW(child, buffer, 256)) return TRUE;
        *reinterpret_cast<std::wstring*>(found) = buffer;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  PostMessageW(box, WM_COMMAND, answer, 0);
  return std::wstring(title) == caption ? text : L"(caption " + std::wstring(title) + L")";
}

TEST(Win32DialogSmokeTest, RealMessageBoxesAreClosedByTheTest) {
  win32::Win32UserInterface ui;
  const DWORD thread = GetCurrentThreadId();
  std::wstring seen;
  std::thread result([&] { seen = AnswerBox(thread, L"Result", IDOK); });
  ui.ShowResult("Cleaned!");
  result.join();
  EXPECT_EQ(seen, L"Cleaned!");

  std::thread question([&] { seen = AnswerBox(thread, L"Confirm", IDNO); });
  EXPECT_FALSE(ui.Confirm("Project already exist - Delete ?"));
  question.join();
  EXPECT_EQ(seen, L"Project already exist - Delete ?");

  std::thread message([&] { seen = AnswerBox(thread, L"Kelvandor", IDOK); });
  ui.ShowMessage("Input File not found!");
  message.join();
  EXPECT_EQ(seen, L"Input File not found!");

  // The result of a run, with its "Details" beside "OK".
  std::thread run_result([&] { seen = AnswerBox(thread, L"Result", IDOK); });
  ui.ShowRunResult("Finished!", "Files copied: 14 files, 2.0 KiB\n");
  run_result.join();
  EXPECT_EQ(seen, L"Finished!");
}

// The preview window: "Rename" only when the plan can run, and what was
// pressed comes back.
TEST(Win32DialogSmokeTest, PreviewHasRenameOnlyWhenThePlanCanRun) {
  win32::Win32UserInterface ui;
  const DWORD thread = GetCurrentThreadId();
  for (const bool can_run : {true, false}) {
    std::wstring title;
    bool had_rename = false;
    std::thread closer([&] {
      HWND preview = nullptr;
      for (int i = 0; i < 500 && !preview; ++i, Sleep(20)) {
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM out) -> BOOL {
              wchar_t name[32] = {};
              GetClassNameW(window, name, 32);
              if (std::wstring_view(name) != L"KelvandorPreview" || !IsWindowVisible(window))
                return TRUE;
              *reinterpret_cast<HWND*>(out) = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&preview));
      }
      if (!preview) return;
      wchar_t text[64] = {};
      GetWindowTextW(preview, text, 64);
      title = text;
      had_rename = GetDlgItem(preview, IDOK) != nullptr;
      PostMessageW(preview, WM_COMMAND, had_rename ? IDOK : IDCANCEL, 0);
    });
    EXPECT_EQ(ui.ShowPreview(kPreviewTitle, "--- a/x.prj\r\n-old\r\n+new\r\n", can_run), can_run);
    closer.join();
    EXPECT_EQ(title, L"Kelvandor - Preview");
    EXPECT_EQ(had_rename, can_run);
  }
}

// The system's folder dialog opens at the start folder; OK returns it and
// Cancel nothing.
TEST(Win32DialogSmokeTest, FolderDialogOpensAtTheStartFolder) {
  testing::TempDir tmp;
  testing::MakeDirs(tmp / "start");

  win32::Win32UserInterface ui;
  const DWORD thread = GetCurrentThreadId();
  for (const int answer : {IDOK, IDCANCEL}) {
    std::thread closer([&] {
      HWND dialog = WaitForDialog(thread);
      Sleep(200);  // the tree selects the start folder once it is shown
      if (dialog) PostMessageW(dialog, WM_COMMAND, answer, 0);
    });
    const std::optional<std::string> chosen = ui.ChooseFolder(tmp / "start");
    closer.join();
    if (answer == IDOK) {
      EXPECT_EQ(chosen, tmp / "start");
    } else {
      EXPECT_EQ(chosen, std::nullopt);
    }
  }
}

TEST(Win32UserInterfaceTest, HourglassNestsAndTheProgressWindowWaitsOneSecond) {
  std::uint64_t now = 0;
  win32::Win32UserInterface ui(nullptr, [&] { return now; });
  ui.SetBusy(true);
  ui.SetBusy(true);
  ui.SetBusy(false);
  EXPECT_TRUE(ui.busy());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  ui.SetBusy(false);
  EXPECT_FALSE(ui.busy());

  ui.CopyProgress(1, 10);
  now = 999;
  ui.CopyProgress(2, 10);
  EXPECT_EQ(ui.progress_window(), nullptr);
  now = 1000;
  ui.CopyProgress(3, 10);
  HWND progress = ui.progress_window();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_EQ(
      SendMessageW(FindWindowExW(progress, nullptr, PROGRESS_CLASSW, nullptr), PBM_GETPOS, 0, 0),
      300);
  ui.CopyProgress(10, 10);
  EXPECT_EQ(ui.progress_window(), nullptr);
  EXPECT_FALSE(IsWindow(progress));
  // The next copy waits its own second.
  now = 5000;
  ui.CopyProgress(1, 10);
  EXPECT_EQ(ui.progress_window(), nullptr);
}

TEST(Win32FolderDialogTest, TypedTextIsReadAgainstTheChosenFolder) {
  const struct {
    const wchar_t* selected;
    const wchar_t* typed;
    const wchar_t* folder;
  } cases[] = {
      {L"C:\\work", L"new", L"C:\\work\\new"},
      {L"C:\\", L"new\\deeper", L"C:\\new\\deeper"},
      {L"C:\\work", L"  a b ", L"C:\\work\\a b"},
      {L"C:\\work", L"D:\\x\\y", L"D:\\x\\y"},
      {L"C:\\work", L"D:", L"D:"},
      {L"C:\\work", L"\\x", L"C:\\x"},
      {L"C:\\work", L"\\\\server\\share\\x", L"\\\\server\\share\\x"},
      {L"C:\\work", L"   ", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win32::TypedFolder(c.selected, c.typed), c.folder) << c.typed;
  }
}

TEST(Win32TextTest, PathsOutsideTheCodePageAreTakenByTheirShortName) {
  testing::TempDir tmp;
  const std::filesystem::path base = NativePath(tmp.path());
  for (const wchar_t* name : {L"blinky", L"M\u00fcller", L"\u4e2d\u6587\u9879\u76ee"}) {
    const std::filesystem::path folder = base / name;
    std::filesystem::create_directory(folder);
    const std::optional<std::string> path = win32::ProgramPathOf(folder.native());
    ASSERT_TRUE(path.has_value()) << win32::Narrow(name);
    EXPECT_EQ(path->find('?'), std::string::npos) << *path;
    EXPECT_TRUE(DirectoryExists(*path)) << *path;
  }
  EXPECT_EQ(win32::ProgramPathOf((base / L"blinky").native()), tmp / "blinky");
  // A path without an ANSI form that does not exist has no short name either.
  EXPECT_EQ(win32::ProgramPathOf((base / L"\u6ca1\u6709").native()), std::nullopt);
}

}  // namespace
}  // namespace kelvandor
