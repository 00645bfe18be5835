#include "families/iar/iar_description.h"

#include "families/family_table.h"

namespace kelvandor {

std::string DescribeIar(const Project&, const Family& family) {
  // Without a workspace name of its own, the workspace bears the project's.
  const std::string named = family.Value(kWorkspaceValue);
  const std::string& workspace = named.empty() ? family.old_name : named;
  return "IAR: workspace " + workspace + ".eww, project " + family.old_name + WhereFound(family);
}

}  // namespace kelvandor
