#include "core/failure.h"

#include <cstddef>
#include <type_traits>

namespace kelvandor {

namespace {

template <typename Code>
struct StatusText {
  Code code;
  std::string_view text;
};

// The statuses with a text of their own; any other status has none.
constexpr StatusText<AnalysisError> kAnalysisTexts[] = {
    {AnalysisError::kUnzip, "Unzip Error!"},
    {AnalysisError::kCreateDirectory, "Can not create new directory!"},
    {AnalysisError::kTempContents, "Error within __TEMP__"},
    {AnalysisError::kNoProject, "Input File not found!"},
    {AnalysisError::kSeveralProjects,
     "Several projects found - give the project file of the one to rename:"},
};

constexpr StatusText<RenameError> kRenameTexts[] = {
    {RenameError::kCopy, "Failed to Copy Project!"},
    {RenameError::kRename, "Failed to Rename Project!"},
    {RenameError::kBrokenReference, "Reference would break:"},
    {RenameError::kUnfinishedRun,
     "An interrupted run could not be rolled back: nothing was changed"},
    {RenameError::kBusy, "Another run is working on this project: nothing was changed"},
    {RenameError::kChangedDuringRun, "A project file changed during the run, nothing was renamed:"},
};

template <typename Code, std::size_t N>
std::string_view TextOf(const StatusText<Code> (&table)[N], Code code) {
  for (const StatusText<Code>& row : table) {
    if (row.code == code) return row.text;
  }
  return {};
}

}  // namespace

std::string_view AnalysisErrorText(AnalysisError error) { return TextOf(kAnalysisTexts, error); }

std::string_view RenameErrorText(RenameError error) { return TextOf(kRenameTexts, error); }

Failure::Failure(AnalysisError error) : message(AnalysisErrorText(error)) {
  if (error != AnalysisError::kNone) status = error;
}

Failure::Failure(RenameError error) : message(RenameErrorText(error)) {
  if (error != RenameError::kNone) status = error;
}

Failure::Failure(const IoError& error)
    : status(error.code()), message(error.what()), path(error.path()) {}

int Failure::number() const {
  return std::visit(
      [](auto code) {
        if constexpr (std::is_same_v<decltype(code), std::monostate>) {
          return 0;
        } else {
          return static_cast<int>(code);
        }
      },
      status);
}

Failure FailureOf(const std::exception& error) {
  if (const auto* io_error = dynamic_cast<const IoError*>(&error)) return Failure(*io_error);
  Failure failure;
  failure.status = IoErrorCode::kDeviceError;
  failure.message = error.what();
  return failure;
}

ExitStatus ExitStatusOf(const Failure& failure) {
  if (const auto* code = std::get_if<IoErrorCode>(&failure.status)) {
    // Only a stop the user asked for raises it.
    return *code == IoErrorCode::kInterrupted ? ExitStatus::kInterrupted : ExitStatus::kIoError;
  }
  return ExitStatus{failure.number()};
}

}  // namespace kelvandor
