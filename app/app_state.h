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
  // Separator + "example" + separator + "IAR" (or "ARM"), separator + the
  // one sub-folder holding the family's project file, or empty.
  std::string IarSubDir;
  std::string KeilSubDir;
  bool HasUvprojx = false;          // a uVision 5 project lies in the Keil folder
  std::string OldUvprojx;           // its name
  bool IarGeneratorLayout = false;  // the IAR output folders are the ".ewp"'s own
  std::string ProposedNewPath;
  std::string ProposedNewDir;
  std::string ProposedNewName;
  std::string PreferredNewPath;
  std::string PreferredNewName;
};

}  // namespace kelvandor
