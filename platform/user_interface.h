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
