#include "app/win32/win32_window.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include <commctrl.h>
#include <shellapi.h>

#include "app/run_guarded.h"
#include "app/win32/resource.h"
#include "app/win32/win32_dpi.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_user_interface.h"

namespace kelvandor::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"KelvandorTForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_ACCEPTFILES;
constexpr int kFirstControlId = 100;
// Posted whenever the window becomes active; the model acts on the first.
constexpr UINT kActivateMessage = WM_APP + 1;

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFont(std::wstring_view face) {
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// The window's font where the system has it, else the dialog font that
// Windows maps to its own current face.
UniqueFont MakeFont(int dpi) {
  static const std::wstring face =
      HasFont(Wide(kWindowFontName)) ? Wide(kWindowFontName) : std::wstring(L"MS Shell Dlg 2");
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(kWindowFontPoints, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&font));
}

UniqueIcon ProgramIcon(int size) {
  return UniqueIcon(static_cast<HICON>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_KELVANDOR), IMAGE_ICON, size, size, 0)));
}

// The shell's picture of an open folder.
UniqueIcon FolderIcon() {
  SHFILEINFOW info = {};
  const DWORD_PTR found =
      SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                     SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON);
  return UniqueIcon(found ? info.hIcon : nullptr);
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

struct TForm1::Resources {
  UniqueFont font;
  UniqueIcon folder = FolderIcon();
  UniqueIcon big_icon;
  UniqueIcon small_icon;
};

TForm1::TForm1(WindowStart start, UserInterface* ui)
    : start_(std::move(start)),
      own_ui_(ui ? nullptr : std::make_unique<Win32UserInterface>()),
      ui_(ui ? *ui : *own_ui_),
      model_(ui_, start_.unzip_wait_ms, start_.FileSystemToUse()),
      resources_(std::make_unique<Resources>()) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(Instance(), kWindowClass, &wc)) {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
  }
  // FormCreate's first step: accepting dropped files is the extended style.
  window_ = CreateWindowExW(kExStyle, kWindowClass, Wide(kWindowCaption).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, Instance(), this);
  if (!window_) throw std::runtime_error("cannot create the window");
  if (own_ui_) own_ui_->set_window(window_);
  BuildControls();
  Layout(DpiOf(window_));
  Centre();
  WriteBack();  // the controls start as the model's
  Mapped([&] { model_.FormCreate(start_.exe_dir, start_.locations); });
}

TForm1::~TForm1() {
  if (window_) DestroyWindow(window_);
}

HWND TForm1::Control(std::string_view name) const {
  for (const Bound& bound : controls_) {
    if (bound.layout->name == name) return bound.control;
  }
  return nullptr;
}

