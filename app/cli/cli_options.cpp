#include "app/cli/cli_options.h"

#include <utility>

#include "platform/path_style.h"

namespace kelvandor::cli {
namespace {

ParseResult Fail(std::string message) { return ParseResult{std::nullopt, std::move(message)}; }

ParseResult Only(Command command) {
  Options options;
  options.command = command;
  return ParseResult{options, {}};
}

bool HasFolderDelimiter(std::string_view name) {
  for (char c : name) {
    if (c == '/' || IsFolderDelimiter(c)) return true;
  }
  return false;
}

}  // namespace

std::string UsageText() {
  return "Usage:\n"
         "  kelvandor-cli rename SOURCE [--to PATH] [--dir NAME] [--name NAME]\n"
         "                [--copy | --rename-folder] [--cleanup | --no-cleanup]\n"
         "                [--backup] [--yes] [--dry-run] [--json]\n"
         "  kelvandor-cli clean SOURCE [--dry-run] [--json]\n"
         "  kelvandor-cli --help | --version\n"
         "\n"
         "SOURCE is a project folder, one of its project files, or a .zip archive\n"
         "holding the project folder. Without --copy or --rename-folder the project\n"
         "is rewritten in place; an archive is always copied, to the folder --to\n"
         "names. With --rename-folder the folder takes the new project name unless\n"
         "--dir is given. Options not given keep the values the program proposes.\n"
         "CleanUp runs unless --no-cleanup is given. --yes replaces an existing\n"
         "target of a copy; without it the answer is No unless asked on a terminal.\n"
         "--dry-run changes nothing: it prints what the run would do, with a unified\n"
         "diff of every project file, as if the question were answered Yes. After a\n"
         "real run a summary goes to standard error. --json prints the plan or the\n"
         "report of the run as one JSON document on standard output instead.\n"
         "\n"
         "Exit status: 0 on success, 2 for a usage error, 74 after an I/O error,\n"
         "otherwise the error code of the load or the rename (11 no project found,\n"
         "12 several projects found below SOURCE, 15 existing target kept, ...).\n"
         "\n"
         "Examples:\n"
         "  kelvandor-cli rename work/blinky --copy --to /tmp/new --dir pump --name pump\n"
         "  kelvandor-cli rename work/blinky --rename-folder --name pump\n"
         "  kelvandor-cli rename work/blinky --name pump --no-cleanup --backup\n"
         "  kelvandor-cli rename blinky.zip --to /tmp/new --name pump --yes\n"
         "  kelvandor-cli rename work/blinky --name pump --dry-run\n"
         "  kelvandor-cli clean work/blinky\n";
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("missing command (rename or clean); see --help");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") return Only(Command::kHelp);
  if (command == "--version") return Only(Command::kVersion);
  Options options;
  if (command == "rename") {
    options.command = Command::kRename;
  } else if (command == "clean") {
    options.command = Command::kClean;
  } else {
    return Fail("unknown command '" + command + "'; see --help");
  }
  const bool renaming = options.command == Command::kRename;

  bool have_source = false;
  bool mode_set = false;
  bool clean_set = false;
  bool options_ended = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool option = !options_ended && arg.size() > 1 && arg[0] == '-';
    if (!option) {
      if (have_source) return Fail("unexpected argument '" + arg + "'");
      if (arg.empty()) return Fail("SOURCE is empty");
      options.source = arg;
      have_source = true;
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      return Only(Command::kHelp);
    } else if (renaming && (arg == "--to" || arg == "--dir" || arg == "--name")) {
      std::optional<std::string>& target =
          arg == "--to" ? options.to : (arg == "--dir" ? options.dir : options.name);
      if (target.has_value()) return Fail("option " + arg + " given twice");
      // A missing value would otherwise swallow the next option.
      if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].starts_with("--")) {
        return Fail("option " + arg + " needs a value");
      }
      target = args[++i];
      if (arg == "--name" && HasFolderDelimiter(*target)) {
        return Fail("--name takes a project name, not a path: '" + *target + "'");
      }
    } else if (renaming && (arg == "--copy" || arg == "--rename-folder")) {
      const RenameMode mode = arg == "--copy" ? RenameMode::kCopy : RenameMode::kRenameFolder;
      if (mode_set && options.mode != mode) {
        return Fail("--copy and --rename-folder exclude each other");
      }
      options.mode = mode;
      mode_set = true;
    } else if (renaming && (arg == "--cleanup" || arg == "--no-cleanup")) {
      const bool clean_up = arg == "--cleanup";
      if (clean_set && options.clean_up != clean_up) {
        return Fail("--cleanup and --no-cleanup exclude each other");
      }
      options.clean_up = clean_up;
      clean_set = true;
    } else if (renaming && arg == "--backup") {
      options.backup = true;
    } else if (renaming && arg == "--yes") {
      options.yes = true;
    } else if (arg == "--dry-run") {
      options.dry_run = true;
    } else if (arg == "--json") {
      options.json = true;
    } else {
      return Fail("unknown option '" + arg + "' for " + command + "; see --help");
    }
  }
  if (!have_source) return Fail("missing SOURCE for " + command + "; see --help");
  return ParseResult{options, {}};
}

}  // namespace kelvandor::cli
