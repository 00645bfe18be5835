#pragma once

// The command line of kelvandor-cli.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace kelvandor::cli {

enum class Command { kRename, kClean, kHelp, kVersion };
enum class Mode { kInPlace, kCopy, kRenameFolder };

struct Options {
  Command command = Command::kHelp;
  std::string source;
  std::optional<std::string> to;    // --to PATH
  std::optional<std::string> dir;   // --dir NAME
  std::optional<std::string> name;  // --name NAME
  Mode mode = Mode::kInPlace;
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

// A path from the command line as the program works with it: made absolute
// against `current_dir`, with empty and "." components dropped, ".." taking
// the component before it away, and no trailing separator. On Windows "/"
// separates as well. So "blinky/", "." and "../x/blinky" name the folder
// the shell means, and its last component is the folder's own name.
std::string CommandLinePath(std::string_view argument, std::string_view current_dir,
                            PathStyle style = kNativeStyle);

}  // namespace kelvandor::cli
