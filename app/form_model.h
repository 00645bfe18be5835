#pragma once

// The main window without widgets: AppState, the state of every control by
// its name, and the logic of every handler. The Qt window copies its widgets
// in, calls a handler and shows the result; a program without a window can
// drive the same handlers. Everything shown goes through UserInterface.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "core/project.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/user_interface.h"
#include "workflow/project_search.h"

namespace kelvandor {

// kWindow is the platform's usual field colour; white marks a field the user
// may type in, the 3-D light grey one that only displays.
enum class FieldColour { kWindow, kWhite, k3DLight };

struct EditState {
  std::string text;
  bool read_only = false;
  FieldColour colour = FieldColour::kWindow;
  bool operator==(const EditState&) const = default;
};

struct CheckBoxState {
  bool ticked = false;
  bool enabled = true;
  bool operator==(const CheckBoxState&) const = default;
};

struct ButtonState {
  bool enabled = true;
  bool operator==(const ButtonState&) const = default;
};

// The control that every load gives the keyboard focus to.
inline constexpr std::string_view kFocusAfterLoad = "Edit_New_WspPrj";

// The controls by their names, in their initial states.
struct FormControls {
  EditState Edit_Old_Path{{}, false, FieldColour::k3DLight};
  EditState Edit_Old_Dir{{}, false, FieldColour::k3DLight};
  EditState Edit_Old_Wsp{{}, true, FieldColour::k3DLight};
  EditState Edit_Old_Prj{{}, true, FieldColour::k3DLight};
  EditState Edit_Old_UVProj{{}, true, FieldColour::k3DLight};
  EditState Edit_Old_EWW{{}, true, FieldColour::k3DLight};
  // What input analysis found: every family, or the projects the input holds.
  EditState Edit_Old_Found{{}, true, FieldColour::k3DLight};
  ButtonState SpeedButton_OpenInput;
  EditState Edit_New_Path{{}, true, FieldColour::kWindow};
  ButtonState SpeedButton_OpenNewDir;
  EditState Edit_New_Dir{{}, true, FieldColour::kWindow};
  EditState Edit_New_WspPrj;
  CheckBoxState CheckBox_CopyProject;
  CheckBoxState CheckBox_RenameFolder;
  CheckBoxState CheckBox_CleanUp{true, true};
  CheckBoxState CheckBox_Backup;
  ButtonState Button_Rename;
  ButtonState Button_Preview;  // enabled exactly when "Rename" is
  ButtonState Button_CleanOnly;
  ButtonState Button1;  // "Save Config"
  ButtonState Button_Close;
  // The name of the control with the keyboard focus; empty for none.
  std::string focus;
};

struct CommandLine {
  std::vector<std::string> arguments;  // without the program itself
  std::string start_dir;               // the current folder at start-up
};

enum class AfterActivate { kStayOpen, kClose };

// What Edit_Old_Found says before the projects an input holds.
inline constexpr std::string_view kSeveralProjectsFound = "Several projects: ";

// The question of a Close while a rename or clean-up runs.
inline constexpr std::string_view kStopRunQuestion =
    "A run is changing the project. Stop it after the current step?";

// Where "Kelvandor.ini" is read and saved and which folder holds "___temp___".
// An empty field means the program's folder, ExeDir.
struct FileLocations {
  std::string config_file;
  std::string temp_base;
};

class FormModel {
 public:
  // `unzip_wait_ms` is the pause after an archive was unpacked; the rename,
  // the clean-up and the saved configuration go through `file_system`.
  explicit FormModel(UserInterface& ui, int unzip_wait_ms = 500,
                     FileSystem& file_system = NativeFileSystem());
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  AppState& state() { return state_; }
  const AppState& state() const { return state_; }
  FormControls& controls() { return controls_; }
  const FormControls& controls() const { return controls_; }
  // The project of the last load.
  const Project& project() const { return project_; }

  // The handlers. None of them lets an error escape: an IoError (or any other
  // std::exception) ends the handler and its text is shown.
  void FormCreate(std::string_view exe_dir, FileLocations locations = {});
  // Handles the command line at the first call only.
  AfterActivate FormActivate(const CommandLine& command_line);
  // Loads the first of the dropped paths.
  void WMDropFiles(const std::vector<std::string>& paths);
  void SpeedButton_OpenInputClick();
  void SpeedButton_OpenNewDirClick();
  void Edit_New_WspPrjKeyUp();
  // Tick or untick "Copy Project" / "Rename Folder", by the user or by code:
  // the box's click handler runs only when the state changes.
  void SetCopyProjectTicked(bool ticked);
  void SetRenameFolderTicked(bool ticked);
  void Button_RenameClick();
  // Plans the rename as "Rename" would run it, changing nothing, and shows
  // the plan as kelvandor-cli's --dry-run prints it; the dialog's "Rename"
  // runs that plan with the answers it was planned with.
  void Button_PreviewClick();
  void Button1Click_CleanUpProject();
  void Button1Click_SaveConfig();
  // The window's Close: true when the window may close now. During a run
  // (the window handles events while it shows the run's progress) it asks
  // kStopRunQuestion; on Yes the run stops at its next safe point, its
  // commit finished or rolled back, and CloseAfterRun tells the window to
  // close once the handler has returned; on No the run goes on.
  bool FormCloseQuery();
  bool CloseAfterRun() const { return close_after_run_; }
  void FormClose();

  // The input analysis with the window's side of it (check boxes, styling,
  // focus, "Rename"). True when it did not fail. Lets an IoError pass.
  bool NewInput(std::string_view path);

  // True when the last handler was ended by an error (its text was shown).
  bool HandlerFailed() const { return handler_failed_; }

 private:
  void CheckBox_CopyProjectClick();
  void CheckBox_RenameFolderClick();
  void ApplyCheckBoxes();
  void StyleNewFields();
  void CleanUpProject();
  // The old-project fields from project_.
  void ShowProject();
  // The project as the old-project fields show it, and the plan the New
  // fields and boxes make of it: the one place the workflow's values are read
  // from the controls.
  Project ShownProject() const;
  RenameMode ModeFromBoxes() const;
  RenamePlan PlanFromControls() const;
  // The rename with its result message; `planned_yes`, the question a
  // preview planned as answered Yes, is not asked again.
  void RunRename(const Project& project, const RenamePlan& plan,
                 const std::optional<std::string>& planned_yes);
  template <typename Handler>
  void Guarded(Handler&& handler);

  UserInterface& ui_;
  int unzip_wait_ms_ = 500;
  FileSystem& file_system_;
  FileLocations locations_;
  AppState state_;
  Project project_;
  FormControls controls_;
  // Of the last load: where a search found the project, and the projects
  // of an input that holds several.
  ProjectSearch search_;
  std::vector<std::string> several_projects_;
  bool activated_ = false;
  bool handler_failed_ = false;
  bool running_ = false;
  bool close_after_run_ = false;
};

}  // namespace kelvandor
