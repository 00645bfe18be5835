#include "app/cli/cli_run.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cli/report_output.h"
#include "app/cli/terminal_ui.h"
#include "app/front_run.h"
#include "app/run_guarded.h"
#include "core/project.h"
#include "platform/folders.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/stop_request.h"
#include "platform/temp_folder.h"
#include "workflow/cleanup.h"
#include "workflow/front_door.h"
#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"
#include "workflow/run_guard.h"

namespace kelvandor::cli {
namespace {

// Checks the options against what the loaded project allows; the reason
// when they do not fit. Nothing has been changed on disk yet.
std::string MisfitReason(const Options& options, const Project& project) {
  const bool archive = project.from_archive;
  if (options.command == Command::kClean) {
    // Only the unpacked, temporary copy of an archive would be cleaned.
    if (archive) return "an archive cannot be cleaned";
    return {};
  }
  if (archive) {
    if (options.mode == RenameMode::kRenameFolder) {
      return "an archive is always copied: --rename-folder does not apply";
    }
    if (options.backup) return "an archive is always copied: --backup does not apply";
    // The proposed path lies in the temporary folder, removed at the end.
    if (!options.to) return "an archive needs --to PATH for its copy";
    return {};
  }
  if (options.mode == RenameMode::kInPlace && (options.to || options.dir)) {
    return "--to and --dir need --copy or --rename-folder";
  }
  return {};
}

// The analysis's proposals with the options over them, as the window's New
// fields would be after a user set them.
RenamePlan PlanFrom(const Options& options, const ProjectState& analysis,
                    std::string_view current_dir) {
  return PlanRename(
      analysis.project,
      RenameRequest{
          .mode = options.mode,
          .new_path = options.to ? NormalisedAgainst(*options.to, current_dir) : analysis.new_path,
          .new_name = options.name.value_or(analysis.new_name),
          .new_dir = options.dir,
          .proposed_dir = analysis.new_dir,
          .clean_up = options.clean_up,
          .backup = options.backup});
}

// The plan on standard output, or the summary of the real run on standard
// error; with --json either as one document on standard output. A real run
// that an error broke off has no summary: what it did is not known.
void PrintOutcome(const Options& options, const RunReport& report, const RunFacts& facts,
                  bool completed, const CliOutput& output) {
  if (options.json) {
    std::fputs(JsonText(report, facts).c_str(), output.out);
  } else if (options.dry_run) {
    const char* no_color = std::getenv("NO_COLOR");
    std::fputs(PlanText(report, facts, ColorWanted(output.out_is_terminal, no_color)).c_str(),
               output.out);
  } else if (completed) {
    std::fputs(SummaryText(report, facts).c_str(), output.err);
  }
  std::fflush(output.out);
}

// Runs the rename or the clean-up of `plan`, only planned for a dry run,
// prints what it did or would do, and gives the exit status.
ExitStatus Execute(const Options& options, const ProjectState& analysis, const RenamePlan& plan,
                   UserInterface& ui, FileSystem& real, const CliOutput& output) {
  RunFacts facts = SearchFacts(analysis.search);
  facts.dry_run = options.dry_run;
  facts.clean_only = options.command == Command::kClean;
  const FrontRun run = CarryOut(analysis.project, plan, std::move(facts), ui, real);
  PrintOutcome(options, run.report, run.facts, !run.broken_off, output);
  return run.status;
}

}  // namespace

ExitStatus RunCommand(const Options& options, UserInterface& ui, FileSystem& file_system,
                      const CliOutput& output) {
  // A private program folder: the archive is unpacked there, and no
  // configuration file of the window's is read, so runs are repeatable and
  // can go side by side.
  // Those of runs that were killed would otherwise stay for ever.
  RemoveStaleTemporaryFolders("kelvandor-cli-");
  TemporaryFolder work("kelvandor-cli-");
  if (work.path().empty()) {
    const Failure failure(AnalysisError::kCreateDirectory);
    ui.ShowMessage(failure.message);
    return ExitStatusOf(failure);
  }
  AnalysisConfig config;
  config.exe_dir = work.path();
  ProjectState analysis;

  const std::string current_dir = CurrentDir();
  ExitStatus status = ExitStatus::kSuccess;
  std::string source = NormalisedAgainst(options.source, current_dir);
  // The analysis must see the project as an interrupted run leaves it once
  // completed; a dry run changes nothing, and plans that completion instead.
  const RenameError recovery =
      options.dry_run ? RenameError::kNone : RecoverInput(source, ui, file_system);
  if (recovery != RenameError::kNone) {
    status = ExitStatusOf(Failure(recovery));
  } else if (!NewInput(source, config, analysis, ui).ok) {
    status = ExitStatusOf(Failure(analysis.error));
    if (status == ExitStatus::kSeveralProjects && options.json) {
      // What the message listed, with "/" between levels whatever the system.
      std::vector<std::string> candidates = analysis.several_projects;
      for (std::string& c : candidates) std::replace(c.begin(), c.end(), Separator(), '/');
      std::fputs(CandidatesJson(source, candidates, static_cast<int>(status)).c_str(), output.out);
    }
  } else if (const std::string misfit = MisfitReason(options, analysis.project); !misfit.empty()) {
    status = UsageError(misfit, output.err);
  } else if (StopRequested()) {
    ui.ShowMessage(IoErrorText(IoErrorCode::kInterrupted));
    status = ExitStatus::kInterrupted;
  } else {
    const RenamePlan plan = PlanFrom(options, analysis, current_dir);
    status = Execute(options, analysis, plan, ui, file_system, output);
  }
  RunGuarded(ui, [&] { DeleteDirectory(analysis.project.temp_dir, NativeFileSystem()); });
  return status;
}

ExitStatus UsageError(const std::string& reason, std::FILE* err) {
  std::fprintf(err, "kelvandor-cli: %s\n", reason.c_str());
  return ExitStatus::kUsage;
}

}  // namespace kelvandor::cli
