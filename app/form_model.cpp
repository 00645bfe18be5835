#include "app/form_model.h"

#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "app/configuration.h"
#include "app/front_run.h"
#include "app/report_text.h"
#include "app/run_guarded.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/stop_request.h"
#include "workflow/cleanup.h"
#include "workflow/front_door.h"
#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"
#include "workflow/run_guard.h"

namespace kelvandor {
namespace {

void SetEditable(EditState& edit, bool editable) {
  edit.read_only = !editable;
  edit.colour = editable ? FieldColour::kWhite : FieldColour::k3DLight;
}

// Makes `dir` the process's current folder when the scope ends, also when an
// IoError ends it.
class CurrentDirOnExit {
 public:
  explicit CurrentDirOnExit(std::string dir) : dir_(std::move(dir)) {}
  ~CurrentDirOnExit() { SetCurrentDir(dir_); }
  CurrentDirOnExit(const CurrentDirOnExit&) = delete;
  CurrentDirOnExit& operator=(const CurrentDirOnExit&) = delete;

 private:
  std::string dir_;
};

// Marks a run of the workflow for its lifetime; a stop asked for during it
// ends with it.
class RunningFlag {
 public:
  explicit RunningFlag(bool& running) : running_(running) {
    running_ = true;
    ClearStopRequest();
  }
  ~RunningFlag() {
    running_ = false;
    ClearStopRequest();
  }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& running_;
};

// The user's interface, but the question a preview planned as answered Yes
// is answered so again.
class PlannedAnswersUi : public UserInterface {
 public:
  PlannedAnswersUi(UserInterface& ui, const std::optional<std::string>& planned_yes)
      : ui_(ui), planned_yes_(planned_yes) {}

  void ShowMessage(std::string_view text) override { ui_.ShowMessage(text); }
  void ShowResult(std::string_view text) override { ui_.ShowResult(text); }
  bool Confirm(std::string_view question) override {
    return planned_yes_ == question || ui_.Confirm(question);
  }
  std::optional<std::string> ChooseFolder(std::string_view start_folder) override {
    return ui_.ChooseFolder(start_folder);
  }
  void SetBusy(bool busy) override { ui_.SetBusy(busy); }
  void CopyProgress(std::uint64_t done, std::uint64_t total) override {
    ui_.CopyProgress(done, total);
  }

 private:
  UserInterface& ui_;
  const std::optional<std::string>& planned_yes_;
};

}  // namespace

FormModel::FormModel(UserInterface& ui, int unzip_wait_ms, FileSystem& file_system)
    : ui_(ui), unzip_wait_ms_(unzip_wait_ms), file_system_(file_system) {}

template <typename Handler>
void FormModel::Guarded(Handler&& handler) {
  handler_failed_ = RunGuarded(ui_, std::forward<Handler>(handler)).failed();
}

void FormModel::FormCreate(std::string_view exe_dir, FileLocations locations) {
  state_ = AppState{};
  state_.ExeDir = std::string(exe_dir);
  locations_ = std::move(locations);
  if (locations_.config_file.empty()) locations_.config_file = ConfigFilePath(exe_dir);
  if (locations_.temp_base.empty()) locations_.temp_base = state_.ExeDir;
  Guarded([&] {
    const ConfigReadResult read = ReadConfiguration(locations_.config_file, ui_);
    state_.PublicIniPath = read.values.public_ini_path;
    state_.ConfigNewPath = read.values.new_path;
    state_.ConfigRenameFolder = read.values.rename_folder;
    state_.ConfigCopyProject = read.values.copy_project;
    if (read.values.clean_up) controls_.CheckBox_CleanUp.ticked = *read.values.clean_up;
    if (!read.completed) return;
    if (state_.ConfigRenameFolder) {
      SetRenameFolderTicked(true);
    } else if (state_.ConfigCopyProject) {
      SetCopyProjectTicked(true);
    }
  });
}

AfterActivate FormModel::FormActivate(const CommandLine& command_line) {
  if (activated_) return AfterActivate::kStayOpen;
  activated_ = true;
  AfterActivate after = AfterActivate::kStayOpen;
  Guarded([&] {
    const std::vector<std::string>& args = command_line.arguments;
    if (args.empty()) return;
    if (args[0] == "clean") {
      NewInput(NormalisedAgainst(args.size() > 1 ? args[1] : "", command_line.start_dir));
      CleanUpProject();
      after = AfterActivate::kClose;
      return;
    }
    NewInput(NormalisedAgainst(args[0], command_line.start_dir));
  });
  return after;
}

void FormModel::WMDropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  Guarded([&] { NewInput(paths.front()); });
}

