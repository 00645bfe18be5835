#include "app/cli/terminal_ui.h"

#include <string>

namespace kelvandor::cli {
namespace {

// Copies of fewer files than this end before a bar would be of use.
constexpr std::uint64_t kProgressMinimumFiles = 200;
constexpr int kBarWidth = 40;

}  // namespace

TerminalUi::TerminalUi(std::FILE* in, std::FILE* err, bool assume_yes, bool interactive,
                       bool show_progress)
    : in_(in),
      err_(err),
      assume_yes_(assume_yes),
      interactive_(interactive),
      show_progress_(show_progress) {}

void TerminalUi::ShowMessage(std::string_view text) {
  EndProgressLine();
  std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(err_);
}

void TerminalUi::ShowResult(std::string_view text) { ShowMessage(text); }

bool TerminalUi::Confirm(std::string_view question) {
  EndProgressLine();
  if (assume_yes_) {
    std::fprintf(err_, "%.*s Yes\n", static_cast<int>(question.size()), question.data());
    return true;
  }
  if (!interactive_) {
    std::fprintf(err_, "%.*s No\n", static_cast<int>(question.size()), question.data());
    return false;
  }
  std::fprintf(err_, "%.*s [y/N] ", static_cast<int>(question.size()), question.data());
  std::fflush(err_);
  std::string answer;
  for (int c = std::fgetc(in_); c != EOF && c != '\n'; c = std::fgetc(in_)) {
    answer.push_back(static_cast<char>(c));
  }
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

std::optional<std::string> TerminalUi::ChooseFolder(std::string_view) { return std::nullopt; }

void TerminalUi::SetBusy(bool) {}

void TerminalUi::CopyProgress(std::uint64_t done, std::uint64_t total) {
  if (!show_progress_ || total < kProgressMinimumFiles) return;
  const int percent = static_cast<int>(done * 100 / total);
  if (percent != last_percent_) {
    last_percent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(err_, "\rCopying [%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), percent);
    std::fflush(err_);
    progress_shown_ = true;
  }
  if (done >= total) EndProgressLine();
}

void TerminalUi::EndProgressLine() {
  if (!progress_shown_) return;
  std::fputc('\n', err_);
  progress_shown_ = false;
  last_percent_ = -1;
}

}  // namespace kelvandor::cli
