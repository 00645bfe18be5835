#include "app/win32/win32_text.h"

#include <filesystem>

#include <windows.h>

#include "platform/file_system.h"

namespace kelvandor::win32 {

std::wstring Wide(std::string_view bytes) { return NativePath(bytes).native(); }

std::string Narrow(std::wstring_view text) {
  return ProgramPath(std::filesystem::path(std::wstring(text)));
}

std::optional<std::string> ProgramPathOf(std::wstring_view path) {
  std::string bytes = Narrow(path);
  if (Wide(bytes) == path) return bytes;
  const std::wstring long_path(path);
  const DWORD size = GetShortPathNameW(long_path.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring short_path(size, L'\0');
  const DWORD length = GetShortPathNameW(long_path.c_str(), short_path.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  short_path.resize(length);
  bytes = Narrow(short_path);
  if (Wide(bytes) == short_path) return bytes;
  return std::nullopt;
}

std::wstring CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  folder.resize(GetCurrentDirectoryW(size, folder.data()));
  return folder;
}

std::string UnusablePathMessage(std::wstring_view path) {
  return "Path has characters outside the ANSI code page and no short name: " + Narrow(path);
}

}  // namespace kelvandor::win32
