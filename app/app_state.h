#pragma once

// The program-wide state of the main window, alive for the whole run, beside
// the loaded project (FormModel::project). Paths are byte strings and are
// never normalised.

#include <cstdint>
#include <string>

#include "discovery/input_analysis.h"

namespace kelvandor {

struct AppState {
  std::int32_t ErrorCode = 0;  // result of the last load or rename; 0 = no error
  std::string ExeDir;          // folder of the program file
  std::string ConfigNewPath;   // "NewPath=" of the configuration
  bool ConfigCopyProject = false;
  bool ConfigRenameFolder = false;
  std::string PublicIniPath;  // "PublicIni=" of the configuration
  // What the New fields go back to, and come back to, as the mode boxes change.
  Proposals proposals;
};

}  // namespace kelvandor
