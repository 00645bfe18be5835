#pragma once

// Splitting a project path into its parent path and last folder name, and
// finding the one project file of each family in a folder. No helper trims,
// lower-cases or otherwise normalises its argument; each returns a flag and
// a text that is always set (to the value found, or to the empty string).

#include <string>
#include <string_view>

#include "platform/path_style.h"

namespace kelvandor {

struct HelperResult {
  bool ok = false;
  std::string text;
  bool operator==(const HelperResult&) const = default;
};

// Last name in the path (one trailing separator ignored). ok when not empty.
HelperResult GetLastDir(std::string_view path, PathStyle style = kNativeStyle);

// Parent path ending in the separator (one trailing separator ignored). ok
// when not empty.
HelperResult GetPath(std::string_view path, PathStyle style = kNativeStyle);

// Name of the only visible sub-folder of `dir`; ok when there is exactly one.
HelperResult GetFolder(std::string_view dir);

// Name, without `extension`, of the only file of `dir` ending in it (letter
// case ignored); empty when there is none or several. The flag is always
// true. The families read their project names with it.
HelperResult OnlyFileName(std::string_view dir, std::string_view extension);

}  // namespace kelvandor
