#pragma once

// What a front door says about a run, the same for kelvandor-cli and the
// windows: the plan of a dry run as text with a unified diff of every
// project file, and the short summary of a real run. Colour is optional, as
// terminal sequences; the windows colour the plain text by its lines.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_report.h"

namespace kelvandor {

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

// "copy", "rename-folder", "in-place" or "clean".
std::string ModeName(const RunReport& report, bool clean_only);

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

// A few lines after a real run.
std::string SummaryText(const RunReport& report, const RunFacts& facts);

// What a line of the plain text is, for a window that colours it.
enum class ReportLine { kPlain, kFileName, kHunk, kAdded, kRemoved };
ReportLine KindOfLine(std::string_view line);

}  // namespace kelvandor
