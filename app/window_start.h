#pragma once

// What every main window is started with, whichever toolkit draws it.

#include <string>

#include "app/form_model.h"

namespace kelvandor {

struct WindowStart {
  std::string exe_dir;  // folder of the program file
  CommandLine command_line;
  int unzip_wait_ms = 500;
  FileLocations locations;            // empty: "Kelvandor.ini" and "___temp___" in exe_dir
  FileSystem* file_system = nullptr;  // null: the real one

  FileSystem& FileSystemToUse() const { return file_system ? *file_system : NativeFileSystem(); }
};

}  // namespace kelvandor
