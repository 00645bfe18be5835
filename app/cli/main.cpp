// kelvandor-cli: the rename and the clean-up of the window, for scripts and
// CI (see cli_run.h). Messages go to standard error.

#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define KELVANDOR_ISATTY _isatty
#else
#include <signal.h>
#include <unistd.h>
#define KELVANDOR_ISATTY isatty
#endif

#include "app/cli/cli_options.h"
#include "app/cli/cli_run.h"
#include "app/cli/terminal_ui.h"
#include "core/failure.h"
#include "platform/file_system.h"
#include "platform/stop_request.h"

namespace kelvandor::cli {
namespace {

// Ctrl-C and termination signals ask the run to stop at its next safe point
// (see stop_request.h), so that it rolls back and removes its temporary
// folders; a second Ctrl-C stops the program at once, which the journal of
// the project also covers.
#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      if (StopRequested()) return FALSE;
      RequestStop();
      return TRUE;
    default:
      return FALSE;
  }
}

void CatchStopSignals() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }
#else
extern "C" void OnStopSignal(int) { RequestStop(); }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a question waiting for its answer ends as a No.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
#endif

constexpr const char* kVersion = "kelvandor-cli " KELVANDOR_VERSION;

}  // namespace
}  // namespace kelvandor::cli

int main(int argc, char* argv[]) {
  using namespace kelvandor::cli;
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.options) return static_cast<int>(UsageError(parsed.error));
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
  CatchStopSignals();
  try {
    const bool interactive = KELVANDOR_ISATTY(0) && KELVANDOR_ISATTY(2);
    TerminalUi ui(stdin, stderr, options.yes, interactive, KELVANDOR_ISATTY(2) != 0);
    const CliOutput output{.out_is_terminal = KELVANDOR_ISATTY(1) != 0};
    return static_cast<int>(RunCommand(options, ui, kelvandor::NativeFileSystem(), output));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return static_cast<int>(kelvandor::ExitStatus::kIoError);
  }
}
