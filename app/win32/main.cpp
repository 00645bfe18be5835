#include <string>
#include <utility>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/program_folders.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_window.h"
#include "platform/path_style.h"

namespace {

// A path from the system as the program's bytes; where the code page cannot
// hold it and there is no short name, the nearest bytes, which the input
// analysis then reports as not found.
std::string PathArgument(const std::wstring& path) {
  return kelvandor::win32::ProgramPathOf(path).value_or(kelvandor::win32::Narrow(path));
}

std::wstring ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// OLE for the folder dialog, for the life of the program.
class OleScope {
 public:
  OleScope() : result_(OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  HRESULT result_ = E_FAIL;
};

}  // namespace

int main() {
  // Taken before anything can change it: a relative path on the command line
  // means a path below this folder.
  const std::string start_dir = PathArgument(kelvandor::win32::CurrentFolder());
  const OleScope ole;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                         ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  kelvandor::WindowStart start;
  start.exe_dir = kelvandor::FolderPart(PathArgument(ProgramFile()));
  const kelvandor::ProgramFolders folders(start.exe_dir);
  start.locations = folders.locations();
  start.command_line.start_dir = start_dir;
  int count = 0;
  if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      start.command_line.arguments.push_back(PathArgument(arguments[i]));
    }
    LocalFree(arguments);
  }

  kelvandor::win32::TForm1 window(std::move(start));
  return window.Run();
}
