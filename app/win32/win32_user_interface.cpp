#include "app/win32/win32_user_interface.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>
#include <shlobj.h>

#include "app/report_text.h"
#include "app/win32/win32_dpi.h"
#include "app/win32/win32_text.h"
#include "platform/file_system.h"

namespace kelvandor::win32 {
namespace {

constexpr std::string_view kCreateQuestion = "The specified directory does not exist. Create it?";

void ShowBox(HWND owner, std::string_view caption, std::string_view text) {
  MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK);
}

bool AskYesNo(HWND owner, std::string_view question) {
  return MessageBoxW(owner, Wide(question).c_str(), Wide(kConfirmCaption).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring PathOf(PCIDLIST_ABSOLUTE item) {
  wchar_t path[MAX_PATH] = {};
  return item && SHGetPathFromIDListW(item, path) ? std::wstring(path) : std::wstring();
}

// Keeps COM initialised for the folder dialog of the new style.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_ = E_FAIL;
};

// What the folder dialog's callback knows and decides.
struct FolderDialogState {
  std::wstring start;
  std::wstring selected;   // the folder chosen in the tree
  std::wstring to_create;  // a typed folder the user agreed to create
};

int CALLBACK FolderDialogCallback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
  auto& state = *reinterpret_cast<FolderDialogState*>(data);
  switch (message) {
    case BFFM_INITIALIZED:
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(state.start.c_str()));
      break;
    case BFFM_SELCHANGED:
      state.selected = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(param));
      break;
    case BFFM_VALIDATEFAILEDW: {
      // The typed text names no folder. Nonzero keeps the dialog open.
      const std::wstring folder =
          TypedFolder(state.selected, reinterpret_cast<const wchar_t*>(param));
      if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return 1;  // nothing typed, or a file, which is no folder to choose
      }
      if (!AskYesNo(dialog, kCreateQuestion)) return 1;
      state.to_create = folder;
      return 0;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace

std::wstring TypedFolder(std::wstring_view selected, std::wstring_view typed) {
  while (!typed.empty() && IsBlank(typed.front())) typed.remove_prefix(1);
  while (!typed.empty() && IsBlank(typed.back())) typed.remove_suffix(1);
  if (typed.empty()) return {};
  const bool drive = typed.size() >= 2 && typed[1] == L':';
  const bool share = typed.starts_with(L"\\\\");
  if (drive || share) return std::wstring(typed);
  if (typed.front() == L'\\') {
    const std::wstring_view root =
        selected.size() >= 2 && selected[1] == L':' ? selected.substr(0, 2) : std::wstring_view();
    return std::wstring(root) + std::wstring(typed);
  }
  std::wstring folder(selected);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + std::wstring(typed);
}

namespace {

// The class of a window of the dialogs' colour, registered once by its caller.
ATOM RegisterOwnClass(const wchar_t* name, WNDPROC procedure, const wchar_t* cursor) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

}  // namespace

// A small window owned by the main window: a line of text and a bar.
class ProgressWindow {
 public:
  explicit ProgressWindow(HWND owner) {
    static const ATOM window_class =
        RegisterOwnClass(L"KelvandorProgress", DefWindowProcW, IDC_WAIT);
    const int dpi = DpiOf(owner);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    const DWORD ex_style = WS_EX_DLGMODALFRAME;
    const RECT client{0, 0, Scaled(320, dpi), Scaled(72, dpi)};
    const RECT outer = OuterRect(client, style, ex_style, dpi);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    RECT area{};
    if (owner) {
      GetWindowRect(owner, &area);
    } else {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    window_ =
        CreateWindowExW(ex_style, MAKEINTATOM(window_class), Wide(kAppTitle).c_str(), style,
                        (area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2,
                        width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    const int margin = Scaled(12, dpi);
    HWND label = CreateWindowExW(0, L"STATIC", L"Copying the project ...", WS_CHILD | WS_VISIBLE,
                                 margin, margin, client.right - 2 * margin, Scaled(16, dpi),
                                 window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (owner) {
      SendMessageW(label, WM_SETFONT, SendMessageW(owner, WM_GETFONT, 0, 0), FALSE);
    }
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, margin,
                           client.bottom - margin - Scaled(20, dpi), client.right - 2 * margin,
                           Scaled(20, dpi), window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(bar_, PBM_SETRANGE32, 0, kSteps);
  }
  ~ProgressWindow() {
    if (window_) DestroyWindow(window_);
  }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND window() const { return window_; }

  // The thread is busy copying: the window is painted here, not by the
  // message loop.
  void Show(std::uint64_t done, std::uint64_t total) {
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(done * kSteps / total), 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

 private:
  static constexpr int kSteps = 1000;
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
};

// The preview dialog: a read-only rich edit with the text, "Rename" (when
// the plan can run) and "Close" below it, laid out again on every resize.
class PreviewWindow {
 public:
  PreviewWindow(HWND owner, std::string_view title, std::string_view text, bool can_run)
      : owner_(owner) {
    static const HMODULE rich_edit = LoadLibraryW(L"riched20.dll");
    static const ATOM window_class = RegisterOwnClass(L"KelvandorPreview", Procedure, IDC_ARROW);
    dpi_ = DpiOf(owner);
    const DWORD style = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;
    const RECT client{0, 0, Scaled(760, dpi_), Scaled(520, dpi_)};
    const RECT outer = OuterRect(client, style, 0, dpi_);
    window_ =
        CreateWindowExW(0, MAKEINTATOM(window_class), Wide(title).c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, owner,
                        nullptr, GetModuleHandleW(nullptr), this);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    text_ = CreateWindowExW(WS_EX_CLIENTEDGE, rich_edit ? RICHEDIT_CLASSW : L"EDIT", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                            0, 0, 0, 0, window_, nullptr, instance, nullptr);
    if (can_run) {
      rename_ = CreateWindowExW(0, L"BUTTON", L"&Rename",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                                window_, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    }
    close_ = CreateWindowExW(0, L"BUTTON", L"&Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0,
                             0, window_, reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
    font_ = CreateFontW(-MulDiv(9, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        FIXED_PITCH | FF_MODERN, L"Courier New");
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const LPARAM ui_font = SendMessageW(owner, WM_GETFONT, 0, 0);
    for (HWND button : {rename_, close_}) {
      if (button) SendMessageW(button, WM_SETFONT, ui_font, FALSE);
    }
    Fill(text, rich_edit != nullptr);
    Layout();
    if (owner) {
      RECT area{};
      GetWindowRect(owner, &area);
      const int width = outer.right - outer.left;
      const int height = outer.bottom - outer.top;
      SetWindowPos(window_, nullptr, (area.left + area.right - width) / 2,
                   (area.top + area.bottom - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
  }
  ~PreviewWindow() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
  }
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Modal over the owner; true for "Rename".
  bool Run() {
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(rename_ ? rename_ : close_);
    MSG message;
    while (!done_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(window_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (owner_) {
      EnableWindow(owner_, TRUE);
      SetActiveWindow(owner_);
    }
    return run_;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    }
    auto* self = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      switch (message) {
        case WM_SIZE:
          self->Layout();
          return 0;
        case WM_COMMAND:
          if (LOWORD(w) == IDOK && self->rename_) {
            self->run_ = true;
            self->done_ = true;
          } else if (LOWORD(w) == IDCANCEL) {
            self->done_ = true;
          }
          return 0;
        case WM_CLOSE:
          self->done_ = true;
          return 0;
        default:
          break;
      }
    }
    return DefWindowProcW(window, message, w, l);
  }

  void Layout() {
    if (!text_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int margin = Scaled(8, dpi_);
    const int button_width = Scaled(75, dpi_);
    const int button_height = Scaled(25, dpi_);
    const int buttons_y = client.bottom - margin - button_height;
    MoveWindow(text_, margin, margin, client.right - 2 * margin, buttons_y - 2 * margin, TRUE);
    int x = client.right - margin - button_width;
    MoveWindow(close_, x, buttons_y, button_width, button_height, TRUE);
    if (rename_) {
      x -= button_width + margin;
      MoveWindow(rename_, x, buttons_y, button_width, button_height, TRUE);
    }
  }

  // Line by line, each in the colour of its kind where the control can.
  void Fill(std::string_view text, bool rich) {
    std::wstring all;
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (line.ends_with('\r')) line.remove_suffix(1);
      const std::wstring wide = Wide(line) + (text.empty() ? L"" : L"\r\n");
      if (!rich) {
        all += wide;
        continue;
      }
      CHARFORMAT2W format = {};
      format.cbSize = sizeof(format);
      format.dwMask = CFM_COLOR | CFM_BOLD;
      switch (KindOfLine(line)) {
        case ReportLine::kPlain:
          format.dwEffects = CFE_AUTOCOLOR;
          break;
        case ReportLine::kFileName:
          format.dwEffects = CFE_AUTOCOLOR | CFE_BOLD;
          break;
        case ReportLine::kHunk:
          format.crTextColor = RGB(0x00, 0x60, 0x90);
          break;
        case ReportLine::kAdded:
          format.crTextColor = RGB(0x00, 0x70, 0x00);
          break;
        case ReportLine::kRemoved:
          format.crTextColor = RGB(0xB0, 0x00, 0x00);
          break;
      }
      SendMessageW(text_, EM_SETSEL, -1, -1);
      SendMessageW(text_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
      SendMessageW(text_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (!rich) SetWindowTextW(text_, all.c_str());
    SendMessageW(text_, EM_SETSEL, 0, 0);
  }

  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND rename_ = nullptr;
  HWND close_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = kDefaultDpi;
  bool done_ = false;
  bool run_ = false;
};

Win32UserInterface::Win32UserInterface(HWND window, Clock clock)
    : window_(window), clock_(clock ? std::move(clock) : Clock([] { return GetTickCount64(); })) {}

Win32UserInterface::~Win32UserInterface() = default;

void Win32UserInterface::ShowMessage(std::string_view text) { ShowBox(window_, kAppTitle, text); }

void Win32UserInterface::ShowResult(std::string_view text) {
  ShowBox(window_, kResultCaption, text);
}

bool Win32UserInterface::Confirm(std::string_view question) { return AskYesNo(window_, question); }

std::optional<std::string> Win32UserInterface::ChooseFolder(std::string_view start_folder) {
  const ComScope com;
  FolderDialogState state;
  state.start = DirectoryExists(start_folder) ? Wide(start_folder) : CurrentFolder();
  BROWSEINFOW info = {};
  info.hwndOwner = window_;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderDialogCallback;
  info.lParam = reinterpret_cast<LPARAM>(&state);
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  std::wstring folder = state.to_create.empty() ? PathOf(item) : state.to_create;
  CoTaskMemFree(item);
  if (folder.empty()) return std::nullopt;
  // Made in wide characters, so that a typed name the code page lacks gets
  // its short name before it is converted.
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(folder), error);
  std::optional<std::string> path = ProgramPathOf(folder);
  if (!path) ShowMessage(UnusablePathMessage(folder));
  return path;
}

void Win32UserInterface::SetBusy(bool busy) {
  if (busy) {
    ++busy_depth_;
  } else if (busy_depth_ > 0) {
    --busy_depth_;
  }
  SetCursor(LoadCursorW(nullptr, busy_depth_ > 0 ? IDC_WAIT : IDC_ARROW));
  if (window_) {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

void Win32UserInterface::CopyProgress(std::uint64_t done, std::uint64_t total) {
  if (total == 0 || done >= total) {
    progress_.reset();
    copy_started_.reset();
    return;
  }
  const std::uint64_t now = clock_();
  if (!copy_started_) copy_started_ = now;
  if (!progress_ && now - *copy_started_ >= 1000) {
    progress_ = std::make_unique<ProgressWindow>(window_);
  }
  if (progress_) progress_->Show(done, total);
}

bool Win32UserInterface::ShowPreview(std::string_view title, std::string_view text, bool can_run) {
  PreviewWindow preview(window_, title, text, can_run);
  return preview.Run() && can_run;
}

void Win32UserInterface::ShowRunResult(std::string_view text, std::string_view details) {
  constexpr int kDetails = 100;
  const std::wstring caption = Wide(kResultCaption);
  const std::wstring content = Wide(text);
  const TASKDIALOG_BUTTON buttons[] = {{kDetails, L"&Details"}};
  TASKDIALOGCONFIG config = {};
  config.cbSize = sizeof(config);
  config.hwndParent = window_;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = caption.c_str();
  config.pszContent = content.c_str();
  config.pButtons = buttons;
  config.cButtons = 1;
  config.nDefaultButton = IDOK;
  // The box closes at every button; after the details it shows again.
  for (;;) {
    int pressed = IDOK;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
      ShowResult(text);
      return;
    }
    if (pressed != kDetails) return;
    ShowPreview(kDetailsTitle, details, false);
  }
}

HWND Win32UserInterface::progress_window() const {
  return progress_ ? progress_->window() : nullptr;
}

}  // namespace kelvandor::win32
