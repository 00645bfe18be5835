#pragma once

// The configuration file "Kelvandor.ini" beside the program file: the
// preferred new parent path and the states of "Rename Folder", "Copy Project"
// and "CleanUp". Qt-free: the window applies what is read and supplies what is
// written.

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

inline constexpr std::string_view kConfigFileName = "Kelvandor.ini";

// exe_dir + separator + "Kelvandor.ini".
std::string ConfigFilePath(std::string_view exe_dir);

struct ConfigValues {
  std::string public_ini_path;   // "PublicIni="
  std::string new_path;          // "NewPath="
  bool rename_folder = false;    // "RenameFolder=1"
  bool copy_project = false;     // "CopyProject=1"
  std::optional<bool> clean_up;  // "CleanUp=": set only when a line was read
};

struct ConfigReadResult {
  ConfigValues values;
  // False when reading stopped at an I/O error (its text was shown through
  // the interface); the values read before it stay, and the mode boxes are
  // then not ticked.
  bool completed = true;
};

// Reads the main file at `path` with its public files. A missing file gives
// the defaults and completed == true.
ConfigReadResult ReadConfiguration(std::string_view path, UserInterface& ui);

struct ConfigToSave {
  std::string public_ini_path;
  std::string new_path;  // the text of Edit_New_Path
  bool rename_folder = false;
  bool copy_project = false;
  bool clean_up = false;
};

// Writes the main file at `path`, replacing it only once the new content is
// completely written. On an I/O error shows its text and returns false; the
// old file then stays as it was.
bool SaveConfiguration(std::string_view path, const ConfigToSave& config, UserInterface& ui,
                       FileSystem& file_system = NativeFileSystem());

}  // namespace kelvandor
