#include "operations/failure.h"

#include <type_traits>

namespace kelvandor {

std::string_view AnalysisErrorText(AnalysisError error) {
  switch (error) {
    case AnalysisError::kNone:
      break;
    case AnalysisError::kUnzip:
      return "Unzip Error!";
    case AnalysisError::kCreateDirectory:
      return "Can not create new directory!";
    case AnalysisError::kTempContents:
      return "Error within __TEMP__";
    case AnalysisError::kNoProject:
      return "Input File not found!";
    case AnalysisError::kSeveralProjects:
      return "Several projects found - give the project file of the one to rename:";
  }
  return {};
}

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
