#include "app/form_model.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

#include "app/configuration.h"
#include "discovery/input_analysis.h"
#include "operations/cleanup.h"
#include "operations/families.h"
#include "operations/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/folders.h"

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

}  // namespace

FormModel::FormModel(UserInterface& ui, int unzip_wait_ms)
    : ui_(ui), unzip_wait_ms_(unzip_wait_ms) {}

template <typename Handler>
void FormModel::Guarded(Handler&& handler) {
  handler_failed_ = false;
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {  // IoError above all
    handler_failed_ = true;
    ui_.ShowMessage(error.what());
  }
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
      NewInput(AbsoluteAgainst(args.size() > 1 ? args[1] : "", command_line.start_dir));
      CleanUpProject();
      after = AfterActivate::kClose;
      return;
    }
    NewInput(AbsoluteAgainst(args[0], command_line.start_dir));
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
  if (controls_.CheckBox_RenameFolder.ticked) {
    controls_.Edit_New_Dir.text = controls_.Edit_New_WspPrj.text;
  }
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

bool FormModel::NewInput(std::string_view path) {
  AppState& s = state_;
  FormControls& c = controls_;
  AnalysisConfig config;
  config.exe_dir = locations_.temp_base;
  config.config_new_path = s.ConfigNewPath;
  config.config_copy_project = s.ConfigCopyProject;
  config.config_rename_folder = s.ConfigRenameFolder;
  ProjectState analysis;
  analysis.error = static_cast<AnalysisError>(s.ErrorCode);
  analysis.project = ShownProject();
  analysis.proposals = std::move(s.proposals);
  analysis.new_path = c.Edit_New_Path.text;
  analysis.new_dir = c.Edit_New_Dir.text;
  analysis.new_name = c.Edit_New_WspPrj.text;
  const auto take_back = [&] {
    s.ErrorCode = static_cast<std::int32_t>(analysis.error);
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
    c.Button_Rename.enabled = false;
    c.focus = kFocusAfterLoad;
    throw;
  }
  take_back();
  if (result.set_check_boxes) ApplyCheckBoxes();
  c.focus = kFocusAfterLoad;
  c.Button_Rename.enabled = s.ErrorCode == 0;
  return s.ErrorCode == 0;
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

RenamePlan FormModel::PlanFromControls() const {
  const FormControls& c = controls_;
  RenameMode mode = RenameMode::kInPlace;
  if (c.CheckBox_RenameFolder.ticked) mode = RenameMode::kRenameFolder;
  if (c.CheckBox_CopyProject.ticked) mode = RenameMode::kCopy;
  return RenamePlan{.new_path = c.Edit_New_Path.text,
                    .new_dir = c.Edit_New_Dir.text,
                    .new_name = c.Edit_New_WspPrj.text,
                    .mode = mode,
                    .clean_up = c.CheckBox_CleanUp.ticked,
                    .backup = c.CheckBox_Backup.ticked};
}

void FormModel::Button_RenameClick() {
  Guarded([&] {
    const Project project = ShownProject();
    const RenamePlan plan = PlanFromControls();
    // What users see after a rename, whichever way it ended: the completed
    // new path, and the input's folder as the current folder.
    controls_.Edit_New_Path.text = CompletedNewPath(plan.new_path);
    state_.ErrorCode = 0;
    const CurrentDirOnExit current_dir(project.input_dir);
    const RenameOutcome outcome = RenameProject(project, plan, ui_);
    state_.ErrorCode = static_cast<std::int32_t>(outcome.error);
    ui_.ShowResult(outcome.ok() ? "Finished!" : "Finished with ERROR(s)");
  });
}

void FormModel::CleanUpProject() {
  kelvandor::CleanUpProject(ShownProject(), PlanFromControls(), ui_);
}

void FormModel::Button1Click_CleanUpProject() {
  Guarded([&] {
    CleanUpProject();
    ui_.ShowResult("Cleaned!");
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
    SaveConfiguration(locations_.config_file, config, ui_);
  });
}

void FormModel::FormClose() {
  Guarded([&] { DeleteDirectory(project_.temp_dir); });
}

}  // namespace kelvandor
