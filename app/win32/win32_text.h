#pragma once

// Text between the program's byte strings and the wide strings of the
// Windows API. The bytes are in the ANSI code page, converted exactly as
// platform/ converts paths (NativePath, ProgramPath), so that a path shown in
// a field, typed, dropped or chosen names the file the core then opens.

#include <optional>
#include <string>
#include <string_view>

namespace kelvandor::win32 {

std::wstring Wide(std::string_view bytes);

// Characters the code page lacks become its default character ("?"), which
// no Windows file name may contain, so such a name can never reach a file.
std::string Narrow(std::wstring_view text);

// The program's byte string for a path the system gave in wide characters:
// the path itself when the code page holds every character of it, else its
// short (8.3) form when the file system keeps one and the code page holds
// that; nothing when neither will do.
std::optional<std::string> ProgramPathOf(std::wstring_view path);

// The process's current folder, in wide characters.
std::wstring CurrentFolder();

// What the window says of a path that ProgramPathOf cannot give.
std::string UnusablePathMessage(std::wstring_view path);

}  // namespace kelvandor::win32
