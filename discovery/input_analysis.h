#pragma once

// Input analysis: turns a path (a project folder, a project file or a ".zip"
// archive holding one project folder) into the description of the old
// project and the proposals for the new one.
//
// NewInput carries out the analysis up to the proposals of the New fields
// (reset, archive, example layout, classification, old location, old names,
// proposals). Ticking the mode boxes, enabling the controls and the focus are
// the window's side; AnalysisResult says which of them apply.

#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace kelvandor {

// Error codes of the analysis (the rename workflow has its own).
inline constexpr int kErrorNone = 0;
inline constexpr int kErrorUnzip = 7;
inline constexpr int kErrorCreateDirectory = 8;
inline constexpr int kErrorTempContents = 9;
inline constexpr int kErrorNoProject = 11;

// What the analysis reads but never writes.
struct AnalysisConfig {
  // The folder that holds "___temp___": the program's folder, or one given
  // in its place when that may not be written.
  std::string exe_dir;
  std::string config_new_path;
  bool config_copy_project = false;
  bool config_rename_folder = false;
};

// The program state and the control texts that the analysis reads and
// writes. A field that no step of a call sets keeps the value it came with.
struct ProjectState {
  int error_code = 0;
  std::string input_dir;
  std::string temp_dir;
  std::string old_project_dir;
  bool from_archive = false;
  bool has_wsp_prj = false;
  bool has_eww = false;
  bool has_uvproj = false;
  // The IAR and Keil project folders below the project folder: separator +
  // "example" + separator + "IAR" (or "ARM"), separator + the one sub-folder
  // that holds the family's project file ("MDK-ARM", "EWARM", "USER", ...),
  // or empty.
  std::string iar_sub_dir;
  std::string keil_sub_dir;
  // A uVision 5 project (".uvprojx") lies in the Keil folder, beside or in
  // place of a uVision 4 one; its name.
  bool has_uvprojx = false;
  std::string old_uvprojx;
  // The IAR project was found in a sub-folder by its project file: its
  // output folders are the ones its ".ewp" names.
  bool iar_generator_layout = false;
  std::string proposed_new_path;
  std::string proposed_new_dir;
  std::string proposed_new_name;
  std::string preferred_new_path;
  std::string preferred_new_name;

  // Control texts.
  std::string old_path;    // Edit_Old_Path
  std::string old_dir;     // Edit_Old_Dir
  std::string old_wsp;     // Edit_Old_Wsp
  std::string old_prj;     // Edit_Old_Prj
  std::string old_uvproj;  // Edit_Old_UVProj: the uVision 4 name, else the uVision 5 one
  std::string old_eww;     // Edit_Old_EWW
  std::string new_path;    // Edit_New_Path
  std::string new_dir;     // Edit_New_Dir
  std::string new_name;    // Edit_New_WspPrj
};

// The folder an archive is unpacked into: exe_dir + separator + "___temp___".
std::string TempDirFor(std::string_view exe_dir);

struct AnalysisResult {
  bool ok = false;  // error_code is 0
  // False when no project was found: the window then leaves the check boxes
  // and the New fields as they are and goes straight to the end (focus,
  // Rename button).
  bool set_check_boxes = false;
};

// Runs the analysis of `path` on `state`, showing its messages ("Unzip
// Error!", "Input File not found!", ...) through `ui` as they occur.
// `wait_ms` is the pause after an extraction (500 in the program).
AnalysisResult NewInput(std::string_view path, const AnalysisConfig& config, ProjectState& state,
                        UserInterface& ui, int wait_ms = 500);

}  // namespace kelvandor
