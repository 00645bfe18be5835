#pragma once

// The two folder operations of the workflow that tell the user of their own
// failure. Creating and deleting a folder, silently, is platform/folders.h.

#include <string_view>

#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Copies the folder `from` so that `to` becomes the copy, reporting progress
// through `ui`. Shows "Failed to Copy Project!" and returns false when the
// copy fails, `from` is missing, or `to` is `from` itself or lies inside it.
bool CopyDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                   FileSystem& file_system);

// Renames the folder `from` to `to`; never replaces an existing `to`. Shows
// "Failed to Rename Project!" and returns false on failure.
bool RenameDirectory(std::string_view from, std::string_view to, UserInterface& ui,
                     FileSystem& file_system);

}  // namespace kelvandor
