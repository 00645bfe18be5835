#include "families/eclipse/eclipse_cleanup.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/cleaning.h"
#include "core/recorded_path.h"
#include "families/eclipse/eclipse_rewriter.h"
#include "families/eclipse/eclipse_settings.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kGenerated[] = {".mk",  ".o",   ".obj", ".d",    ".su",  ".cyclo",
                                           ".pp",  ".elf", ".axf", ".out",  ".map", ".list",
                                           ".lst", ".bin", ".hex", ".srec", ".s37", ".opt"};

bool IsGenerated(std::string_view name, bool managed_link_script) {
  if (name == "makefile" || name.ends_with("_linkInfo.xml")) return true;
  const std::string_view ext = FileExtension(name);
  if (ext.empty()) return false;
  if (managed_link_script && ext == ".ld") return true;
  return std::find(std::begin(kGenerated), std::end(kGenerated), ext) != std::end(kGenerated);
}

void CleanProject(const FamilyCleanUp& request, const EclipseProject& project, FileSystem& fs) {
  const std::string cproject = JoinPath(project.dir, ".cproject");
  if (fs.IsLink(cproject) || !fs.FileExists(cproject) ||
      !fs.IsSameOrInside(cproject, request.project_dir)) {
    return;
  }
  std::vector<EclipseConfiguration> configurations;
  try {
    configurations = ReadEclipseConfigurations(cproject, fs);
  } catch (const std::exception&) {
    return;  // silent: an unreadable file cleans nothing
  }
  for (const EclipseConfiguration& c : configurations) {
    const std::string folder_text = EclipseBuildFolder(c);
    if (folder_text.empty()) continue;
    const std::optional<std::string> folder =
        PathInside(request.project_dir, project.dir, folder_text, fs);
    if (!folder || fs.IsLink(*folder) || !fs.DirectoryExists(*folder) ||
        fs.IsSameOrInside(project.dir, *folder) ||
        fs.AnythingExists(JoinPath(*folder, ".project"))) {
      continue;
    }
    const bool managed = c.managed_link_script;
    if (CleanTree(
            *folder, [managed](std::string_view name) { return IsGenerated(name, managed); }, fs))
      fs.RemoveTree(*folder);
  }
}

}  // namespace

void CleanUpEclipse(const FamilyCleanUp& request, FileSystem& file_system) {
  if (request.project_dir.empty() || !file_system.DirectoryExists(request.family_dir) ||
      !file_system.IsSameOrInside(request.family_dir, request.project_dir)) {
    return;
  }
  std::vector<EclipseProject> projects;
  try {
    projects = FindEclipseProjects(request.family_dir, file_system);
  } catch (const std::exception&) {
    return;  // silent: an unreadable project cleans nothing
  }
  for (const EclipseProject& project : projects) CleanProject(request, project, file_system);
}

}  // namespace kelvandor
