#pragma once

// The program-wide state of the main window, alive for the whole run, beside
// the loaded project (FormModel::project). Paths are byte strings and are
// never normalised.

#include <string>

#include "workflow/input_analysis.h"
#include "core/failure.h"

namespace kelvandor {

struct AppState {
  Failure LastFailure;        // of the last load or rename; none when it succeeded
  std::string ExeDir;         // folder of the program file
  std::string ConfigNewPath;  // "NewPath=" of the configuration
  bool ConfigCopyProject = false;
  bool ConfigRenameFolder = false;
  std::string PublicIniPath;  // "PublicIni=" of the configuration
  // What the New fields go back to, and come back to, as the mode boxes change.
  Proposals proposals;
};

}  // namespace kelvandor
