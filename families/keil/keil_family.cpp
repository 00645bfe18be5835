#include "families/keil/keil_family.h"
#include "families/cubemx/ioc_rewriter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/recorded_path.h"
#include "families/keil/keil5_rewriter.h"
#include "families/keil/keil_cleanup.h"
#include "families/keil/keil_description.h"
#include "families/keil/keil_rewriter.h"
#include "families/keil/keil_workspace.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr CleanStep kSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug", CleanOp::kKeepImages, kOutputImages},
    {"output/release", CleanOp::kKeepImages, kOutputImages},
    {"", CleanOp::kDeleteExtension, ".dep"},
    {"", CleanOp::kDeleteNameHolding, ".uvgui."},
    {"output/release", CleanOp::kRenameImage, ".hex"},
    {"output/release", CleanOp::kRenameImage, ".srec"},
    {"output/release", CleanOp::kRenameImage, ".mhx"},
};

// The workspaces listing the project files the batch renames in the Keil
// folder `dir`, looked for up to the project folder.
void FollowWorkspaces(const std::string& dir, const Family& family, const RewriteValues& values,
                      RewriteBatch& batch) {
  std::vector<RenamedProjectFile> renamed;
  for (const ProjectFileChange& change : batch.changes()) {
    if (change.dir == dir && change.old_name != change.new_name &&
        (EndsWithIgnoreCase(change.old_name, ".uvproj") ||
         EndsWithIgnoreCase(change.old_name, ".uvprojx"))) {
      renamed.push_back({change.dir, change.old_name, change.new_name});
    }
  }
  const std::string project_dir = dir.substr(0, dir.size() - family.sub_dir.size());
  FollowKeilWorkspaces(project_dir, dir, renamed, values.new_name, values.backup, batch);
}

void RewriteUv4(const std::string& dir, const Family& family, const RewriteValues& values,
                UserInterface&, RewriteBatch& batch) {
  ParseKEILUV(dir, family.old_name, values, batch);
  // A folder with one uVision 5 project has its row too, which runs next and
  // takes the workspaces of both.
  if (batch.file_system().ListFiles(dir, ".uvprojx").size() != 1)
    FollowWorkspaces(dir, family, values, batch);
}

void RewriteUv5(const std::string& dir, const Family& family, const RewriteValues& values,
                UserInterface&, RewriteBatch& batch) {
  ParseKEILUV5(dir, family.old_name, values, batch);
  FollowWorkspaces(dir, family, values, batch);
}

// The request of a Keil family, whose folder other projects may share.
FamilyCleanUp SharedRequest(const Family& family, FamilyCleanUp request) {
  request.shared_folder = family.Flag(kSharedFolderValue);
  return request;
}

void CleanUv4(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv4(SharedRequest(family, request), file_system);
}

void CleanUv5(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv5(SharedRequest(family, request), file_system);
}

// A uVision 5 project shows the Keil folder; input analysis tells it apart.
constexpr ProjectFilePattern kFiles[] = {
    {".uvproj"},
    {".uvprojx"},
    {".uvmpw", false, false, WorkspaceList::kXmlPathAndName},
};

constexpr ShownName kShown[] = {{OldField::kUvProj}};

constexpr std::string_view kGenerator = "MDK-ARM";
constexpr std::string_view kProjectExtensions[] = {".uvproj"};
constexpr TakenFile kFolderFiles[] = {{".uvproj", 1}, {".uvprojx", 3}};
constexpr std::string_view kLayoutExtensions[] = {".uvproj", ".uvopt", ".dep"};
constexpr std::string_view kSubFolderFiles[] = {".uvproj", ".uvprojx"};

