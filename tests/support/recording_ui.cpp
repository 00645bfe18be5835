#include "tests/support/recording_ui.h"

namespace kelvandor::testing {

void RecordingUi::ShowMessage(std::string_view text) {
  shown.push_back({std::string(kAppTitle), std::string(text)});
}

void RecordingUi::ShowResult(std::string_view text) {
  shown.push_back({std::string(kResultCaption), std::string(text)});
}

bool RecordingUi::Confirm(std::string_view question) {
  shown.push_back({std::string(kConfirmCaption), std::string(question)});
  if (confirm_answers.empty()) return false;
  const bool answer = confirm_answers.front();
  confirm_answers.pop_front();
  return answer;
}

std::optional<std::string> RecordingUi::ChooseFolder(std::string_view start_folder) {
  folder_starts.emplace_back(start_folder);
  if (folder_answers.empty()) return std::nullopt;
  std::optional<std::string> answer = folder_answers.front();
  folder_answers.pop_front();
  return answer;
}

void RecordingUi::SetBusy(bool on) {
  busy_changes.push_back(on);
  busy = on;
}

void RecordingUi::CopyProgress(std::uint64_t done, std::uint64_t total) {
  progress.emplace_back(done, total);
}

std::vector<std::string> RecordingUi::Texts() const {
  std::vector<std::string> out;
  for (const Shown& s : shown) out.push_back(s.text);
  return out;
}

}  // namespace kelvandor::testing
