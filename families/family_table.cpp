#include "families/family_table.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "families/cmake_project/cmake_project.h"
#include "families/eclipse/eclipse_family.h"
#include "families/iar/iar_family.h"
#include "families/keil/keil_family.h"
#include "families/mplab/mplab_family.h"
#include "families/softune/softune_family.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

// Made on first use, so that no static initializer elsewhere can see it
// before it is filled in.
std::span<const FamilyRow> Rows() {
  static const FamilyRow rows[] = {
      SoftuneRow(),  // FamilyKind::kWspPrj
      IarRow(),      // FamilyKind::kIar
      KeilUv4Row(),  // FamilyKind::kKeilUv4
      KeilUv5Row(),  // FamilyKind::kKeilUv5
      EclipseRow(),  // FamilyKind::kEclipse
      MplabRow(),    // FamilyKind::kMplab
      CMakeRow(),    // FamilyKind::kCMake
  };
  static_assert(std::size(rows) == static_cast<std::size_t>(kLastFamilyKind) + 1,
                "every family has its row");
  return rows;
}

}  // namespace

std::span<const FamilyRow> FamilyTable() { return Rows(); }

const FamilyRow& RowOf(FamilyKind kind) { return Rows()[static_cast<std::size_t>(kind)]; }

std::string WhereFound(const Family& family) {
  if (family.sub_dir.empty()) return {};
  std::string where = family.sub_dir.substr(1);
  for (char& c : where) c = c == Separator() ? '/' : c;
  return " (" + where + "/)";
}

std::string DescribeProject(const Project& project) {
  std::vector<std::string> parts;
  const auto add = [&](std::string part) {
    if (part.empty() || std::find(parts.begin(), parts.end(), part) != parts.end()) return;
    parts.push_back(std::move(part));
  };
  // A description of several parts gives each of them, so that a part two
  // families share (their generator file) is said once.
  for (const Family& family : project.families) {
    if (!RowOf(family.kind).describe) continue;
    std::string text = RowOf(family.kind).describe(project, family);
    for (std::size_t start = 0; start <= text.size();) {
      const std::size_t end = std::min(text.find("; ", start), text.size());
      add(text.substr(start, end - start));
      start = end + 2;
    }
  }
  // After the families, as each generator's configuration serves all of its folder.
  for (const Family& family : project.families) {
    const auto configuration = RowOf(family.kind).configuration_above;
    if (configuration == nullptr || family.sub_dir.empty()) continue;
    const std::string name =
        configuration(FolderPart(project.project_dir + family.sub_dir), family.old_name);
    if (!name.empty()) add("generator file " + name);
  }
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "; ") + part;
  return out;
}

RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan) {
  return RewriteValues{.new_name = plan.new_name,
                       .new_path = plan.new_path,
                       .new_dir = plan.new_dir,
                       .old_dir = project.old_dir,
                       .backup = plan.backup};
}

}  // namespace kelvandor
