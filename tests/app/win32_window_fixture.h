#pragma once

// Drives the native Windows window as the user would, through its messages:
// drops from the shell, clicks, typed text and key releases. What the
// window would show goes to a RecordingUi.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/win32/win32_text.h"
#include "app/win32/win32_window.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::testing {

// A drop of `paths` as the shell hands it over; the window frees it.
inline HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    out = std::copy(path.begin(), path.end(), out);
    *out++ = L'\0';
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// Handles whatever the window has posted to itself.
inline void PumpMessages() {
  MSG message = {};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class Win32WindowTest : public ::testing::Test {
 protected:
  void Open(CommandLine command_line = {}) {
    window_ = std::make_unique<win32::TForm1>(WindowStart{exe_dir_, std::move(command_line), 0, {}},
                                              &ui_);
    window_->Show();
    PumpMessages();
  }

  HWND Find(const char* name) {
    HWND control = window_->Control(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  std::wstring WideText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  std::string Text(const char* name) { return win32::Narrow(WideText(Find(name))); }
  bool Checked(const char* name) {
    return SendMessageW(Find(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  void Click(const char* name) {
    SendMessageW(Find(name), BM_CLICK, 0, 0);
    PumpMessages();
  }

  // Replaces the text of an edit field and releases a key in it.
  void Type(const char* name, const std::string& text) {
    HWND edit = Find(name);
    SetWindowTextW(edit, win32::Wide(text).c_str());
    SendMessageW(edit, WM_KEYUP, 'A', 0xC0000001);
  }

  void Drop(const std::vector<std::wstring>& paths) {
    SendMessageW(window_->window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    PumpMessages();
  }
  void Drop(const std::string& path) { Drop(std::vector<std::wstring>{win32::Wide(path)}); }

  // A copy of a sample project at `dir`.
  std::string Sample(const std::string& name, const std::string& dir) {
    MakeDirs(FolderPart(dir));
    EXPECT_TRUE(CopyTree(Example(name), dir));
    return dir;
  }
  static std::string Example(const std::string& name) {
    return std::string(KELVANDOR_EXAMPLES_DIR) + Separator() + name;
  }

  TempDir tmp_;
  CurrentDirGuard cwd_;
  std::string exe_dir_ = tmp_ / "bin";
  RecordingUi ui_;
  std::unique_ptr<win32::TForm1> window_;
};

}  // namespace kelvandor::testing
