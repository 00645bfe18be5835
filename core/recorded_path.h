#pragma once

// Paths as project files record them: relative to a folder, "\\" or "/"
// between names, whatever the platform.

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor {

// Whether `c` separates the names of a recorded path.
inline bool IsRecordedSeparator(char c) { return c == '\\' || c == '/'; }

// The resolved path of `value` — a folder or file as a project file records
// it, relative to `base_dir`, "\" or "/" between names — when it lies inside
// `project_dir` (or is it). Nothing for an empty value, an absolute path
// ("\x", "/x", "C:\x", "C:x"), a value holding a "$" variable, and a path
// that leaves `project_dir` by ".." or through a symbolic link.
std::optional<std::string> PathInside(std::string_view project_dir, std::string_view base_dir,
                                      std::string_view value, FileSystem& file_system);

// `value` (as for PathInside) joined to `base_dir` as written, without a
// look at the disk; nothing where PathInside gives nothing without one.
std::optional<std::string> RecordedPath(std::string_view base_dir, std::string_view value);

// The text after the last "\" or "/" of a recorded path.
std::string_view RecordedName(std::string_view value);

}  // namespace kelvandor
