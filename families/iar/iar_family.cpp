#include "families/iar/iar_family.h"
#include "families/cubemx/ioc_rewriter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "families/iar/iar_cleanup.h"
#include "families/iar/iar_description.h"
#include "families/iar/iar_rewriter.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr CleanStep kSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug/obj", CleanOp::kEmpty},
    {"output/debug/exe", CleanOp::kKeepImages, kOutputImages},
    {"output/debug/list", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kKeepImages, kOutputImages},
    {"output/release/list", CleanOp::kEmpty},
    {"output/release/obj", CleanOp::kEmpty},
    {"settings", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kRenameImage, ".srec"},
    {"output/release/exe", CleanOp::kRenameImage, ".mhx"},
    {"output/release/exe", CleanOp::kRenameImage, ".hex"},
};

void Rewrite(const std::string& dir, const Family& family, const RewriteValues& values,
             UserInterface&, RewriteBatch& batch) {
  // Without a workspace name of its own, the workspace bears the project's.
  const std::string named = family.Value(kWorkspaceValue);
  const std::string& workspace = named.empty() ? family.old_name : named;
  ParseIAR(dir, family.old_name, workspace, values, batch);
  WarnOfIarWorkspacesAbove(dir.substr(0, dir.size() - family.sub_dir.size()), family.old_name,
                           values, batch);
}

void CleanNamed(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpIarNamed(request, family.Flag(kGeneratorLayoutValue), file_system);
}

constexpr ProjectFilePattern kFiles[] = {
    {".eww", false, true, WorkspaceList::kXmlPath},
    {".ewp"},
};

// The field shows the workspace; the project may be named otherwise.
constexpr ShownName kShown[] = {{OldField::kEww, kWorkspaceValue, true}};

constexpr std::string_view kProjectExtensions[] = {".eww"};
constexpr TakenFile kFolderFiles[] = {{".eww", 2}};
constexpr std::string_view kLayoutExtensions[] = {".eww", ".ewp", ".ewd", ".dep", ".ewt"};
constexpr std::string_view kSubFolderFiles[] = {".eww"};

// The name of the IAR project a given ".ewp", ".ewd", ".dep" or ".ewt" file
// belongs to: the ".ewp" of its name beside it; empty when there is none.
std::string PointedProject(const std::string& p) {
  constexpr std::string_view kProject = ".ewp";
  for (std::string_view ext :
       {kProject, std::string_view(".ewd"), std::string_view(".dep"), std::string_view(".ewt")}) {
    if (!EndsWithIgnoreCase(p, ext)) continue;
    if (!FileExists(p)) return {};
    const std::string base = NamePart(p.substr(0, p.size() - ext.size()));
    const std::optional<DirEntry> project = FindEntry(FolderPart(p), base + std::string(kProject));
    if (!project || project->kind != EntryKind::kFile) return {};
    return project->name.substr(0, project->name.size() - kProject.size());
  }
  return {};
}

bool NamesOwnFolder(const std::string& path) { return !PointedProject(path).empty(); }

// The projects a workspace with no ".ewp" beside it stands for: those it
// lists in sub-folders, relative to its folder; for a workspace whose
// entries name no file any more, the projects found below its folder, else
// its entries as written. Nothing when it lists no project.
std::vector<std::string> ProjectsElsewhere(const std::string& dir, const std::string& workspace,
                                           const AnalysisHelp& help) {
  if (workspace.empty()) return {};
  std::vector<IarWorkspaceEntry> entries;
  try {
    entries = ReadIarWorkspaceEntries(JoinPath(dir, workspace + ".eww"), NativeFileSystem());
  } catch (const IoError&) {
    return {};  // an unreadable workspace names no project
  }
  const std::string base = NormalisedAgainst(".", dir) + Separator();
  std::vector<std::string> listed;
  for (const IarWorkspaceEntry& entry : entries) {
    if (entry.path.starts_with(base) && FileExists(entry.path))
      listed.push_back(entry.path.substr(base.size()));
  }
  if (!listed.empty() || entries.empty()) return listed;
  // The workspace's own folder counts as a project to the search: each
  // folder below is searched by itself.
  listed = help.projects_below(dir);
  std::sort(listed.begin(), listed.end());
  if (listed.empty()) {
    for (const IarWorkspaceEntry& entry : entries) listed.push_back(entry.written);
  }
  return listed;
}

// The IAR project is the one given, else the only ".ewp" of its folder, else
// the only one its workspace lists; a workspace of several is no one
// project: the ".ewp" files to choose from come back. Without any ".ewp",
// the workspace's name stands for it.
std::vector<std::string> Choose(const std::string& input, Project& project,
                                const AnalysisHelp& help) {
  const std::string pointed = PointedProject(input);
  Family* iar = project.Find(FamilyKind::kIar);
  constexpr std::string_view kProject = ".ewp";
  const std::string dir = project.project_dir + iar->sub_dir;
  const std::string workspace = Get_IAR_Name(dir).text;
  iar->SetValue(kWorkspaceValue, workspace);
  std::vector<std::string> projects;
  for (const std::string& file : ListFiles(dir, kProject)) {
    projects.push_back(file.substr(0, file.size() - kProject.size()));
  }
  std::sort(projects.begin(), projects.end());
  // The name as the folder spells it.
  const auto present = [&](std::string_view name) -> const std::string* {
    for (const std::string& p : projects) {
      if (EqualsIgnoreCase(p, name)) return &p;
    }
    return nullptr;
  };
  if (const std::string* given = present(pointed); given != nullptr && !pointed.empty()) {
    iar->old_name = *given;
    return {};
  }
  if (projects.empty()) {
    if (std::vector<std::string> elsewhere = ProjectsElsewhere(dir, workspace, help);
        !elsewhere.empty())
      return elsewhere;
  }
  if (projects.size() < 2) {
    iar->old_name = projects.empty() ? workspace : projects.front();
    return {};
  }
  std::vector<std::string> listed;
  if (!workspace.empty()) {
    try {
      listed = ReadIarWorkspaceProjects(JoinPath(dir, workspace + ".eww"), NativeFileSystem());
    } catch (const IoError&) {
      // An unreadable workspace names no project.
    }
  }
  if (const std::string* only = listed.size() == 1 ? present(listed.front()) : nullptr) {
    iar->old_name = *only;
    return {};
  }
  std::vector<std::string> files = listed.size() > 1 ? listed : projects;
  for (std::string& file : files) file += kProject;
  return files;
}

}  // namespace

FamilyRow IarRow() {
  return {.kind = FamilyKind::kIar,
          .files = kFiles,
          .project_extensions = kProjectExtensions,
          .folder_files = kFolderFiles,
          .layout_extensions = kLayoutExtensions,
          .sub_folder_files = kSubFolderFiles,
          .layout_flag = kGeneratorLayoutValue,
          .names_own_folder = NamesOwnFolder,
          .choose = Choose,
          .generator_folder = "EWARM",
          .example_folder = "IAR",
          .proposal = Proposal::kWhenNamed,
          .configure_above = RewriteConfigurationAbove,
          .shown = kShown,
          .rewrite = Rewrite,
          .clean_steps = kSteps,
          .clean_named = CleanNamed,
          .describe = DescribeIar,
          .configuration_above = GeneratorFileIn};
}

HelperResult Get_IAR_Name(std::string_view dir) { return OnlyFileName(dir, ".eww"); }

}  // namespace kelvandor
