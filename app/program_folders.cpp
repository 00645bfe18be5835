#include "app/program_folders.h"

#include <cstdlib>

#include "app/configuration.h"
#include "platform/file_system.h"

namespace kelvandor {

std::string UserConfigFile(const char* xdg_config_home, const char* home) {
  const auto with_slash = [](std::string folder) {
    if (folder.back() != '/') folder += '/';
    return folder;
  };
  std::string base;
  if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
    base = with_slash(xdg_config_home);
  } else if (home != nullptr && home[0] == '/') {
    base = with_slash(home) + ".config/";
  } else {
    return {};
  }
  return base + "kelvandor/" + std::string(kConfigFileName);
}

namespace {

constexpr std::string_view kPrivateFolderPrefix = "kelvandor-";

}  // namespace

ProgramFolders::ProgramFolders(std::string_view exe_dir)
    : ProgramFolders(IsWritableFolder(exe_dir), std::getenv("XDG_CONFIG_HOME"),
                     std::getenv("HOME")) {}

ProgramFolders::ProgramFolders(bool exe_dir_writable, const char* xdg_config_home,
                               const char* home) {
  if (exe_dir_writable) return;
  locations_.config_file = UserConfigFile(xdg_config_home, home);
  // Those of windows that were killed; a live window's folder stays.
  RemoveStaleTemporaryFolders(std::string(kPrivateFolderPrefix));
  private_temp_ = std::make_unique<TemporaryFolder>(std::string(kPrivateFolderPrefix));
  locations_.temp_base = private_temp_->path();
}

}  // namespace kelvandor
