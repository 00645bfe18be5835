#pragma once

// How a load, a rename or a clean-up ends, in one vocabulary: a status from
// one of the number spaces users see (the input analysis's, the rename
// workflow's, an I/O error's), the message shown for it and the path it
// concerns. A default Failure is none: the step succeeded. kelvandor-cli
// turns a Failure into its exit status here, so that statuses, messages and
// their numbers live in this one place.

#include <exception>
#include <string>
#include <string_view>
#include <variant>

#include "core/rename_error.h"
#include "platform/io_error.h"

namespace kelvandor {

// The input analysis's error codes; the numbers are the ones users see, and
// some of them are the workflow's too (8): the status says whose they are.
enum class AnalysisError {
  kNone = 0,
  kUnzip = 7,
  kCreateDirectory = 8,
  kTempContents = 9,
  kNoProject = 11,
  // Several projects: a workspace of several that the input names none of,
  // or several below the folder given. The message lists them, and nothing
  // is loaded.
  kSeveralProjects = 12,
};

// The message shown when the analysis ends with `error`; empty for kNone.
// kNoProject is also given silently, when the project's folder has no
// parent folder or no name.
std::string_view AnalysisErrorText(AnalysisError error);

// Nothing failed, or the code of what did.
using FailureStatus = std::variant<std::monostate, AnalysisError, RenameError, IoErrorCode>;

struct Failure {
  FailureStatus status;
  // What is shown for it: the status's own text, or a longer one that names
  // what broke (a broken reference, a changed file).
  std::string message;
  std::string path;  // the file or folder concerned, when known

  Failure() = default;
  // The status with its own text; kNone is no failure.
  Failure(AnalysisError error);  // NOLINT(google-explicit-constructor)
  Failure(RenameError error);    // NOLINT(google-explicit-constructor)
  explicit Failure(const IoError& error);

  bool failed() const { return !std::holds_alternative<std::monostate>(status); }
  // The number users see; 0 for none.
  int number() const;
  bool operator==(const Failure&) const = default;
};

// What an exception that ended a step means: an IoError's code and path, or,
// for any other exception, an I/O error of the device with its text.
Failure FailureOf(const std::exception& error);

// The exit statuses of kelvandor-cli. A failure of the analysis or the
// workflow exits with its own number, so the type is open: ExitStatus{n} is
// valid for those numbers.
enum class ExitStatus : int {
  kSuccess = 0,
  kUsage = 2,  // the command line does not fit the program or the project
  kSeveralProjects = static_cast<int>(AnalysisError::kSeveralProjects),  // they are listed
  kIoError = 74,       // an I/O error ended the run, after its text
  kInterrupted = 130,  // Ctrl-C or a termination signal stopped the run
};

ExitStatus ExitStatusOf(const Failure& failure);

}  // namespace kelvandor
