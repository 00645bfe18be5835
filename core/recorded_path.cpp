#include "core/recorded_path.h"

#include "platform/path_style.h"

namespace kelvandor {

std::optional<std::string> RecordedPath(std::string_view base_dir, std::string_view value) {
  if (value.empty() || value.find('$') != std::string_view::npos) return std::nullopt;
  if (IsRecordedSeparator(value.front())) return std::nullopt;
  if (value.size() >= 2 && value[1] == ':') return std::nullopt;
  std::string path(base_dir);
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = start;
    while (end < value.size() && !IsRecordedSeparator(value[end])) ++end;
    const std::string_view component = value.substr(start, end - start);
    if (!component.empty() && component != ".") {
      path += Separator();
      path += component;
    }
    start = end + 1;
  }
  return path;
}

std::optional<std::string> PathInside(std::string_view project_dir, std::string_view base_dir,
                                      std::string_view value, FileSystem& file_system) {
  const std::optional<std::string> path = RecordedPath(base_dir, value);
  if (!path || !file_system.IsSameOrInside(*path, project_dir)) return std::nullopt;
  std::string resolved = file_system.ResolvedPath(*path);
  if (resolved.empty()) return std::nullopt;
  return resolved;
}

std::string_view RecordedName(std::string_view value) {
  std::size_t i = value.size();
  while (i > 0 && !IsRecordedSeparator(value[i - 1])) --i;
  return value.substr(i);
}

}  // namespace kelvandor