void FormModel::SpeedButton_OpenInputClick() {
  Guarded([&] {
    const std::optional<std::string> folder =
        ui_.ChooseFolder(controls_.Edit_Old_Path.text + controls_.Edit_Old_Dir.text);
    if (folder) NewInput(*folder);
  });
}

void FormModel::SpeedButton_OpenNewDirClick() {
  Guarded([&] {
    std::optional<std::string> folder = ui_.ChooseFolder(controls_.Edit_New_Path.text);
    if (folder) controls_.Edit_New_Path.text = std::move(*folder);
  });
}

void FormModel::Edit_New_WspPrjKeyUp() {
  FormControls& c = controls_;
  c.Edit_New_Dir.text =
      FolderFor(project_, ModeFromBoxes(), c.Edit_New_WspPrj.text, c.Edit_New_Dir.text);
}

void FormModel::SetCopyProjectTicked(bool ticked) {
  if (controls_.CheckBox_CopyProject.ticked == ticked) return;
  controls_.CheckBox_CopyProject.ticked = ticked;
  CheckBox_CopyProjectClick();
}

void FormModel::SetRenameFolderTicked(bool ticked) {
  if (controls_.CheckBox_RenameFolder.ticked == ticked) return;
  controls_.CheckBox_RenameFolder.ticked = ticked;
  CheckBox_RenameFolderClick();
}

void FormModel::CheckBox_CopyProjectClick() {
  FormControls& c = controls_;
  if (c.CheckBox_CopyProject.ticked) {
    SetRenameFolderTicked(false);
    SetEditable(c.Edit_New_Path, true);
    SetEditable(c.Edit_New_Dir, true);
    if (project_.from_archive) c.Edit_New_Path.text = state_.proposals.preferred_new_path;
  } else {
    state_.proposals.preferred_new_path = c.Edit_New_Path.text;
    c.Edit_New_Path.text = state_.proposals.proposed_new_path;
    SetEditable(c.Edit_New_Path, false);
    SetEditable(c.Edit_New_Dir, false);
  }
}

void FormModel::CheckBox_RenameFolderClick() {
  FormControls& c = controls_;
  if (c.CheckBox_RenameFolder.ticked) {
    SetCopyProjectTicked(false);
    SetEditable(c.Edit_New_Dir, true);
    c.Edit_New_Dir.text = state_.proposals.preferred_new_name;
    c.Edit_New_WspPrj.text = state_.proposals.preferred_new_name;
  } else {
    state_.proposals.preferred_new_name = c.Edit_New_WspPrj.text;
    c.Edit_New_Dir.text = state_.proposals.proposed_new_dir;
    c.Edit_New_WspPrj.text = state_.proposals.proposed_new_name;
    SetEditable(c.Edit_New_Dir, false);
  }
}

bool FormModel::NewInput(std::string_view given) {
  // What an interrupted run left is completed before the folder is looked
  // at; when that fails, its message is shown, and the load shows what is
  // there, which the run refuses to rename.
  std::string path(given);
  RecoverInput(path, ui_, file_system_);
  AppState& s = state_;
  FormControls& c = controls_;
  AnalysisConfig config;
  config.exe_dir = locations_.temp_base;
  config.config_new_path = s.ConfigNewPath;
  config.config_copy_project = s.ConfigCopyProject;
  config.config_rename_folder = s.ConfigRenameFolder;
  ProjectState analysis;
  analysis.project = ShownProject();
  analysis.proposals = std::move(s.proposals);
  analysis.new_path = c.Edit_New_Path.text;
  analysis.new_dir = c.Edit_New_Dir.text;
  analysis.new_name = c.Edit_New_WspPrj.text;
  const auto take_back = [&] {
    s.LastFailure = analysis.error;
    search_ = std::move(analysis.search);
    several_projects_ = std::move(analysis.several_projects);
    project_ = std::move(analysis.project);
    s.proposals = std::move(analysis.proposals);
    c.Edit_New_Path.text = std::move(analysis.new_path);
    c.Edit_New_Dir.text = std::move(analysis.new_dir);
    c.Edit_New_WspPrj.text = std::move(analysis.new_name);
    ShowProject();
  };
  AnalysisResult result;
  try {
    result = kelvandor::NewInput(path, config, analysis, ui_, unzip_wait_ms_);
  } catch (...) {
    // Whatever the analysis had reached is no project to rename.
    take_back();
    c.Button_Rename.enabled = c.Button_Preview.enabled = false;
    c.focus = kFocusAfterLoad;
    throw;
  }
  take_back();
  if (result.set_check_boxes) ApplyCheckBoxes();
  c.focus = kFocusAfterLoad;
  c.Button_Rename.enabled = c.Button_Preview.enabled = !s.LastFailure.failed();
  return !s.LastFailure.failed();
}

