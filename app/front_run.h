#pragma once

// How a front door carries out a plan, the same for kelvandor-cli and the
// windows: for real, or as a dry run over a file system that changes nothing
// (its report is then the plan), with the one exception guard around it and
// a stop asked for during it noted as the interruption it is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/report_text.h"
#include "core/failure.h"
#include "core/project.h"
#include "core/run_report.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"
#include "workflow/project_search.h"

namespace kelvandor {

// What a dry run shows: messages pass on to `messages`; the question is not
// asked but answered Yes, so the plan covers the whole run (the run's report
// keeps the question); nothing else is shown.
class PlanningUi : public UserInterface {
 public:
  explicit PlanningUi(UserInterface& messages) : messages_(messages) {}

  void ShowMessage(std::string_view text) override { messages_.ShowMessage(text); }
  void ShowResult(std::string_view) override {}
  bool Confirm(std::string_view) override { return true; }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  void SetBusy(bool) override {}
  void CopyProgress(std::uint64_t, std::uint64_t) override {}

 private:
  UserInterface& messages_;
};

struct FrontRun {
  RunReport report;
  RunFacts facts;  // with the exit status and, of a real run, the time taken
  ExitStatus status = ExitStatus::kSuccess;
  // An error the run raised, or a stop, broke it off: what it did is not
  // known, and the report holds that failure.
  bool broken_off = false;
};

// Where below the given folder the analysis found the project, as the
// report says it; nothing when it was not searched for.
RunFacts SearchFacts(const ProjectSearch& search);

// Runs the rename (or with facts.clean_only the clean-up) of `plan`;
// facts.dry_run plans it only, over a PlanningUi and a PlanningFileSystem
// over the disk. What the run shows goes to `ui`; of a dry run only its plain
// messages, and an error it raised.
FrontRun CarryOut(const Project& project, const RenamePlan& plan, RunFacts facts, UserInterface& ui,
                  FileSystem& file_system);

}  // namespace kelvandor
