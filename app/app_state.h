#pragma once

// The program-wide state of the main window, alive for the whole run. Paths
// are byte strings and are never normalised.

#include <cstdint>
#include <string>

namespace kelvandor {

struct AppState {
  std::int32_t ErrorCode = 0;  // result of the last load or rename; 0 = no error
  std::string ExeDir;          // folder of the program file
  std::string InputDir;        // folder part of the last input path, as given
  std::string TempDir;         // where archives are unpacked, once one was loaded
  std::string OldProjectDir;   // full path of the loaded project's folder
  std::string ConfigNewPath;   // "NewPath=" of the configuration
  bool ConfigCopyProject = false;
  bool ConfigRenameFolder = false;
  std::string PublicIniPath;  // "PublicIni=" of the configuration
  bool FromArchive = false;
  bool HasWspPrj = false;
  bool HasEww = false;
  bool HasUvproj = false;
  std::string IarSubDir;   // separator + "example" + separator + "IAR", or empty
  std::string KeilSubDir;  // separator + "example" + separator + "ARM", or empty
  std::string ProposedNewPath;
  std::string ProposedNewDir;
  std::string ProposedNewName;
  std::string PreferredNewPath;
  std::string PreferredNewName;
};

}  // namespace kelvandor
