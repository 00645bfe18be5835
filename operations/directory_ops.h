#pragma once

// The four folder operations the rest of the program strings together. Copy
// and rename tell the user of their own failure; create and delete are silent.

#include <string_view>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Makes every folder of `path` that ends at a separator exist, after the
// drive root ("c:\" on Windows, "/" on POSIX), which is neither tested nor
// created. The component after the last separator is not created. False when
// a creation failed (no deeper folder is then tried).
bool CreateDirectory(std::string_view path, FileSystem& file_system = NativeFileSystem());

// Copies the folder `from` so that `to` becomes the copy, reporting progress
// through `ui`. Shows "Failed to Copy Project!" and returns false when the
// copy fails, `from` is missing, or `to` is `from` itself or lies inside it.
bool CopyDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                   FileSystem& file_system = NativeFileSystem());

// Renames the folder `from` to `to`; never replaces an existing `to`. Shows
// "Failed to Rename Project!" and returns false on failure.
bool RenameDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                     FileSystem& file_system = NativeFileSystem());

// Removes the folder `path` with everything below it, permanently and
// silently. True when no folder is there afterwards (also when there was
// none, or `path` is empty or names a file, which stays).
bool DeleteDirectory(std::string_view path, FileSystem& file_system = NativeFileSystem());

}  // namespace kelvandor