namespace {

constexpr OldField kOldFields[] = {OldField::kWsp, OldField::kPrj, OldField::kUvProj,
                                   OldField::kEww};

template <typename Controls>
auto& OldFieldEdit(Controls& c, OldField field) {
  switch (field) {
    case OldField::kWsp:
      return c.Edit_Old_Wsp;
    case OldField::kPrj:
      return c.Edit_Old_Prj;
    case OldField::kUvProj:
      return c.Edit_Old_UVProj;
    case OldField::kEww:
      break;
  }
  return c.Edit_Old_EWW;
}

// The family whose name `field` shows, and which of its names.
template <typename ProjectT>
auto ShownIn(ProjectT& project, OldField field)
    -> std::pair<decltype(&project.families.front()), ShownName> {
  for (auto& family : project.families) {
    for (const ShownName& shown : RowOf(family.kind).shown) {
      if (shown.field == field) return {&family, shown};
    }
  }
  return {nullptr, {}};
}

bool ShowsOldName(const Family& family, const ShownName& shown) {
  return shown.value.empty() || (shown.or_old_name && !family.Flag(shown.value));
}

}  // namespace

void FormModel::ShowProject() {
  FormControls& c = controls_;
  c.Edit_Old_Path.text = project_.old_path;
  c.Edit_Old_Dir.text = project_.old_dir;
  for (OldField field : kOldFields) {
    const auto [family, shown] = ShownIn(project_, field);
    OldFieldEdit(c, field).text = family == nullptr              ? std::string()
                                  : ShowsOldName(*family, shown) ? family->old_name
                                                                 : family->Value(shown.value);
  }
  if (several_projects_.empty()) {
    c.Edit_Old_Found.text = DescribeProject(project_);
  } else {
    c.Edit_Old_Found.text = kSeveralProjectsFound;
    for (std::size_t i = 0; i < several_projects_.size(); ++i) {
      c.Edit_Old_Found.text += (i == 0 ? "" : ", ") + several_projects_[i];
    }
  }
}

void FormModel::ApplyCheckBoxes() {
  FormControls& c = controls_;
  if (project_.from_archive) {
    SetCopyProjectTicked(true);
    SetRenameFolderTicked(false);
    c.CheckBox_CopyProject.enabled = false;
    c.CheckBox_RenameFolder.enabled = false;
    c.Button_CleanOnly.enabled = false;
    c.CheckBox_Backup = {false, false};
    c.Edit_New_Path.text = state_.proposals.preferred_new_path;
  } else {
    if (state_.ConfigRenameFolder) {
      SetRenameFolderTicked(true);
      SetCopyProjectTicked(false);
    } else if (state_.ConfigCopyProject) {
      SetCopyProjectTicked(true);
      SetRenameFolderTicked(false);
    }
    c.CheckBox_CopyProject.enabled = true;
    c.CheckBox_RenameFolder.enabled = true;
    c.Button_CleanOnly.enabled = true;
    c.CheckBox_Backup = {false, true};
  }
  StyleNewFields();
}

void FormModel::StyleNewFields() {
  FormControls& c = controls_;
  const bool copy = c.CheckBox_CopyProject.ticked;
  SetEditable(c.Edit_New_Path, copy);
  SetEditable(c.Edit_New_Dir, copy || c.CheckBox_RenameFolder.ticked);
}

Project FormModel::ShownProject() const {
  const FormControls& c = controls_;
  Project project = project_;
  project.old_path = c.Edit_Old_Path.text;
  project.old_dir = c.Edit_Old_Dir.text;
  for (OldField field : kOldFields) {
    const auto [family, shown] = ShownIn(project, field);
    if (family == nullptr) continue;
    const std::string& text = OldFieldEdit(c, field).text;
    if (ShowsOldName(*family, shown)) {
      family->old_name = text;
    } else {
      family->SetValue(shown.value, text);
    }
  }
  return project;
}

