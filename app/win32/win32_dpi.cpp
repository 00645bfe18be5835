#include "app/win32/win32_dpi.h"

namespace kelvandor::win32 {
namespace {

// Looked up by name: both calls exist from Windows 10 (1607) on only.
template <typename Function>
Function User32(const char* name) {
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

int DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (window && get_dpi_for_window) {
    if (const UINT dpi = get_dpi_for_window(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

RECT OuterRect(RECT client, DWORD style, DWORD ex_style, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust_for_dpi || !adjust_for_dpi(&client, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&client, style, FALSE, ex_style);
  }
  return client;
}

}  // namespace kelvandor::win32
