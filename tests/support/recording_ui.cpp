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

bool RecordingUi::ShowPreview(std::string_view title, std::string_view text, bool can_run) {
  previews.push_back({std::string(title), std::string(text), can_run});
  if (preview_answers.empty()) return false;
  const bool run = preview_answers.front();
  preview_answers.pop_front();
  return run && can_run;
}

void RecordingUi::ShowRunResult(std::string_view text, std::string_view run_details) {
  ShowResult(text);
  details.emplace_back(run_details);
}

std::vector<std::string> RecordingUi::Texts() const {
  std::vector<std::string> out;
  for (const Shown& s : shown) out.push_back(s.text);
  return out;
}

}  // namespace kelvandor::testing
