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
#include <vector>

#include "core/failure.h"
#include "core/project.h"
#include "platform/user_interface.h"
#include "workflow/project_search.h"

namespace kelvandor {

// What the analysis reads but never writes.
struct AnalysisConfig {
  // The folder that holds "___temp___": the program's folder, or one given
  // in its place when that may not be written.
  std::string exe_dir;
  std::string config_new_path;
  bool config_copy_project = false;
  bool config_rename_folder = false;
};

// What the New fields go back to when a mode box is unticked
// (proposed_...), and come back to when it is ticked (preferred_...).
struct Proposals {
  std::string proposed_new_path;
  std::string proposed_new_dir;
  std::string proposed_new_name;
  std::string preferred_new_path;
  std::string preferred_new_name;
};

// What the analysis reads and writes. A field that no step of a call sets
// keeps the value it came with: the families and their names are found
// afresh, the old location and the New fields only once a step reaches them.
struct ProjectState {
  AnalysisError error = AnalysisError::kNone;
  Project project;
  Proposals proposals;
  // The New fields: path, folder and project name, as proposed.
  std::string new_path;
  std::string new_dir;
  std::string new_name;
  // What the search below the given folder found, when today's rules found
  // nothing there; empty otherwise.
  ProjectSearch search;
  // The projects a refusal for several projects listed, as its message lists
  // them, one entry each; empty after any other outcome.
  std::vector<std::string> several_projects;
};

// The folder an archive is unpacked into: exe_dir + separator + "___temp___".
std::string TempDirFor(std::string_view exe_dir);

struct AnalysisResult {
  bool ok = false;  // no error
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
