// Every status a run can end with: its number, its message and the exit
// status of kelvandor-cli, in one table.

#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "discovery/input_analysis.h"
#include "discovery/unzip.h"
#include "operations/rename_error.h"
#include "platform/io_error.h"
#include "tests/support/param_label.h"

namespace kelvandor {
namespace {

using testing::PrintTo;

using Status = std::variant<AnalysisError, RenameError, IoErrorCode, UnzipResult>;

struct StatusCase {
  std::string label;
  Status status;
  int number;
  std::string message;
  int exit_status;  // -1: no run ends with it
};

int NumberOf(const Status& status) {
  return std::visit([](auto code) { return static_cast<int>(code); }, status);
}

std::string MessageOf(const Status& status) {
  if (const auto* e = std::get_if<AnalysisError>(&status))
    return std::string(AnalysisErrorText(*e));
  if (const auto* e = std::get_if<RenameError>(&status)) return std::string(RenameErrorText(*e));
  if (const auto* e = std::get_if<IoErrorCode>(&status)) return IoErrorText(*e);
  return UnzipResultText(std::get<UnzipResult>(status));
}

// kelvandor-cli exits with the analysis's or the workflow's number, with 74
// after an I/O error, and with 130 after a stop, the one cause of kInterrupted.
int ExitStatusOf(const Status& status) {
  if (std::holds_alternative<UnzipResult>(status)) return -1;
  if (status == Status{IoErrorCode::kInterrupted}) return 130;
  if (std::holds_alternative<IoErrorCode>(status)) return 74;
  return NumberOf(status);
}

class FailureTableTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(FailureTableTest, NumberMessageAndExitStatus) {
  const StatusCase& c = GetParam();
  EXPECT_EQ(NumberOf(c.status), c.number);
  EXPECT_EQ(MessageOf(c.status), c.message);
  EXPECT_EQ(ExitStatusOf(c.status), c.exit_status);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, FailureTableTest,
    ::testing::Values(
        StatusCase{"None", AnalysisError::kNone, 0, "", 0},
        StatusCase{"Unzip", AnalysisError::kUnzip, 7, "Unzip Error!", 7},
        StatusCase{"CreateDirectory", AnalysisError::kCreateDirectory, 8,
                   "Can not create new directory!", 8},
        StatusCase{"TempContents", AnalysisError::kTempContents, 9, "Error within __TEMP__", 9},
        StatusCase{"NoProject", AnalysisError::kNoProject, 11, "Input File not found!", 11},
        StatusCase{"SeveralProjects", AnalysisError::kSeveralProjects, 12,
                   "Several projects found - give the project file of the one to rename:", 12}),
    testing::ParamLabel{});

INSTANTIATE_TEST_SUITE_P(
    Rename, FailureTableTest,
    ::testing::Values(
        StatusCase{"None", RenameError::kNone, 0, "", 0},
        StatusCase{"Copy", RenameError::kCopy, 1, "Failed to Copy Project!", 1},
        StatusCase{"Rename", RenameError::kRename, 2, "Failed to Rename Project!", 2},
        StatusCase{"CreateTarget", RenameError::kCreateTarget, 8, "", 8},
        StatusCase{"DeleteTarget", RenameError::kDeleteTarget, 14, "", 14},
        StatusCase{"TargetKept", RenameError::kTargetKept, 15, "", 15},
        StatusCase{"BadTarget", RenameError::kBadTarget, 16, "", 16},
        StatusCase{"BrokenReference", RenameError::kBrokenReference, 17,
                   "Reference would break:", 17},
        StatusCase{"UnfinishedRun", RenameError::kUnfinishedRun, 18,
                   "An interrupted run could not be rolled back: nothing was changed", 18},
        StatusCase{"Busy", RenameError::kBusy, 19,
                   "Another run is working on this project: nothing was changed", 19},
        StatusCase{"ChangedDuringRun", RenameError::kChangedDuringRun, 20,
                   "A project file changed during the run, nothing was renamed:", 20}),
    testing::ParamLabel{});

INSTANTIATE_TEST_SUITE_P(
    Io, FailureTableTest,
    ::testing::Values(
        StatusCase{"FileNotFound", IoErrorCode::kFileNotFound, 2, "File not found", 74},
        StatusCase{"InvalidFilename", IoErrorCode::kInvalidFilename, 3, "Invalid filename", 74},
        StatusCase{"TooManyOpenFiles", IoErrorCode::kTooManyOpenFiles, 4, "Too many open files",
                   74},
        StatusCase{"AccessDenied", IoErrorCode::kAccessDenied, 5, "File access denied", 74},
        StatusCase{"ReadBeyondEnd", IoErrorCode::kReadBeyondEnd, 100, "Read beyond end of file",
                   74},
        StatusCase{"DiskFull", IoErrorCode::kDiskFull, 101, "Disk full", 74},
        StatusCase{"InvalidNumericInput", IoErrorCode::kInvalidNumericInput, 106,
                   "Invalid numeric input", 74},
        StatusCase{"DeviceError", IoErrorCode::kDeviceError, 1117, "I/O error 1117", 74},
        StatusCase{"Interrupted", IoErrorCode::kInterrupted, 995, "Interrupted", 130},
        StatusCase{"Unnamed", IoErrorCode{6}, 6, "I/O error 6", 74}),
    testing::ParamLabel{});

INSTANTIATE_TEST_SUITE_P(
    Unzip, FailureTableTest,
    ::testing::Values(
        StatusCase{"Ok", UnzipResult::kOk, 0, "OKAY", -1},
        StatusCase{"Warnings", UnzipResult::kWarnings, 1, "Warnings occurred on one or more files",
                   -1},
        StatusCase{"Errors", UnzipResult::kErrors, 2, "Errors occurred on one or more files", -1},
        StatusCase{"SevereError", UnzipResult::kSevereError, 3, "Sever error in archive", -1},
        StatusCase{"NoMemory", UnzipResult::kNoMemory, 4, "Insufficient memory", -1},
        StatusCase{"NoMemory8", UnzipResult{8}, 8, "Insufficient memory", -1},
        StatusCase{"ArchiveNotFound", UnzipResult::kArchiveNotFound, 9, "Archive not found", -1},
        StatusCase{"BadParameters", UnzipResult::kBadParameters, 10,
                   "Bad or illegal parameters specified", -1},
        StatusCase{"NoFiles", UnzipResult::kNoFiles, 11, "No files found", -1},
        StatusCase{"DiskFull", UnzipResult::kDiskFull, 50, "Disk full", -1},
        StatusCase{"UnexpectedEof", UnzipResult::kUnexpectedEof, 51, "Unexpected end of file", -1},
        StatusCase{"Canceled", UnzipResult::kCanceled, 80, "Canceled by user", -1},
        StatusCase{"Unsupported", UnzipResult::kUnsupported, 81, "No files found: All unsupported",
                   -1},
        StatusCase{"BadPassword", UnzipResult::kBadPassword, 82, "No files found: Bad password",
                   -1},
        StatusCase{"Unknown", UnzipResult{12}, 12, "Unknown error", -1}),
    testing::ParamLabel{});

}  // namespace
}  // namespace kelvandor
