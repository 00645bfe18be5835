#include "core/path_helpers.h"

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kelvandor {
namespace {

std::string_view WithoutOneTrailingSeparator(std::string_view path, PathStyle style) {
  if (!path.empty() && path.back() == Separator(style)) path.remove_suffix(1);
  return path;
}

HelperResult Result(std::string text) {
  const bool ok = !text.empty();
  return {ok, std::move(text)};
}

}  // namespace

HelperResult GetLastDir(std::string_view path, PathStyle style) {
  const std::string_view p = WithoutOneTrailingSeparator(path, style);
  // A separator right at the end gives an empty name; the one before it is
  // taken with the separator that follows it.
  for (std::size_t i = p.size(); i-- > 0;) {
    if (p[i] == Separator(style) && i + 1 < p.size()) return Result(std::string(p.substr(i + 1)));
  }
  return Result({});
}

HelperResult GetPath(std::string_view path, PathStyle style) {
  const std::string_view p = WithoutOneTrailingSeparator(path, style);
  const std::size_t last = p.rfind(Separator(style));
  if (last == std::string_view::npos) return Result({});
  return Result(std::string(p.substr(0, last + 1)));
}

HelperResult GetFolder(std::string_view dir) {
  const std::vector<std::string> folders = ListVisibleFolders(dir);
  if (folders.size() != 1) return {false, {}};
  return Result(folders.front());
}

HelperResult OnlyFileName(std::string_view dir, std::string_view extension) {
  const std::vector<std::string> names = ListFiles(dir, extension);
  HelperResult result{true, {}};
  if (names.size() == 1)
    result.text = names.front().substr(0, names.front().size() - extension.size());
  return result;
}

}  // namespace kelvandor
