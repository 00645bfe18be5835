#include "families/eclipse/eclipse_description.h"

#include <vector>

#include "families/cubemx/ioc_rewriter.h"
#include "families/eclipse/eclipse_rewriter.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {

std::string DescribeEclipse(const Project& project, const Family& family) {
  const std::string dir = project.project_dir + family.sub_dir;
  std::string out = "Eclipse: " + family.old_name + WhereFound(family);
  std::vector<EclipseProject> projects;
  try {
    projects = FindEclipseProjects(dir, NativeFileSystem());
  } catch (const IoError&) {
    // The rename reads them again and reports what it cannot read.
  }
  for (std::size_t i = 1; i < projects.size(); ++i) {
    out += (i == 1 ? ", sub-projects " : ", ") + NamePart(projects[i].dir);
  }
  const std::string generator = GeneratorFileIn(dir, family.old_name);
  if (!generator.empty()) out += "; generator file " + generator;
  return out;
}

}  // namespace kelvandor