void TForm1::BuildControls() {
  int id = kFirstControlId;
  for (const ControlLayout& row : FormLayout()) {
    const wchar_t* window_class = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    switch (row.kind) {
      case ControlKind::kGroup:
        style |= BS_GROUPBOX;
        break;
      case ControlKind::kLabel:
        window_class = L"STATIC";
        style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
        break;
      case ControlKind::kEdit:
        window_class = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kCheckBox:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case ControlKind::kButton:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::kSpeedButton:
        style |= WS_TABSTOP | BS_PUSHBUTTON | BS_ICON;
        break;
    }
    HWND control = CreateWindowExW(
        ex_style, window_class, Wide(CaptionWithShortcut(row)).c_str(), style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), Instance(), nullptr);
    controls_.push_back({&row, control, std::wstring()});
    if (row.kind == ControlKind::kGroup) {
      // Below what it frames, for painting and for the mouse.
      SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (row.kind == ControlKind::kSpeedButton) {
      SendMessageW(control, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(resources_->folder.get()));
    }
    if (row.handler == Handler::Edit_New_WspPrjKeyUp) {
      SetWindowSubclass(control, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    if (!row.hint.empty()) {
      if (!tooltip_) {
        tooltip_ =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, Instance(), nullptr);
      }
      std::wstring hint = Wide(row.hint);
      TOOLINFOW tool = {};
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = window_;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
      tool.lpszText = hint.data();
      SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
}

void TForm1::Layout(int dpi) {
  UniqueFont font = MakeFont(dpi);
  for (const Bound& bound : controls_) {
    const ClientRect rect = ClientRectOf(*bound.layout);
    MoveWindow(bound.control, Scaled(rect.x, dpi), Scaled(rect.y, dpi), Scaled(rect.width, dpi),
               Scaled(rect.height, dpi), FALSE);
    SendMessageW(bound.control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  }
  resources_->font = std::move(font);  // the old one is no longer in use

  resources_->big_icon = ProgramIcon(GetSystemMetrics(SM_CXICON));
  resources_->small_icon = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(resources_->big_icon.get()));
  SendMessageW(window_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(resources_->small_icon.get()));

  const RECT outer = OuterRect({0, 0, Scaled(kWindowWidth, dpi), Scaled(kWindowHeight, dpi)},
                               kStyle, kExStyle, dpi);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

void TForm1::Centre() {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT frame = {};
  GetWindowRect(window_, &frame);
  const RECT& work = monitor.rcWork;
  SetWindowPos(window_, nullptr,
               work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
               work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::Show(int show_command) {
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  // Some window systems never activate a window on their own; the model
  // handles the command line once, whichever comes first.
  PostMessageW(window_, kActivateMessage, 0, 0);
}

int TForm1::Run(int show_command) {
  Show(show_command);
  MSG message = {};
  while (window_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window_ && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

const TForm1::Bound* TForm1::BoundTo(HWND control) const {
  for (const Bound& bound : controls_) {
    if (bound.control == control) return &bound;
  }
  return nullptr;
}

void TForm1::Gather() {
  FormControls& c = model_.controls();
  HWND focus = GetFocus();
  c.focus.clear();
  for (Bound& bound : controls_) {
    const ControlLayout& row = *bound.layout;
    if (bound.control == focus) c.focus = std::string(row.name);
    if (row.edit) {
      const std::wstring text = TextOf(bound.control);
      if (text != bound.shown) (c.*row.edit).text = Narrow(text);
    } else if (row.check_box && row.handler == Handler::kNone) {
      // The boxes with a handler reach the model through its setters.
      (c.*row.check_box).ticked = SendMessageW(bound.control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
  }
}

void TForm1::WriteBack() {
  if (!window_) return;
  const FormControls& c = model_.controls();
  for (Bound& bound : controls_) {
    const ControlLayout& row = *bound.layout;
    if (row.edit) {
      const EditState& edit = c.*row.edit;
      std::wstring text = Wide(edit.text);
      if (TextOf(bound.control) != text) SetWindowTextW(bound.control, text.c_str());
      bound.shown = std::move(text);
      SendMessageW(bound.control, EM_SETREADONLY, edit.read_only, 0);
      InvalidateRect(bound.control, nullptr, TRUE);  // its colour may have changed
    } else if (row.check_box) {
      const CheckBoxState& box = c.*row.check_box;
      SendMessageW(bound.control, BM_SETCHECK, box.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
      EnableWindow(bound.control, box.enabled);
    } else if (row.button) {
      EnableWindow(bound.control, (c.*row.button).enabled);
    }
  }
  if (!c.focus.empty()) {
    HWND wanted = Control(c.focus);
    if (wanted && wanted != GetFocus()) SetFocus(wanted);
  }
}

template <typename Call>
void TForm1::Mapped(Call&& call) {
  Gather();
  std::forward<Call>(call)();
  WriteBack();
  // A Close answered Yes during the run closes the window once it ended.
  if (model_.CloseAfterRun() && window_) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void TForm1::FormActivate() {
  // Later activations, also those when one of the handler's own message
  // boxes closes, leave the model and the controls alone.
  if (activated_) return;
  activated_ = true;
  AfterActivate after = AfterActivate::kStayOpen;
  Mapped([&] { after = model_.FormActivate(start_.command_line); });
  if (after == AfterActivate::kClose) Close();
}

void TForm1::WMDropFiles(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  const std::optional<std::string> first = ProgramPathOf(paths.front());
  if (!first) {
    ui_.ShowMessage(UnusablePathMessage(paths.front()));
    return;
  }
  Mapped([&] { model_.WMDropFiles({*first}); });
}

void TForm1::Command(const Bound& bound) {
  const Handler handler = bound.layout->handler;
  if (handler == Handler::Button_CloseClick) return Close();
  if (handler == Handler::kNone) return;
  const bool ticked = bound.layout->kind == ControlKind::kCheckBox &&
                      SendMessageW(bound.control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  Mapped([&] { RunHandler(model_, handler, ticked); });
}

LRESULT TForm1::FieldColours(HDC dc, HWND control) {
  const Bound* bound = BoundTo(control);
  if (!bound || !bound->layout->edit) {
    return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  }
  COLORREF colour = GetSysColor(COLOR_WINDOW);
  HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
  switch ((model_.controls().*bound->layout->edit).colour) {
    case FieldColour::kWindow:
      break;
    case FieldColour::kWhite:
      colour = RGB(0xFF, 0xFF, 0xFF);
      brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      break;
    case FieldColour::k3DLight:
      colour = GetSysColor(COLOR_3DLIGHT);
      brush = GetSysColorBrush(COLOR_3DLIGHT);
      break;
  }
  SetBkColor(dc, colour);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(brush);
}

void TForm1::Close() {
  if (window_) SendMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  // Nothing may unwind through the system's frames.
  LRESULT result = 0;
  RunGuarded(self->ui_, [&] { result = self->HandleMessage(message, wparam, lparam); });
  return result;
}

LRESULT CALLBACK TForm1::EditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                  DWORD_PTR self) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, EditProc, 0);
  const LRESULT result = DefSubclassProc(edit, message, wparam, lparam);
  if (message == WM_KEYUP) {
    auto* form = reinterpret_cast<TForm1*>(self);
    if (const Bound* bound = form->BoundTo(edit)) form->Command(*bound);
  }
  return result;
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (lparam != 0 && HIWORD(wparam) == BN_CLICKED) {
        if (const Bound* bound = BoundTo(reinterpret_cast<HWND>(lparam))) Command(*bound);
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return FieldColours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DROPFILES: {
      auto* drop = reinterpret_cast<HDROP>(wparam);
      std::vector<std::wstring> paths;
      if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        // Only the first item counts; its path may be of any length.
        std::wstring first(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
        first.resize(DragQueryFileW(drop, 0, first.data(), static_cast<UINT>(first.size())));
        paths.push_back(std::move(first));
      }
      DragFinish(drop);
      WMDropFiles(paths);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        last_focus_ = GetFocus();
      } else {
        HWND focus = last_focus_ && IsChild(window_, last_focus_)
                         ? last_focus_
                         : GetNextDlgTabItem(window_, nullptr, FALSE);
        if (focus) SetFocus(focus);
        PostMessageW(window_, kActivateMessage, 0, 0);
      }
      return 0;
    case kActivateMessage:
      FormActivate();
      return 0;
    case WM_SETCURSOR:
      if (own_ui_ && own_ui_->busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(resources_->font.get());
    case WM_DPICHANGED: {
      Layout(HIWORD(wparam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      // During a run: asks whether to stop it; the window stays meanwhile.
      if (!model_.FormCloseQuery()) return 0;
      model_.FormClose();
      DestroyWindow(window_);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(window_, message, wparam, lparam);
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace kelvandor::win32
