#include "families/eclipse/eclipse_family.h"

#include <string_view>
#include <vector>

#include "families/eclipse/eclipse_cleanup.h"
#include "families/eclipse/eclipse_description.h"
#include "families/eclipse/eclipse_rewriter.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

// The files that stand for the Eclipse project in their folder.
bool IsEclipseFile(std::string_view name) {
  return name == ".project" || name == ".cproject" || EndsWithIgnoreCase(name, ".ioc") ||
         EndsWithIgnoreCase(name, ".launch");
}

// The project of `dir`: its root and sub-projects, or nothing when `dir`
// holds none that builds, or its ".project" cannot be read.
std::vector<EclipseProject> ProjectsIn(const std::string& dir) {
  try {
    std::vector<EclipseProject> projects = FindEclipseProjects(dir, NativeFileSystem());
    if (projects.size() == 1 && !FileExists(JoinPath(dir, ".cproject"))) return {};
    return projects;
  } catch (const IoError&) {
    return {};
  }
}

}  // namespace

std::string ClaimEclipseProject(const std::string& path) {
  std::string dir = path;
  while (dir.size() > 1 && dir.back() == Separator()) dir.pop_back();
  if (!DirectoryExists(dir)) {
    if (!IsEclipseFile(NamePart(dir)) || !FileExists(dir)) return {};
    dir = FolderPart(dir);
    const std::string folder = NamePart(dir);
    if (folder == ".launches" || folder == "Debug_Configurations") dir = FolderPart(dir);
  }
  if (dir.empty()) return {};
  const std::string above = FolderPart(dir);
  if (!above.empty() && above.size() < dir.size()) {
    const std::vector<EclipseProject> up = ProjectsIn(above);
    for (std::size_t i = 1; i < up.size(); ++i) {
      if (up[i].dir == dir) return above;
    }
  }
  return ProjectsIn(dir).empty() ? std::string() : dir;
}

std::string ReadEclipseName(const std::string& dir) {
  try {
    return ReadEclipseProjectName(JoinPath(dir, ".project"), NativeFileSystem());
  } catch (const IoError&) {
    return {};
  }
}

void RewriteEclipse(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface&, RewriteBatch& batch) {
  ParseEclipse(dir, family.old_name, values, batch);
}

void CleanEclipse(const Family&, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpEclipse(request, file_system);
}

namespace {

constexpr ProjectFilePattern kFiles[] = {{".project", true}};
// Where no WSP/PRJ project takes it.
constexpr ShownName kShown[] = {{OldField::kPrj}};

}  // namespace

FamilyRow EclipseRow() {
  return {.kind = FamilyKind::kEclipse,
          .files = kFiles,
          .claim = ClaimEclipseProject,
          .joins = true,
          .read_name = ReadEclipseName,
          .proposal = Proposal::kWhenNamed,
          .shown = kShown,
          .rewrite = RewriteEclipse,
          .clean_named = CleanEclipse,
          .describe = DescribeEclipse};
}

}  // namespace kelvandor