RenameMode FormModel::ModeFromBoxes() const {
  if (controls_.CheckBox_CopyProject.ticked) return RenameMode::kCopy;
  if (controls_.CheckBox_RenameFolder.ticked) return RenameMode::kRenameFolder;
  return RenameMode::kInPlace;
}

RenamePlan FormModel::PlanFromControls() const {
  const FormControls& c = controls_;
  return PlanRename(project_, RenameRequest{.mode = ModeFromBoxes(),
                                            .new_path = c.Edit_New_Path.text,
                                            .new_name = c.Edit_New_WspPrj.text,
                                            .new_dir = c.Edit_New_Dir.text,
                                            .proposed_dir = c.Edit_New_Dir.text,
                                            .clean_up = c.CheckBox_CleanUp.ticked,
                                            .backup = c.CheckBox_Backup.ticked});
}

void FormModel::Button_RenameClick() {
  Guarded([&] { RunRename(ShownProject(), PlanFromControls(), std::nullopt); });
}

void FormModel::RunRename(const Project& project, const RenamePlan& plan,
                          const std::optional<std::string>& planned_yes) {
  // What users see after a rename, whichever way it ended: the completed
  // new path, and the input's folder as the current folder.
  controls_.Edit_New_Path.text = CompletedNewPath(plan.new_path);
  state_.LastFailure = Failure();
  const CurrentDirOnExit current_dir(project.input_dir);
  const RunningFlag running(running_);
  PlannedAnswersUi ui(ui_, planned_yes);
  const auto start = std::chrono::steady_clock::now();
  const RenameOutcome outcome = RenameProject(project, plan, ui, file_system_);
  RunFacts facts = SearchFacts(search_);
  facts.elapsed = std::chrono::steady_clock::now() - start;
  state_.LastFailure = outcome.failure();
  for (const RewriteWarning& warning : outcome.report.warnings) ui_.ShowResult(warning.message);
  ui_.ShowRunResult(RenameResultText(state_.LastFailure), SummaryText(outcome.report, facts));
}

void FormModel::Button_PreviewClick() {
  Guarded([&] {
    const Project project = ShownProject();
    const RenamePlan plan = PlanFromControls();
    RunFacts facts = SearchFacts(search_);
    facts.dry_run = true;
    FrontRun run;
    {
      const CurrentDirOnExit current_dir(CurrentDir());
      const RunningFlag running(running_);
      // The plan itself says what would fail.
      SilentUi silent;
      run = CarryOut(project, plan, std::move(facts), silent, file_system_);
    }
    const bool can_run = run.status == ExitStatus::kSuccess;
    if (!ui_.ShowPreview(kPreviewTitle, PlanText(run.report, run.facts, false), can_run)) return;
    std::optional<std::string> planned_yes;
    if (run.report.question && run.report.answered_yes) planned_yes = run.report.question;
    RunRename(project, plan, planned_yes);
  });
}

void FormModel::CleanUpProject() {
  const RunningFlag running(running_);
  kelvandor::CleanUpProject(ShownProject(), PlanFromControls(), ui_, file_system_);
}

void FormModel::Button1Click_CleanUpProject() {
  Guarded([&] {
    CleanUpProject();
    ui_.ShowResult(kCleanedText);
  });
}

void FormModel::Button1Click_SaveConfig() {
  Guarded([&] {
    ConfigToSave config;
    config.public_ini_path = state_.PublicIniPath;
    config.new_path = controls_.Edit_New_Path.text;
    config.rename_folder = controls_.CheckBox_RenameFolder.ticked;
    config.copy_project = controls_.CheckBox_CopyProject.ticked;
    config.clean_up = controls_.CheckBox_CleanUp.ticked;
    // The user's configuration folder may not exist yet; when it cannot be
    // made, the save reports the error.
    MakeDirectories(FolderPart(locations_.config_file));
    SaveConfiguration(locations_.config_file, config, ui_, file_system_);
  });
}

bool FormModel::FormCloseQuery() {
  if (!running_) return true;
  if (!close_after_run_ && ui_.Confirm(kStopRunQuestion)) {
    close_after_run_ = true;
    RequestStop();
  }
  return false;
}

void FormModel::FormClose() {
  Guarded([&] { DeleteDirectory(project_.temp_dir, file_system_); });
}

}  // namespace kelvandor
