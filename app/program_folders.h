#pragma once

// Where the window keeps "Kelvandor.ini" and unpacks archives. Beside a
// program file in a folder the program may write (the build folder, a
// Windows installation) both stay there. An installed program, whose folder
// (/usr/bin) it may not write, reads and saves its configuration in the
// user's configuration folder and unpacks archives into a private temporary
// folder that goes away with this object.

#include <memory>
#include <string>
#include <string_view>

#include "app/form_model.h"
#include "platform/temp_folder.h"

namespace kelvandor {

// "$XDG_CONFIG_HOME/kelvandor/Kelvandor.ini"; "$HOME/.config/kelvandor/..."
// when XDG_CONFIG_HOME is unset, empty or relative. Empty when HOME does not
// help either.
std::string UserConfigFile(const char* xdg_config_home, const char* home);

class ProgramFolders {
 public:
  // Asks the system: the program's folder writable? the two variables?
  explicit ProgramFolders(std::string_view exe_dir);
  ProgramFolders(bool exe_dir_writable, const char* xdg_config_home, const char* home);
  ProgramFolders(const ProgramFolders&) = delete;
  ProgramFolders& operator=(const ProgramFolders&) = delete;

  // Empty fields (beside the program) when its folder may be written, or
  // when no other place could be found.
  const FileLocations& locations() const { return locations_; }

 private:
  std::unique_ptr<TemporaryFolder> private_temp_;
  FileLocations locations_;
};

}  // namespace kelvandor
