#pragma once

// UserInterface with the system's own dialogs: message boxes, the Yes/No
// question, the hourglass cursor, a progress window for long copies and the
// folder dialog.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

#include "platform/user_interface.h"

namespace kelvandor::win32 {

// The folder the user means by typing `typed` in the folder dialog while
// `selected` is chosen in its tree: `typed` itself when it names a drive
// ("D:\x", "D:") or a network share, the drive of `selected` followed by
// `typed` when it begins with "\", otherwise `typed` below `selected`. Blanks
// around `typed` do not count; empty when nothing was typed.
std::wstring TypedFolder(std::wstring_view selected, std::wstring_view typed);

class ProgressWindow;

class Win32UserInterface : public UserInterface {
 public:
  // Milliseconds since some fixed moment.
  using Clock = std::function<std::uint64_t()>;

  // `window` owns the dialogs and is repainted with the cursor; it may be
  // set later. Without a clock, GetTickCount64.
  explicit Win32UserInterface(HWND window = nullptr, Clock clock = {});
  ~Win32UserInterface() override;
  Win32UserInterface(const Win32UserInterface&) = delete;
  Win32UserInterface& operator=(const Win32UserInterface&) = delete;

  void set_window(HWND window) { window_ = window; }

  void ShowMessage(std::string_view text) override;
  void ShowResult(std::string_view text) override;
  bool Confirm(std::string_view question) override;
  // Opens at `start_folder`, or at the current folder when that is no
  // folder. A typed folder that does not exist is made, with its parents,
  // once the user agreed.
  std::optional<std::string> ChooseFolder(std::string_view start_folder) override;
  void SetBusy(bool busy) override;
  // The progress window appears once a copy has run for a second.
  void CopyProgress(std::uint64_t done, std::uint64_t total) override;
  // A resizable window over the main window, which is disabled meanwhile.
  bool ShowPreview(std::string_view title, std::string_view text, bool can_run) override;
  // A task dialog "Result" with "OK" and "Details".
  void ShowRunResult(std::string_view text, std::string_view details) override;

  bool busy() const { return busy_depth_ > 0; }
  // The progress window while it is shown, else nullptr.
  HWND progress_window() const;

 private:
  HWND window_ = nullptr;
  Clock clock_;
  int busy_depth_ = 0;
  std::optional<std::uint64_t> copy_started_;
  std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace kelvandor::win32
