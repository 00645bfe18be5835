#pragma once

// Everything the program shows the user, as one small interface: the window
// implements it with real dialogs, the command-line program with standard
// error, and tests with a recorder that answers from a script. Nothing in the
// core opens a dialog of its own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvandor {

// The application title, caption of the plain messages.
inline constexpr std::string_view kAppTitle = "Kelvandor";
// Caption of the result messages (rename, clean-only, recheck).
inline constexpr std::string_view kResultCaption = "Result";
// Title of the one Yes/No question.
inline constexpr std::string_view kConfirmCaption = "Confirm";
// Titles of the dialog that shows a plan before the run, and a run's report
// after it.
inline constexpr std::string_view kPreviewTitle = "Kelvandor - Preview";
inline constexpr std::string_view kDetailsTitle = "Kelvandor - Details";

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message with one OK button and the caption "Kelvandor".
  virtual void ShowMessage(std::string_view text) = 0;
  // A modal message with one OK button and the caption "Result".
  virtual void ShowResult(std::string_view text) = 0;
  // A Yes/No question titled "Confirm" with a question icon; true for Yes.
  virtual bool Confirm(std::string_view question) = 0;
  // The folder dialog opened at `start_folder`; the chosen folder's full
  // path, or nothing on Cancel.
  virtual std::optional<std::string> ChooseFolder(std::string_view start_folder) = 0;
  // The busy (hourglass) cursor on or off; also repaints the window.
  virtual void SetBusy(bool busy) = 0;
  // Progress of a folder copy: `done` of `total` files. Called with
  // done == total when the copy ends.
  virtual void CopyProgress(std::uint64_t done, std::uint64_t total) = 0;
  // A resizable modal dialog titled `title` showing `text` (a plan or a
  // report) in a fixed-width font, its added and removed lines coloured, with
  // a "Close" button and, when `can_run`, a "Rename" button; true when
  // "Rename" was pressed. Without a window there is nothing to show.
  virtual bool ShowPreview(std::string_view /*title*/, std::string_view /*text*/,
                           bool /*can_run*/) {
    return false;
  }
  // The result message of a run, as ShowResult shows it, with a "Details"
  // button that shows `details` (the run's report) in the preview dialog.
  virtual void ShowRunResult(std::string_view text, std::string_view /*details*/) {
    ShowResult(text);
  }
};

// Shows nothing and answers Yes: for a run that is only planned, to see what
// it would do or break.
class SilentUi : public UserInterface {
 public:
  void ShowMessage(std::string_view) override {}
  void ShowResult(std::string_view) override {}
  bool Confirm(std::string_view) override { return true; }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  void SetBusy(bool) override {}
  void CopyProgress(std::uint64_t, std::uint64_t) override {}
};

// Shows the busy cursor for its lifetime, also when an error ends the scope.
class BusyCursor {
 public:
  explicit BusyCursor(UserInterface& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyCursor() { ui_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  UserInterface& ui_;
};

}  // namespace kelvandor
