// kelvandor-cli: the rename and the clean-up of the window, for scripts and
// CI. It drives the same window model the Qt window uses: input analysis,
// then the New fields set as a user would type them, then the Rename or
// Clean-Only handler. Messages go to standard error.

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define KELVANDOR_ISATTY _isatty
#else
#include <unistd.h>
#define KELVANDOR_ISATTY isatty
#endif

#include "app/cli/cli_options.h"
#include "app/cli/terminal_ui.h"
#include "app/form_model.h"
#include "discovery/input_analysis.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"

namespace kelvandor::cli {
namespace {

constexpr int kExitUsage = 2;
// An I/O error raised by a rewriter or the clean-up, after its text.
constexpr int kExitIoError = 74;
constexpr const char* kVersion = "kelvandor-cli " KELVANDOR_VERSION;

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "kelvandor-cli: %s\n", reason.c_str());
  return kExitUsage;
}

// Checks the options against what the loaded project allows; the reason
// when they do not fit. Nothing has been changed on disk yet.
std::string MisfitReason(const Options& options, const FormModel& model) {
  const bool archive = model.project().from_archive;
  if (options.command == Command::kClean) {
    // The window disables Clean-Only for an archive: only its unpacked,
    // temporary copy would be cleaned.
    if (!model.controls().Button_CleanOnly.enabled) return "an archive cannot be cleaned";
    return {};
  }
  if (archive) {
    if (options.mode == Mode::kRenameFolder) {
      return "an archive is always copied: --rename-folder does not apply";
    }
    if (options.backup) return "an archive is always copied: --backup does not apply";
    // The proposed path lies in the temporary folder, removed at the end.
    if (!options.to) return "an archive needs --to PATH for its copy";
    return {};
  }
  if (options.mode == Mode::kInPlace && (options.to || options.dir)) {
    return "--to and --dir need --copy or --rename-folder";
  }
  return {};
}

// Sets the mode and the New fields as a user would click and type them.
void ApplyOptions(const Options& options, std::string_view current_dir, FormModel& model) {
  FormControls& c = model.controls();
  if (!model.project().from_archive) {
    model.SetCopyProjectTicked(options.mode == Mode::kCopy);
    model.SetRenameFolderTicked(options.mode == Mode::kRenameFolder);
  }
  // The workflow changes the current folder on its way; a relative path
  // would then name different folders in its later steps.
  if (options.to) c.Edit_New_Path.text = CommandLinePath(*options.to, current_dir);
  if (options.name) {
    c.Edit_New_WspPrj.text = *options.name;
    model.Edit_New_WspPrjKeyUp();  // in rename-folder mode the folder follows the name
  }
  if (options.dir) c.Edit_New_Dir.text = *options.dir;
  c.CheckBox_CleanUp.ticked = options.clean_up;
  if (c.CheckBox_Backup.enabled) c.CheckBox_Backup.ticked = options.backup;
}

int Run(const Options& options) {
  const bool interactive = KELVANDOR_ISATTY(0) && KELVANDOR_ISATTY(2);
  TerminalUi ui(stdin, stderr, options.yes, interactive, KELVANDOR_ISATTY(2) != 0);
  // A private program folder: the archive is unpacked there, and no
  // configuration file of the window's is read, so runs are repeatable and
  // can go side by side.
  TemporaryFolder work("kelvandor-cli-");
  if (work.path().empty()) {
    std::fprintf(stderr, "Can not create new directory!\n");
    return static_cast<int>(AnalysisError::kCreateDirectory);
  }
  FormModel model(ui);
  model.FormCreate(work.path());

  const std::string current_dir = CurrentDir();
  int status = 0;
  if (!model.NewInput(CommandLinePath(options.source, current_dir))) {
    status = model.state().ErrorCode;
  } else if (const std::string misfit = MisfitReason(options, model); !misfit.empty()) {
    status = UsageError(misfit);
  } else if (options.command == Command::kClean) {
    model.Button1Click_CleanUpProject();
    if (model.HandlerFailed()) status = kExitIoError;
  } else {
    ApplyOptions(options, current_dir, model);
    model.Button_RenameClick();
    status = model.HandlerFailed() ? kExitIoError : model.state().ErrorCode;
  }
  model.FormClose();
  return status;
}

}  // namespace
}  // namespace kelvandor::cli

int main(int argc, char* argv[]) {
  using namespace kelvandor::cli;
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.options) return UsageError(parsed.error);
  const Options& options = *parsed.options;
  switch (options.command) {
    case Command::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case Command::kVersion:
      std::printf("%s\n", kVersion);
      return 0;
    default:
      break;
  }
  try {
    return Run(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return kExitIoError;
  }
}