// A project file in a sub-folder of a multi-project workspace's folder, the
// workspace listing it, stands for the folder above that (the one above
// MDK-ARM in a generator layout), so that the workspace is renamed with it.
std::optional<LaidOut> WorkspaceLayoutFile(const std::string& p) {
  if (!(EndsWithIgnoreCase(p, ".uvproj") || EndsWithIgnoreCase(p, ".uvprojx")) || !FileExists(p))
    return std::nullopt;
  const std::string folder = FolderPart(p);
  const std::string workspace_dir = FolderPart(folder);
  const std::string name = NamePart(folder);
  if (workspace_dir.empty() || name.empty() || workspace_dir.size() >= folder.size())
    return std::nullopt;
  bool listed = false;
  for (const std::string& workspace : ListFiles(workspace_dir, kKeilWorkspace)) {
    try {
      for (const std::string& entry :
           KeilWorkspaceEntries(JoinPath(workspace_dir, workspace), NativeFileSystem())) {
        listed = listed || EntryNames(workspace_dir, workspace_dir, entry, p, NativeFileSystem());
      }
    } catch (const IoError&) {
      // An unreadable workspace lists nothing.
    }
  }
  if (!listed) return std::nullopt;
  const std::string above = FolderPart(workspace_dir);
  const std::string generator = NamePart(workspace_dir);
  if (EqualsIgnoreCase(generator, kGenerator) && !above.empty() &&
      above.size() < workspace_dir.size()) {
    return LaidOut{above, SeparatorString() + generator + SeparatorString() + name};
  }
  return LaidOut{workspace_dir, SeparatorString() + name};
}

// A uVision 5 options file given directly stands for the project file of its
// name beside it.
std::string ProjectForOptions(const std::string& p) {
  constexpr std::string_view kOptions = ".uvoptx";
  if (!EndsWithIgnoreCase(p, kOptions) || !FileExists(p)) return p;
  const std::string folder = FolderPart(p);
  const std::string base = NamePart(p.substr(0, p.size() - kOptions.size()));
  const std::optional<DirEntry> project = FindEntry(folder, base + ".uvprojx");
  if (!project || project->kind != EntryKind::kFile) return p;
  return p.substr(0, p.size() - NamePart(p).size()) + project->name;
}

// A uVision multi-project workspace given as the input stands for the one
// project it lists, or, listing several, for its folder, which names them.
// A project outside that folder would leave the workspace behind.
std::string WorkspaceInput(const std::string& p) {
  if (!EndsWithIgnoreCase(p, kKeilWorkspace) || !FileExists(p)) return p;
  const std::string folder = FolderPart(p);
  std::vector<std::string> projects;
  try {
    for (const std::string& entry : KeilWorkspaceEntries(p, NativeFileSystem())) {
      const std::optional<std::string> path = RecordedPath(folder, entry);
      if (path && FileExists(*path) && IsSameOrInside(*path, folder)) projects.push_back(*path);
    }
  } catch (const IoError&) {
    // An unreadable workspace names no project: its folder is looked at.
  }
  return projects.size() == 1 ? projects.front() : folder;
}

// A workspace stands for its project, an options file for its project file.
std::string Redirect(const std::string& path) { return ProjectForOptions(WorkspaceInput(path)); }

void ReadNames(Project& project) {
  Family* keil = project.Find(FamilyKind::kKeilUv4);
  const std::string sub_dir = keil->sub_dir;
  const std::string dir = project.project_dir + sub_dir;
  keil->old_name = Get_KEILUV_Name(dir).text;
  const std::string uv5_name = Get_KEILUV5_Name(dir).text;
  if (keil->old_name.empty()) keil->old_name = uv5_name;
  if (!uv5_name.empty()) {
    Family& uv5 = project.Add(FamilyKind::kKeilUv5);  // may move the Keil family
    uv5.sub_dir = sub_dir;
    uv5.old_name = uv5_name;
  }
}

