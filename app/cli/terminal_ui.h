#pragma once

// What the command-line program shows: every message on standard error, one
// line each, in the words the window uses; the one question answered by
// --yes, asked on a terminal, or answered No; a one-line progress bar for a
// long copy when standard error is a terminal.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/user_interface.h"

namespace kelvandor::cli {

class TerminalUi : public UserInterface {
 public:
  // `in` and `err` are the streams used; `interactive` says whether
  // questions may be asked on `in`, `show_progress` whether `err` is a
  // terminal.
  TerminalUi(std::FILE* in, std::FILE* err, bool assume_yes, bool interactive, bool show_progress);

  void ShowMessage(std::string_view text) override;
  void ShowResult(std::string_view text) override;
  bool Confirm(std::string_view question) override;
  std::optional<std::string> ChooseFolder(std::string_view start_folder) override;
  void SetBusy(bool busy) override;
  void CopyProgress(std::uint64_t done, std::uint64_t total) override;

 private:
  void EndProgressLine();

  std::FILE* in_ = nullptr;
  std::FILE* err_ = nullptr;
  bool assume_yes_ = false;
  bool interactive_ = false;
  bool show_progress_ = false;
  bool progress_shown_ = false;
  int last_percent_ = -1;
};

}  // namespace kelvandor::cli
