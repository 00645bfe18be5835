#pragma once

// The command line of kelvandor-cli.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/project.h"

namespace kelvandor::cli {

enum class Command { kRename, kClean, kHelp, kVersion };

struct Options {
  Command command = Command::kHelp;
  std::string source;
  std::optional<std::string> to;    // --to PATH
  std::optional<std::string> dir;   // --dir NAME
  std::optional<std::string> name;  // --name NAME
  RenameMode mode = RenameMode::kInPlace;
  bool clean_up = true;
  bool backup = false;
  bool yes = false;
  bool dry_run = false;  // --dry-run: print the plan, change nothing
  bool json = false;     // --json: one JSON document on standard output
  bool operator==(const Options&) const = default;
};

struct ParseResult {
  std::optional<Options> options;
  std::string error;  // one line, set when options is empty
};

ParseResult ParseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

}  // namespace kelvandor::cli
