#pragma once

// What kelvandor-cli prints about a run beyond the texts it shares with the
// windows (app/report_text.h): either of them as one JSON document, and
// colour on a terminal.

#include <string>
#include <string_view>
#include <vector>

#include "app/report_text.h"
#include "core/run_report.h"

namespace kelvandor::cli {

// Colour goes to a terminal only, and never when NO_COLOR is set to a
// non-empty value (`no_color` is its value, or null when unset).
bool ColorWanted(bool is_terminal, const char* no_color);

// The plan (dry run) or the report as one JSON document, ending in a line
// end. Bytes that are not UTF-8 become U+FFFD.
std::string JsonText(const RunReport& report, const RunFacts& facts);

// The answer to a folder below which several projects lie: the folder and
// the candidates ("/" between levels), as one JSON document.
std::string CandidatesJson(std::string_view source, const std::vector<std::string>& candidates,
                           int exit_status);

}  // namespace kelvandor::cli
