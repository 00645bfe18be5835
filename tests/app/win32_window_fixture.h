#pragma once

// Drives the native Windows window as the user would, through its messages:
// drops from the shell, clicks, typed text and key releases. What the
// window would show goes to a RecordingUi.

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/win32/win32_dpi.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_window.h"
#include "tests/app/window_workflow_suite.h"

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

// A control's window class, in lower case.
inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return CharLowerW(name);
}

class Win32WindowDriver : public WindowDriver {
 public:
  void Open(CommandLine command_line = {}) {
    window_ = std::make_unique<win32::TForm1>(Start(std::move(command_line)), &ui_);
    window_->Show();
    PumpMessages();
  }

  void Drop(const std::vector<std::wstring>& paths) {
    SendMessageW(window_->window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    PumpMessages();
  }
  void Drop(const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const std::string& path : paths) wide.push_back(win32::Wide(path));
    Drop(wide);
  }

  // Replaces the text of an edit field and releases a key in it.
  void Type(const char* name, const std::string& text) {
    HWND edit = Find(name);
    SetWindowTextW(edit, win32::Wide(text).c_str());
    SendMessageW(edit, WM_KEYUP, 'A', 0xC0000001);
  }
  void Click(const char* name) {
    SendMessageW(Find(name), BM_CLICK, 0, 0);
    PumpMessages();
  }

  std::string Text(const char* name) { return win32::Narrow(WideText(Find(name))); }
  bool Checked(const char* name) {
    return SendMessageW(Find(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  bool Enabled(const char* name) { return IsWindowEnabled(Find(name)); }
  bool Focused(const char* name) { return GetFocus() == Find(name); }
  bool Closed() { return window_->closed(); }
  FormModel& model() { return window_->model(); }

  std::optional<BuiltControl> Built(const ControlLayout& row) {
    HWND control = window_->Control(row.name);
    if (!control) return std::nullopt;
    BuiltControl built;
    const std::wstring type = ClassOf(control);
    const LONG_PTR button = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == L"edit") {
      built.kind = ControlKind::kEdit;
    } else if (type == L"button") {
      built.kind = button == BS_GROUPBOX                               ? ControlKind::kGroup
                   : button == BS_AUTOCHECKBOX                         ? ControlKind::kCheckBox
                   : button != BS_PUSHBUTTON                           ? ControlKind::kLabel
                   : SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0) ? ControlKind::kSpeedButton
                                                                       : ControlKind::kButton;
    } else if (type != L"static") {
      return std::nullopt;
    }
    if (built.kind != ControlKind::kEdit) built.caption = win32::Narrow(WideText(control));
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_->window();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    wchar_t hint[128] = {};
    tool.lpszText = hint;
    SendMessageW(window_->tooltip(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    built.hint = win32::Narrow(hint);
    RECT box = {};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, window_->window(), reinterpret_cast<POINT*>(&box), 2);
    built.place = {box.left, box.top, box.right - box.left, box.bottom - box.top};
    return built;
  }
  ClientRect Pixels(ClientRect rect) {
    const int dpi = win32::DpiOf(window_->window());
    return {win32::Scaled(rect.x, dpi), win32::Scaled(rect.y, dpi), win32::Scaled(rect.width, dpi),
            win32::Scaled(rect.height, dpi)};
  }

  HWND Find(const char* name) {
    HWND control = window_->Control(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  static std::wstring WideText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  std::unique_ptr<win32::TForm1> window_;
};

class Win32WindowTest : public ::testing::Test, public Win32WindowDriver {};

}  // namespace kelvandor::testing
