#pragma once

// What kelvandor-cli prints about a run: the plan of a dry run as text with
// a unified diff of every project file, the short summary of a real run, and
// either of them as one JSON document.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_report.h"

namespace kelvandor::cli {

// What the report itself does not say about the run.
struct RunFacts {
  bool dry_run = false;
  bool clean_only = false;  // the clean command, not a rename
  int exit_status = 0;
  std::chrono::duration<double> elapsed{};  // of a real run
  // Where below the given folder the project was found ("/" between levels),
  // when it was searched for; and the linked folders the search passed over.
  std::optional<std::string> found_below{};
  std::vector<std::string> passed_over{};
};

// "512 B", "1.2 KiB", "3.0 MiB", ...
std::string HumanSize(std::uint64_t bytes);

// Colour goes to a terminal only, and never when NO_COLOR is set to a
// non-empty value (`no_color` is its value, or null when unset).
bool ColorWanted(bool is_terminal, const char* no_color);

// `name` as it is when it holds no control character, double quote or (on
// POSIX) backslash; otherwise in double quotes with C escapes ("a\nb"), as
// `git diff` writes such names, so that no name starts a line of its own or
// sends a sequence to the terminal.
std::string QuotedName(std::string_view name);

// `path` relative to the folder `base`, with "/" between its components;
// `path` itself when it does not lie inside `base`.
std::string RelativePath(std::string_view path, std::string_view base);

// The unified diff of one project file, "--- a/OLD" and "+++ b/NEW" named
// relative to `target`; every line ends as the lines of its file do, so that
// `patch -p1` in the old project folder turns the old file into the new one.
std::string UnifiedDiff(const ProjectFileChange& change, std::string_view target, bool color);

std::string PlanText(const RunReport& report, const RunFacts& facts, bool color);

// A few lines for standard error after a real run.
std::string SummaryText(const RunReport& report, const RunFacts& facts);

// The plan (dry run) or the report as one JSON document, ending in a line
// end. Bytes that are not UTF-8 become U+FFFD.
std::string JsonText(const RunReport& report, const RunFacts& facts);

// The answer to a folder below which several projects lie: the folder and
// the candidates ("/" between levels), as one JSON document.
std::string CandidatesJson(std::string_view source, const std::vector<std::string>& candidates,
                           int exit_status);

}  // namespace kelvandor::cli
