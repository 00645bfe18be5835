// Every status a run can end with: its number, its message and the exit
// status of kelvandor-cli, in one table.

#include "core/failure.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/param_label.h"

namespace kelvandor {
namespace {

using testing::PrintTo;

struct StatusCase {
  std::string label;
  Failure failure;
  int number;
  std::string message;
  int exit_status;
};

class FailureTableTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(FailureTableTest, NumberMessageAndExitStatus) {
  const StatusCase& c = GetParam();
  EXPECT_EQ(c.failure.number(), c.number);
  EXPECT_EQ(c.failure.message, c.message);
  EXPECT_EQ(static_cast<int>(ExitStatusOf(c.failure)), c.exit_status);
  EXPECT_EQ(c.failure.failed(), c.number != 0);
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
        StatusCase{"FileNotFound", Failure(IoError(IoErrorCode::kFileNotFound)), 2,
                   "File not found", 74},
        StatusCase{"InvalidFilename", Failure(IoError(IoErrorCode::kInvalidFilename)), 3,
                   "Invalid filename", 74},
        StatusCase{"TooManyOpenFiles", Failure(IoError(IoErrorCode::kTooManyOpenFiles)), 4,
                   "Too many open files", 74},
        StatusCase{"AccessDenied", Failure(IoError(IoErrorCode::kAccessDenied)), 5,
                   "File access denied", 74},
        StatusCase{"ReadBeyondEnd", Failure(IoError(IoErrorCode::kReadBeyondEnd)), 100,
                   "Read beyond end of file", 74},
        StatusCase{"DiskFull", Failure(IoError(IoErrorCode::kDiskFull)), 101, "Disk full", 74},
        StatusCase{"InvalidNumericInput", Failure(IoError(IoErrorCode::kInvalidNumericInput)), 106,
                   "Invalid numeric input", 74},
        StatusCase{"DeviceError", Failure(IoError(IoErrorCode::kDeviceError)), 1117,
                   "I/O error 1117", 74},
        StatusCase{"Interrupted", Failure(IoError(IoErrorCode::kInterrupted)), 995, "Interrupted",
                   130},
        StatusCase{"Unnamed", Failure(IoError(IoErrorCode{6})), 6, "I/O error 6", 74}),
    testing::ParamLabel{});

TEST(FailureTest, KeepsThePathOfAnIoError) {
  const Failure failure(IoError(IoErrorCode::kDiskFull, "/work/blinky/blinky.uvprojx"));
  EXPECT_EQ(failure.path, "/work/blinky/blinky.uvprojx");
  EXPECT_EQ(failure.message, "Disk full");
}

TEST(FailureTest, AnyOtherExceptionIsAnIoErrorWithItsText) {
  const Failure failure = FailureOf(std::runtime_error("bad allocation"));
  EXPECT_EQ(failure.message, "bad allocation");
  EXPECT_EQ(ExitStatusOf(failure), ExitStatus::kIoError);
}

}  // namespace
}  // namespace kelvandor
