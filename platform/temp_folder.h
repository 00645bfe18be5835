#pragma once

// A new, empty, private folder below the system's temporary folder.

#include <string>

namespace kelvandor {

// Creates the folder and returns its path; empty on failure.
std::string MakeTemporaryFolder(const std::string& prefix);

}  // namespace kelvandor
