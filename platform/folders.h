#pragma once

// Creating and deleting a folder with what lies above or below it. Both are
// silent; every change goes through the given FileSystem.

#include <string_view>

#include "platform/file_system.h"

namespace kelvandor {

// Makes every folder of `path` that ends at a separator exist, after the
// drive root ("c:\" on Windows, "/" on POSIX), which is neither tested nor
// created. The component after the last separator is not created. False when
// a creation failed (no deeper folder is then tried).
bool CreateDirectory(std::string_view path, FileSystem& file_system);

// Removes the folder `path` with everything below it, permanently and
// silently. True when no folder is there afterwards (also when there was
// none, or `path` is empty or names a file, which stays).
bool DeleteDirectory(std::string_view path, FileSystem& file_system);

}  // namespace kelvandor