// A uVision project file named by the input is the project renamed where
// others of its generation lie beside it; they then share the folder.
void PreferNamed(const std::string& input, Project& project) {
  const std::string given = ProjectForOptions(input);
  Family* keil = project.Find(FamilyKind::kKeilUv4);
  if (!FileExists(given)) return;
  const std::string sub_dir = keil->sub_dir;
  const std::string dir = project.project_dir + sub_dir;
  if (FolderPart(given) != dir) return;
  for (const KeilFormat* format : {&kUvision5, &kUvision4}) {
    const std::string_view ext = format->project;
    if (!EndsWithIgnoreCase(given, ext) || ListFiles(dir, ext).size() < 2) continue;
    // As the disk spells it, whatever the letter case typed.
    const std::optional<DirEntry> entry = FindEntry(dir, NamePart(given));
    if (!entry || entry->kind != EntryKind::kFile) return;
    const std::string name = entry->name.substr(0, entry->name.size() - ext.size());
    if (format == &kUvision4 || keil->old_name.empty()) keil->old_name = name;
    keil->SetFlag(kSharedFolderValue, true);
    if (format == &kUvision5) {
      Family& uv5 = project.Add(FamilyKind::kKeilUv5);  // may move the Keil family
      uv5.sub_dir = sub_dir;
      uv5.old_name = name;
      uv5.SetFlag(kSharedFolderValue, true);
    }
    return;
  }
}

// The projects of a Keil multi-project workspace in the Keil folder, or the
// project files of one generation that lie there, when no project file of
// the folder names the project: nothing otherwise.
std::vector<std::string> Choose(const std::string&, Project& project, const AnalysisHelp&) {
  const Family* keil = project.Find(FamilyKind::kKeilUv4);
  if (!keil->old_name.empty()) return {};
  const std::string dir = project.project_dir + keil->sub_dir;
  for (const std::string& workspace : ListFiles(dir, kKeilWorkspace)) {
    try {
      std::vector<std::string> projects =
          KeilWorkspaceEntries(JoinPath(dir, workspace), NativeFileSystem());
      if (projects.size() > 1) return projects;
    } catch (const IoError&) {
      // An unreadable workspace names no project.
    }
  }
  for (std::string_view ext : {kUvision5.project, kUvision4.project}) {
    std::vector<std::string> files = ListFiles(dir, ext);
    if (files.size() < 2) continue;
    std::sort(files.begin(), files.end());
    const std::string folder = keil->sub_dir.empty() ? "" : keil->sub_dir.substr(1) + Separator();
    for (std::string& file : files) file = folder + file;
    return files;
  }
  return {};
}

}  // namespace

FamilyRow KeilUv4Row() {
  return {.kind = FamilyKind::kKeilUv4,
          .files = kFiles,
          .redirect = Redirect,
          .project_extensions = kProjectExtensions,
          .folder_files = kFolderFiles,
          .layout_extensions = kLayoutExtensions,
          .laid_out = WorkspaceLayoutFile,
          .sub_folder_files = kSubFolderFiles,
          .read_names = ReadNames,
          .prefer_named = PreferNamed,
          .choose = Choose,
          .generator_folder = kGenerator,
          .example_folder = "ARM",
          .proposal = Proposal::kWhenNamed,
          .configure_above = RewriteConfigurationAbove,
          .shown = kShown,
          .rewrite = RewriteUv4,
          .clean_steps = kSteps,
          .clean_named = CleanUv4,
          .describe = DescribeKeilUv4,
          .configuration_above = GeneratorFileIn};
}

FamilyRow KeilUv5Row() {
  return {.kind = FamilyKind::kKeilUv5,
          .configure_above = RewriteConfigurationAbove,
          .rewrite = RewriteUv5,
          .clean_named = CleanUv5,
          .describe = DescribeKeilUv5,
          .configuration_above = GeneratorFileIn};
}

HelperResult Get_KEILUV_Name(std::string_view dir) { return OnlyFileName(dir, ".uvproj"); }
HelperResult Get_KEILUV5_Name(std::string_view dir) { return OnlyFileName(dir, ".uvprojx"); }

}  // namespace kelvandor
