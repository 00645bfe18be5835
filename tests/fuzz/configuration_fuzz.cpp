// ReadConfiguration on any main file and two public files it may name: it
// ends, reads everything without an error and writes nothing; what it read
// survives SaveConfiguration and a second reading unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/configuration.h"
#include "platform/file_system.h"
#include "tests/fuzz/fuzz_support.h"

namespace kelvandor::fuzz {
namespace {

constexpr std::string_view kPublicIniKey = "PublicIni=";
constexpr std::string_view kPublicFiles[] = {"a.ini", "b.ini"};

// Public files are named relative to the current folder, which is the run
// folder; a name with a separator could lead anywhere on the machine.
bool NamesOnlyLocalFiles(std::string_view content) {
  for (const std::string& line : ModelLines(content)) {
    if (line.starts_with(kPublicIniKey) &&
        line.find('/', kPublicIniKey.size()) != std::string::npos) {
      return false;
    }
  }
  return true;
}

void FuzzOne(std::string_view data) {
  const auto parts = SplitParts(data, 3);
  for (const auto& part : parts) {
    if (part && !NamesOnlyLocalFiles(*part)) return;
  }
  const RunFolder run;
  const testing::CurrentDirGuard restore_current_dir;
  Check(SetCurrentDir(run.path()), "cannot enter the run folder");
  const std::string main = run / kConfigFileName;
  if (parts[0]) testing::WriteFile(main, *parts[0]);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i]) testing::WriteFile(run / kPublicFiles[i - 1], *parts[i]);
  }
  const Surroundings surroundings(run, "saved");

  SilentUi ui;
  const ConfigReadResult read = ReadConfiguration(main, ui);
  Check(read.completed && ui.messages.empty(), "reading readable files failed");
  surroundings.CheckUnchanged();
  const ConfigValues& values = read.values;
  // A public file that exists would be read again in the saved file's place.
  if (!values.public_ini_path.empty() && FileExists(values.public_ini_path)) return;

  const ConfigToSave config{.public_ini_path = values.public_ini_path,
                            .new_path = values.new_path,
                            .rename_folder = values.rename_folder,
                            .copy_project = values.copy_project,
                            .clean_up = values.clean_up.value_or(true)};
  testing::MakeDirs(run / "saved");
  const std::string saved = run / "saved/Kelvandor.ini";
  Check(SaveConfiguration(saved, config, ui), "saving failed");
  const ConfigReadResult again = ReadConfiguration(saved, ui);
  Check(again.completed && ui.messages.empty(), "reading the saved file failed");
  Check(again.values.public_ini_path == values.public_ini_path, "PublicIni= changed");
  Check(again.values.new_path == values.new_path, "NewPath= changed");
  Check(again.values.rename_folder == values.rename_folder, "RenameFolder= changed");
  Check(again.values.copy_project == values.copy_project, "CopyProject= changed");
  Check(again.values.clean_up == config.clean_up, "CleanUp= changed");
  surroundings.CheckUnchanged();
}

}  // namespace
}  // namespace kelvandor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelvandor::fuzz::FuzzOne(kelvandor::fuzz::AsText(data, size));
  return 0;
}
