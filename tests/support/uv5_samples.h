#pragma once

// What the uVision 5 samples (examples/heater, fan, twin, sprinkler) become when
// renamed: every file of the result with its content, built from the sample
// itself, so that a renamed copy can be checked file by file.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvandor::testing {

using FileContents = std::vector<std::pair<std::string, std::string>>;

struct Uv5Outcome {
  bool cleaned = false;  // CleanUp ran after the rewrite
  bool backup = false;   // backups of the project files kept
};

// The files (relative, "/" between names, sorted) of the sample `sample`
// renamed to `new_name`.
FileContents RenamedUv5Sample(std::string_view sample, std::string_view new_name,
                              Uv5Outcome outcome);

// The files below `root` with their contents, folders left out.
FileContents FilesBelow(const std::string& root);

}  // namespace kelvandor::testing
