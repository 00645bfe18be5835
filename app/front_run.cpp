#include "app/front_run.h"

#include <chrono>
#include <utility>
#include <variant>

#include "app/run_guarded.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "platform/stop_request.h"
#include "workflow/cleanup.h"
#include "workflow/front_door.h"
#include "workflow/rename_workflow.h"

namespace kelvandor {
namespace {

// A folder below the given one, separator-led, with "/" between levels.
std::string Relative(std::string_view sub_dir) {
  std::string out(sub_dir.empty() ? "." : sub_dir.substr(1));
  for (char& c : out) c = c == Separator() ? '/' : c;
  return out;
}

}  // namespace

RunFacts SearchFacts(const ProjectSearch& search) {
  RunFacts facts;
  if (search.candidates.empty()) return facts;
  facts.found_below = Relative(search.candidates.front().sub_dir);
  for (const std::string& link : search.passed_over) facts.passed_over.push_back(Relative(link));
  return facts;
}

FrontRun CarryOut(const Project& project, const RenamePlan& plan, RunFacts facts, UserInterface& ui,
                  FileSystem& real) {
  PlanningFileSystem planning;
  FileSystem& file_system = facts.dry_run ? planning : real;
  PlanningUi planning_ui(ui);
  UserInterface& run_ui = facts.dry_run ? static_cast<UserInterface&>(planning_ui) : ui;
  FrontRun run;
  const auto start = std::chrono::steady_clock::now();
  Failure failure = RunGuarded(ui, [&] {
    if (facts.clean_only) {
      run.report = CleanUpProject(project, plan, run_ui, file_system);
      if (run.report.failure.failed()) return run.report.failure;
      run_ui.ShowResult(kCleanedText);
      return Failure();
    }
    RenameOutcome outcome = RenameProject(project, plan, run_ui, file_system);
    for (const RewriteWarning& warning : outcome.report.warnings) {
      run_ui.ShowResult(warning.message);
    }
    run_ui.ShowResult(RenameResultText(outcome.error));
    run.report = std::move(outcome.report);
    return Failure(outcome.error);
  });
  facts.elapsed = std::chrono::steady_clock::now() - start;
  // An error the run raised broke it off: what it did is not known.
  const bool raised = std::holds_alternative<IoErrorCode>(failure.status);
  run.status = ExitStatusOf(failure);
  if (StopRequested()) {
    // Stopped between clean-up steps, the run itself raised nothing.
    if (!raised) {
      failure = Failure(IoError(IoErrorCode::kInterrupted));
      ui.ShowMessage(failure.message);
    }
    run.status = ExitStatus::kInterrupted;
  }
  facts.exit_status = static_cast<int>(run.status);
  run.broken_off = raised || run.status == ExitStatus::kInterrupted;
  if (run.broken_off) {
    run.report.failure = failure;
    // A stop shows as one, whatever the step it broke off raised.
    if (run.status == ExitStatus::kInterrupted)
      run.report.failure.status = IoErrorCode::kInterrupted;
  }
  run.facts = std::move(facts);
  return run;
}

}  // namespace kelvandor
