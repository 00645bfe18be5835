#pragma once

// Writing a file beside the one it is to replace, so that the old file is
// only ever replaced by a completely written new one: the rewriters and the
// configuration save write their new contents so and then rename.

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_lines.h"

namespace kelvandor {

// Whether two bare names in one folder name the same file (letter case
// ignored on Windows).
bool SameFileName(std::string_view a, std::string_view b);

// A name in `dir` that nothing stands at: `base` + `suffix`, with a number
// appended where needed, never `avoid`, as `file_system` shows `dir`; `base`
// is shortened where the whole would be too long for a name (ShortName).
// Raises IoError when none is free.
std::string FreeName(std::string_view dir, std::string_view base, std::string_view suffix,
                     std::string_view avoid, FileSystem& file_system);

// Creates the file `path` through `file_system`, lets `write` fill it, makes
// it durable, closes it and, unless `permissions_of` is empty, gives it the
// permissions of that file. When any step fails (or `write` raises), the new
// file is removed again and the error passes on.
void WriteFileAt(const std::string& path, std::string_view permissions_of,
                 const std::function<void(LineWriter& out)>& write, FileSystem& file_system);

// WriteFileAt on FreeName(dir, base, suffix, avoid) in `dir`; returns its path.
std::string WriteBeside(std::string_view dir, std::string_view base, std::string_view suffix,
                        std::string_view avoid, std::string_view permissions_of,
                        const std::function<void(LineWriter& out)>& write, FileSystem& file_system);

}  // namespace kelvandor
