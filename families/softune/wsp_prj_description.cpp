#include "families/softune/wsp_prj_description.h"

#include "families/family_table.h"

namespace kelvandor {

std::string DescribeWspPrj(const Project&, const Family& family) {
  std::string out = "WSP/PRJ: ";
  if (family.Flag(kWorkspaceValue)) out += "workspace " + family.Value(kWorkspaceValue) + ".wsp, ";
  return out + "project " + family.old_name + ".prj" + WhereFound(family);
}

}  // namespace kelvandor
