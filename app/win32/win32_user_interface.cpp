#include "app/win32/win32_user_interface.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

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

// A small window owned by the main window: a line of text and a bar.
class ProgressWindow {
 public:
  explicit ProgressWindow(HWND owner) {
    static const ATOM window_class = [] {
      WNDCLASSEXW wc = {};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = L"KelvandorProgress";
      return RegisterClassExW(&wc);
    }();
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

HWND Win32UserInterface::progress_window() const {
  return progress_ ? progress_->window() : nullptr;
}

}  // namespace kelvandor::win32
