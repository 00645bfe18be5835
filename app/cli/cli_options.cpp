#include "app/cli/cli_options.h"

namespace kelvandor::cli {
namespace {

ParseResult Fail(std::string message) { return ParseResult{std::nullopt, std::move(message)}; }

}  // namespace

std::string UsageText() {
  return "Usage:\n"
         "  kelvandor-cli rename SOURCE [--to PATH] [--dir NAME] [--name NAME]\n"
         "                [--copy | --rename-folder] [--cleanup | --no-cleanup] [--backup] [--yes]\n"
         "  kelvandor-cli clean SOURCE\n"
         "  kelvandor-cli --help | --version\n"
         "\n"
         "SOURCE is a project folder, one of its project files, or a .zip archive holding the\n"
         "project folder. Without --copy or --rename-folder the project is rewritten in place;\n"
         "an archive is always copied. Options not given keep the values the program proposes.\n"
         "\n"
         "Examples:\n"
         "  kelvandor-cli rename work/blinky --copy --to /tmp/new --dir pump --name pump\n"
         "  kelvandor-cli rename work/blinky --rename-folder --name pump\n"
         "  kelvandor-cli rename blinky.zip --to /tmp/new --name pump --yes\n"
         "  kelvandor-cli clean work/blinky\n";
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("missing command (rename or clean); see --help");
  Options options;
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    options.command = Command::kHelp;
    return ParseResult{options, {}};
  }
  if (command == "--version") {
    options.command = Command::kVersion;
    return ParseResult{options, {}};
  }
  if (command == "rename") {
    options.command = Command::kRename;
  } else if (command == "clean") {
    options.command = Command::kClean;
  } else {
    return Fail("unknown command '" + command + "'; see --help");
  }

  bool have_source = false;
  bool mode_set = false;
  bool clean_set = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::optional<std::string>& target) -> bool {
      if (i + 1 >= args.size()) return false;
      target = args[++i];
      return true;
    };
    const bool renaming = options.command == Command::kRename;
    if (arg == "--help" || arg == "-h") {
      options.command = Command::kHelp;
      return ParseResult{options, {}};
    }
    if (renaming && (arg == "--to" || arg == "--dir" || arg == "--name")) {
      std::optional<std::string>& target =
          arg == "--to" ? options.to : (arg == "--dir" ? options.dir : options.name);
      if (target.has_value()) return Fail("option " + arg + " given twice");
      if (!value(target)) return Fail("option " + arg + " needs a value");
    } else if (renaming && (arg == "--copy" || arg == "--rename-folder")) {
      const Mode mode = arg == "--copy" ? Mode::kCopy : Mode::kRenameFolder;
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
    } else if (arg == "--") {
      if (i + 1 < args.size() && !have_source) {
        options.source = args[++i];
        have_source = true;
      }
      if (i + 1 < args.size()) return Fail("unexpected argument '" + args[i + 1] + "'");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail("unknown option '" + arg + "' for " + command + "; see --help");
    } else if (!have_source) {
      options.source = arg;
      have_source = true;
    } else {
      return Fail("unexpected argument '" + arg + "'");
    }
  }
  if (!have_source || options.source.empty()) return Fail("missing SOURCE for " + command);
  return ParseResult{options, {}};
}

}  // namespace kelvandor::cli
