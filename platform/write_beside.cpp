#include "platform/write_beside.h"

#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr int kFreeNameAttempts = 1000;

}  // namespace

bool SameFileName(std::string_view a, std::string_view b) {
  return kNativeStyle == PathStyle::kWindows ? EqualsIgnoreCase(a, b) : a == b;
}

std::string FreeName(std::string_view dir, std::string_view base, std::string_view suffix,
                     std::string_view avoid, FileSystem& file_system) {
  for (int attempt = 0; attempt < kFreeNameAttempts; ++attempt) {
    // A long base is shortened: the name must fit where `base` itself fits.
    const std::string number = attempt > 0 ? std::to_string(attempt) : std::string();
    std::string name = ShortName(base, suffix, number.size()) + number;
    if (!SameFileName(name, avoid) && !file_system.AnythingExists(JoinPath(dir, name))) {
      return name;
    }
  }
  throw IoError(IoErrorCode::kAccessDenied, JoinPath(dir, base));
}

std::string WriteBeside(std::string_view dir, std::string_view base, std::string_view suffix,
                        std::string_view avoid, std::string_view permissions_of,
                        const std::function<void(LineWriter& out)>& write,
                        FileSystem& file_system) {
  std::string path = JoinPath(dir, FreeName(dir, base, suffix, avoid, file_system));
  WriteFileAt(path, permissions_of, write, file_system);
  return path;
}

void WriteFileAt(const std::string& path, std::string_view permissions_of,
                 const std::function<void(LineWriter& out)>& write, FileSystem& file_system) {
  try {
    {
      LineWriter out(path, file_system);
      write(out);
      out.Sync();
      out.Close();
    }
    if (!permissions_of.empty() && !file_system.CopyPermissions(permissions_of, path)) {
      ThrowLastIoError(path);
    }
  } catch (...) {
    // RemoveTree also removes a file made read-only like the one it replaces.
    file_system.RemoveTree(path);
    throw;
  }
}

}  // namespace kelvandor
