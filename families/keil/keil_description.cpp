#include "families/keil/keil_description.h"

#include <optional>
#include <string_view>

#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

std::string Describe(const Project& project, const Family& family, std::string_view ext) {
  const std::optional<DirEntry> file = NativeFileSystem().FindEntry(
      project.project_dir + family.sub_dir, family.old_name + std::string(ext));
  if (!file || file->kind != EntryKind::kFile) return {};
  return "Keil: project " + file->name + WhereFound(family);
}

}  // namespace

std::string DescribeKeilUv4(const Project& project, const Family& family) {
  return Describe(project, family, ".uvproj");
}

std::string DescribeKeilUv5(const Project& project, const Family& family) {
  return Describe(project, family, ".uvprojx");
}

}  // namespace kelvandor
