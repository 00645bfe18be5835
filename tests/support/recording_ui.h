#pragma once

// A UserInterface for tests: records everything shown, in order, and answers
// questions and folder dialogs from a script.

#include <cstdint>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace kelvandor::testing {

struct Shown {
  std::string caption;  // "Kelvandor", "Result" or "Confirm"
  std::string text;
  bool operator==(const Shown&) const = default;
};

inline void PrintTo(const Shown& shown, std::ostream* os) {
  *os << shown.caption << ": " << shown.text;
}

class RecordingUi : public UserInterface {
 public:
  void ShowMessage(std::string_view text) override;
  void ShowResult(std::string_view text) override;
  bool Confirm(std::string_view question) override;
  std::optional<std::string> ChooseFolder(std::string_view start_folder) override;
  void SetBusy(bool busy) override;
  void CopyProgress(std::uint64_t done, std::uint64_t total) override;
  // Recorded in `previews`, answered from `preview_answers` (Close once used
  // up); not in `shown`.
  bool ShowPreview(std::string_view title, std::string_view text, bool can_run) override;
  // Recorded in `shown` as a result, its details in `details`.
  void ShowRunResult(std::string_view text, std::string_view details) override;

  // Answers for the next questions, in order; No once the script is used up.
  std::deque<bool> confirm_answers;
  // Results of the next folder dialogs, in order; Cancel once used up.
  std::deque<std::optional<std::string>> folder_answers;

  // Whether to press "Rename" in the next preview dialogs, in order.
  std::deque<bool> preview_answers;

  std::vector<Shown> shown;                // messages and questions, in order
  std::vector<std::string> folder_starts;  // start folders of the dialogs
  std::vector<bool> busy_changes;          // every SetBusy call
  bool busy = false;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
  struct Preview {
    std::string title;
    std::string text;
    bool can_run = false;
  };
  std::vector<Preview> previews;
  std::vector<std::string> details;  // of every run's result, in order

  // The texts shown, without captions.
  std::vector<std::string> Texts() const;
};

}  // namespace kelvandor::testing
