#include "workflow/input_analysis.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "workflow/path_helpers.h"
#include "workflow/project_search.h"
#include "workflow/unit_unzip.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "families/build_settings.h"
#include "families/iar/iar_rewriter.h"
#include "families/keil/keil5_rewriter.h"
#include "families/keil/keil_workspace.h"
#include "families/softune/wsp_rewriter.h"

namespace kelvandor {
namespace {

// The extension test: the program's own on the whole path, or, when that
// finds nothing, one that looks at the entry's own name only, so that a folder
// such as "old.prj-archive" above the project does not pass for a file.
using ExtensionTest = bool (*)(std::string_view path, std::string_view lower_ext);

bool OwnNameHasExtension(std::string_view path, std::string_view lower_ext) {
  return !DirectoryExists(path) && ContainsExtension(NamePart(path), lower_ext);
}

bool ContainsAnyExtension(std::string_view path, std::initializer_list<std::string_view> exts,
                          ExtensionTest test = ContainsExtension) {
  for (std::string_view ext : exts) {
    if (test(path, ext)) return true;
  }
  return false;
}

// A folder is never a project file: below one named like one ("x.uvprojx/",
// "c.prj/"), only the entry's own name tells what the input is.
ExtensionTest ExtensionTestBelow(std::string_view path) {
  return ContainsAnyExtension(FolderPart(path), {".prj", ".wsp", ".eww", ".ewp", ".ewd", ".dep",
                                                 ".ewt", ".uvproj", ".uvopt", ".uvmpw"})
             ? OwnNameHasExtension
             : ContainsExtension;
}

const std::string_view kKeilGenerator = RowOf(FamilyKind::kKeilUv4).generator_folder;
const std::string_view kIarGenerator = RowOf(FamilyKind::kIar).generator_folder;

// The example layout's folder of the family `kind`.
std::string ExampleSubDir(FamilyKind kind) {
  return SeparatorString() + "example" + SeparatorString() +
         std::string(RowOf(kind).example_folder);
}

// The text of `path` before the second separator found scanning `folder` (a
// prefix of `path`) backwards: two levels above `folder`. Empty when `folder`
// has fewer than two separators.
std::string TwoLevelsUp(std::string_view path, std::string_view folder) {
  int passed = 0;
  for (std::size_t i = folder.size(); i-- > 0;) {
    if (folder[i] == Separator() && ++passed == 2) return std::string(path.substr(0, i));
  }
  return {};
}

// Unpacks the archive at `p` into the temporary folder and returns the
// unpacked project folder, or `p` itself when there is nothing to unpack or
// the unpacking failed.
std::string UnpackArchive(const std::string& p, const AnalysisConfig& config, ProjectState& state,
                          UserInterface& ui, int wait_ms) {
  Project& project = state.project;
  project.from_archive = false;
  project.temp_dir = TempDirFor(config.exe_dir);
  if (!CreateDirectory(project.temp_dir, NativeFileSystem())) {
    state.error = AnalysisError::kCreateDirectory;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kCreateDirectory));
  }
  if (state.error != AnalysisError::kNone || !FileExists(p)) return p;

  if (!UnzipArchive(p, project.temp_dir)) {
    state.error = AnalysisError::kUnzip;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kUnzip));
    return p;
  }
  if (wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  const HelperResult folder = GetFolder(project.temp_dir);
  if (!folder.ok) {
    state.error = AnalysisError::kTempContents;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kTempContents));
    return p;
  }
  project.old_path = "ZIP-Archiv: " + NamePart(p);
  project.old_dir = folder.text;
  project.project_dir = project.temp_dir + Separator() + project.old_dir;
  project.from_archive = true;
  return project.project_dir;
}

// A file inside PROJECT/example/IAR or PROJECT/example/ARM stands for PROJECT.
std::string ExampleLayoutProject(const std::string& p) {
  const std::string above = TwoLevelsUp(p, FolderPart(p));
  // Without a folder two levels up, the tests below would look at the root.
  if (above.empty()) return p;
  std::string result = p;
  if (DirectoryExists(above + ExampleSubDir(FamilyKind::kIar))) result = above;
  if (DirectoryExists(above + ExampleSubDir(FamilyKind::kKeilUv4))) result = above;
  return result;
}

// A project file in the MDK-ARM or EWARM folder of a generator layout
// stands for the folder above, which holds the sources too.
struct GeneratorFile {
  std::string project_dir;
  std::string sub_dir;  // separator + the folder's name
  bool keil = false;
};

std::optional<GeneratorFile> GeneratorLayoutFile(const std::string& p, ExtensionTest test) {
  if (!FileExists(p)) return std::nullopt;
  const std::string folder = FolderPart(p);
  const std::string name = NamePart(folder);
  const std::string above = FolderPart(folder);
  if (above.empty() || name.empty()) return std::nullopt;
  const std::string sub_dir = SeparatorString() + name;
  if (EqualsIgnoreCase(name, kKeilGenerator) &&
      ContainsAnyExtension(p, {".uvproj", ".uvopt", ".dep"}, test)) {
    return GeneratorFile{above, sub_dir, true};
  }
  if (EqualsIgnoreCase(name, kIarGenerator) &&
      ContainsAnyExtension(p, {".eww", ".ewp", ".ewd", ".dep", ".ewt"}, test)) {
    return GeneratorFile{above, sub_dir, false};
  }
  return std::nullopt;
}

// A project file in a sub-folder of a multi-project workspace's folder, the
// workspace listing it, stands for the folder above that (the one above
// MDK-ARM in a generator layout), so that the workspace is renamed with it.
std::optional<GeneratorFile> WorkspaceLayoutFile(const std::string& p) {
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
  if (EqualsIgnoreCase(generator, kKeilGenerator) && !above.empty() &&
      above.size() < workspace_dir.size()) {
    return GeneratorFile{above, SeparatorString() + generator + SeparatorString() + name, true};
  }
  return GeneratorFile{workspace_dir, SeparatorString() + name, true};
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
std::string KeilWorkspaceInput(const std::string& p) {
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

// The name of the IAR project a given ".ewp", ".ewd", ".dep" or ".ewt" file
// belongs to: the ".ewp" of its name beside it; empty when there is none.
std::string PointedIarProject(const std::string& p) {
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

// Lists `p` for files ending in `ext`; the first one found becomes the new
// working path. Once `p` names a file, nothing more is found.
bool TakeFirstProjectFile(std::string& p, std::string_view ext) {
  const std::vector<std::string> names = ListFiles(p, ext);
  if (names.empty()) return false;
  p += Separator() + names.front();
  return true;
}

// The one direct sub-folder of `dir` holding a file ending in one of
// `extensions`; `preferred` (the generators' name) wins over the others.
std::optional<std::string> FamilySubFolder(const std::string& dir,
                                           const std::vector<std::string>& folders,
                                           std::string_view preferred,
                                           std::initializer_list<std::string_view> extensions) {
  std::vector<std::string> holding;
  for (const std::string& folder : folders) {
    const std::string sub = dir + Separator() + folder;
    bool holds = false;
    for (std::string_view ext : extensions) holds = holds || !ListFiles(sub, ext).empty();
    if (!holds) continue;
    if (EqualsIgnoreCase(folder, preferred)) return folder;
    holding.push_back(folder);
  }
  if (holding.size() != 1) return std::nullopt;
  return holding.front();
}

// Generator and vendor layouts: the Keil or IAR project in one sub-folder
// with the sources beside it.
void FindFamilySubFolders(const std::string& p, Project& project) {
  const std::vector<std::string> folders = ListVisibleFolders(p);
  if (const auto keil = FamilySubFolder(p, folders, kKeilGenerator, {".uvproj", ".uvprojx"})) {
    project.Add(FamilyKind::kKeilUv4).sub_dir = SeparatorString() + *keil;
  }
  if (const auto iar = FamilySubFolder(p, folders, kIarGenerator, {".eww"})) {
    Family& family = project.Add(FamilyKind::kIar);
    family.sub_dir = SeparatorString() + *iar;
    family.SetFlag(kGeneratorLayoutValue, true);
  }
}

// Finds the families. A uVision 5 project counts as the Keil folder here;
// ReadOldNames tells it apart.
void Classify(std::string& p, Project& project, ExtensionTest test = ContainsExtension) {
  // An empty path would list and probe the root (the current drive's root on
  // Windows) instead of naming no project.
  if (p.empty()) return;
  if (!ContainsAnyExtension(p, {".prj", ".wsp", ".eww", ".uvproj"}, test)) {
    if (TakeFirstProjectFile(p, ".prj")) project.Add(FamilyKind::kWspPrj);
    if (TakeFirstProjectFile(p, ".uvproj")) project.Add(FamilyKind::kKeilUv4);
    if (TakeFirstProjectFile(p, ".eww")) project.Add(FamilyKind::kIar);
    // After ".eww", so that a folder found as IAR before stays so.
    if (TakeFirstProjectFile(p, ".uvprojx")) project.Add(FamilyKind::kKeilUv4);
    for (FamilyKind kind : {FamilyKind::kIar, FamilyKind::kKeilUv4}) {
      if (DirectoryExists(p + ExampleSubDir(kind))) project.Add(kind).sub_dir = ExampleSubDir(kind);
    }
    if (project.families.empty()) FindFamilySubFolders(p, project);
  } else if (FileExists(p)) {
    if (ContainsAnyExtension(p, {".prj", ".wsp"}, test)) project.Add(FamilyKind::kWspPrj);
    if (test(p, ".eww")) project.Add(FamilyKind::kIar);
    if (test(p, ".uvproj")) project.Add(FamilyKind::kKeilUv4);
  }
}

// The families `p` names by the rules of `test`: a project file or folder, a
// file of the example layout, or one in a generator's folder. `p` becomes
// the project folder or the project file found.
void Locate(std::string& p, Project& project, ExtensionTest test) {
  project.families.clear();
  p = ProjectForOptions(p);
  std::optional<GeneratorFile> generator;
  if (ContainsAnyExtension(p, {".eww", ".ewp", ".ewd", ".dep", ".ewt", ".uvproj", ".uvopt"},
                           test)) {
    const std::string example = ExampleLayoutProject(p);
    if (example == p) generator = GeneratorLayoutFile(p, test);
    if (example == p && !generator) generator = WorkspaceLayoutFile(p);
    p = generator ? generator->project_dir : example;
  }

  Classify(p, project, test);
  if (generator) {
    Family& family = project.Add(generator->keil ? FamilyKind::kKeilUv4 : FamilyKind::kIar);
    family.sub_dir = generator->sub_dir;
    if (!generator->keil) family.SetFlag(kGeneratorLayoutValue, true);
  }
}

// The family whose row recognises the input `given`, with those today's
// rules find in the project folder it stands for; `p` becomes that folder.
void ClaimByRow(const std::string& given, std::string& p, Project& project) {
  for (const FamilyRow& row : FamilyTable()) {
    if (row.claim == nullptr) continue;
    if (std::string dir = row.claim(given); !dir.empty()) {
      std::string folder = dir;
      Locate(folder, project, OwnNameHasExtension);
      // A project file at the top would be another project's.
      if (folder != dir) project.families.clear();
      p = std::move(dir);
      project.Add(row.kind);
      return;
    }
  }
}

// The families whose rows join those found in the project folder.
void JoinByRow(Project& project) {
  for (const FamilyRow& row : FamilyTable()) {
    if (!row.joins || row.claim == nullptr || project.Has(row.kind)) continue;
    if (row.claim(project.project_dir) == project.project_dir) project.Add(row.kind);
  }
}

// The one project found below `root`: its folder classified as if given,
// each family's folder then taken relative to `root`. A folder holding only a
// workspace keeps the workspace's family there.
void AddFoundBelow(const std::string& root, const ProjectCandidate& found, Project& project) {
  std::string folder = root + found.sub_dir;
  Project below;
  Classify(folder, below, OwnNameHasExtension);
  if (below.families.empty()) below.Add(found.kind);
  for (Family& family : below.families) {
    family.sub_dir = found.sub_dir + family.sub_dir;
    project.families.push_back(family);
  }
}

void SetOldLocation(const std::string& project_dir, ProjectState& state) {
  const HelperResult parent = GetPath(project_dir);
  if (!parent.ok) {
    state.error = AnalysisError::kNoProject;
    return;
  }
  state.project.old_path = parent.text;
  const HelperResult name = GetLastDir(project_dir);
  if (!name.ok) {
    state.error = AnalysisError::kNoProject;
    return;
  }
  state.project.old_dir = name.text;
  state.project.project_dir = project_dir;
}

// A project file named by the input is the project renamed, also where
// others lie beside it.
void PreferNamedProjectFile(const std::string& p, Project& project) {
  constexpr std::string_view kPrj = ".prj";
  Family* wsp_prj = project.Find(FamilyKind::kWspPrj);
  if (wsp_prj == nullptr || !EndsWithIgnoreCase(p, kPrj) || !FileExists(p)) return;
  // As the disk spells it, whatever the letter case typed.
  const std::optional<DirEntry> entry = FindEntry(FolderPart(p), NamePart(p));
  const std::string name = entry ? entry->name : NamePart(p);
  wsp_prj->old_name = name.substr(0, name.size() - kPrj.size());
}

// The projects of a workspace that lists several of them when the input
// names none: nothing when there is no such workspace.
std::vector<std::string> UnchosenProjects(const Project& project) {
  const Family* wsp_prj = project.Find(FamilyKind::kWspPrj);
  if (wsp_prj == nullptr || !wsp_prj->Flag(kWorkspaceValue)) return {};
  const std::string wsp = JoinPath(project.project_dir, wsp_prj->Value(kWorkspaceValue) + ".wsp");
  if (!FileExists(wsp)) return {};
  std::vector<std::string> projects = WorkspaceProjects(wsp, NativeFileSystem());
  if (projects.size() < 2) return {};
  const std::string chosen = wsp_prj->old_name + ".prj";
  for (const std::string& listed : projects) {
    if (!wsp_prj->old_name.empty() && EqualsIgnoreCase(RecordedName(listed), chosen)) return {};
  }
  return projects;
}

// A uVision project file named by the input is the project renamed where
// others of its generation lie beside it; they then share the folder.
void PreferNamedKeilProject(const std::string& given, Project& project) {
  Family* keil = project.Find(FamilyKind::kKeilUv4);
  if (keil == nullptr || !FileExists(given)) return;
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
std::vector<std::string> UnchosenKeilProjects(const Project& project) {
  const Family* keil = project.Find(FamilyKind::kKeilUv4);
  if (keil == nullptr || !keil->old_name.empty()) return {};
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

void ReadOldNames(Project& project) {
  if (Family* wsp_prj = project.Find(FamilyKind::kWspPrj)) {
    const std::string dir = project.project_dir + wsp_prj->sub_dir;
    wsp_prj->SetValue(kWorkspaceValue, GetWspName(dir).text);
    wsp_prj->old_name = GetPrjName(dir).text;
  }
  if (Family* keil = project.Find(FamilyKind::kKeilUv4)) {
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
  for (Family& family : project.families) {
    if (const auto read_name = RowOf(family.kind).read_name) {
      family.old_name = read_name(project.project_dir + family.sub_dir);
    }
  }
}

// The projects a workspace with no ".ewp" beside it stands for: those it
// lists in sub-folders, relative to its folder; for a workspace whose
// entries name no file any more, the projects found below its folder, else
// its entries as written. Nothing when it lists no project.
std::vector<std::string> IarProjectsElsewhere(const std::string& dir,
                                              const std::string& workspace) {
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
  for (const DirEntry& entry : ListDirectory(dir)) {
    if (entry.kind != EntryKind::kFolder || entry.is_link || entry.hidden ||
        entry.name.starts_with('.') || IsOutputFolderName(entry.name))
      continue;
    const ProjectSearch below =
        SearchProjects(JoinPath(dir, entry.name), NativeFileSystem(), kProjectSearchDepth - 1);
    for (const std::string& line : CandidateLines(below.candidates)) {
      listed.push_back(line == "." ? entry.name : entry.name + Separator() + line);
    }
  }
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
std::vector<std::string> ReadIarNames(std::string_view pointed, Project& project) {
  Family* iar = project.Find(FamilyKind::kIar);
  if (iar == nullptr) return {};
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
    if (std::vector<std::string> elsewhere = IarProjectsElsewhere(dir, workspace);
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

// Loads nothing: the input holds several projects, which the message and
// `state.several_projects` list one a line, so that the user can name one.
AnalysisResult RefuseSeveral(std::vector<std::string> listed, ProjectState& state,
                             UserInterface& ui) {
  state.error = AnalysisError::kSeveralProjects;
  std::string message(AnalysisErrorText(AnalysisError::kSeveralProjects));
  for (const std::string& line : listed) message += "\n" + line;
  ui.ShowMessage(message);
  state.several_projects = std::move(listed);
  return AnalysisResult{.ok = false, .set_check_boxes = false};
}

// The name of the last family, in table order, that proposes one; otherwise
// the field keeps its text.
void Propose(const AnalysisConfig& config, ProjectState& state) {
  const Project& project = state.project;
  state.new_path = project.old_path;
  state.new_dir = project.old_dir;
  for (const Family& family : project.families) {
    const Proposal proposal = RowOf(family.kind).proposal;
    if (proposal == Proposal::kAlways ||
        (proposal == Proposal::kWhenNamed && !family.old_name.empty())) {
      state.new_name = family.old_name;
    }
  }
  Proposals& proposals = state.proposals;
  proposals.preferred_new_path =
      config.config_new_path.empty() ? state.new_path : config.config_new_path;
  proposals.preferred_new_name = state.new_name;
  proposals.proposed_new_path = state.new_path;
  proposals.proposed_new_dir = state.new_dir;
  proposals.proposed_new_name = state.new_name;
}

}  // namespace

std::string TempDirFor(std::string_view exe_dir) {
  return std::string(exe_dir) + Separator() + "___temp___";
}

AnalysisResult NewInput(std::string_view path, const AnalysisConfig& config, ProjectState& state,
                        UserInterface& ui, int wait_ms) {
  std::string p(path);
  Project& project = state.project;

  project.families.clear();
  state.search = ProjectSearch{};
  state.several_projects.clear();
  project.input_dir = FolderPart(p);
  if (!project.temp_dir.empty()) DeleteDirectory(project.temp_dir, NativeFileSystem());
  state.error = AnalysisError::kNone;

  if (ContainsExtension(p, ".zip")) {
    p = UnpackArchive(p, config, state, ui, wait_ms);
  } else {
    project.from_archive = false;
  }

  p = KeilWorkspaceInput(p);
  const std::string given = p;
  const std::string pointed_iar = PointedIarProject(p);
  ExtensionTest test = ExtensionTestBelow(given);
  Locate(p, project, test);
  if (project.families.empty() && !given.empty()) ClaimByRow(given, p, project);
  if (project.families.empty() && !given.empty()) {
    // Today's rules found nothing: the entry's own name, then the folders below.
    std::string own = given;
    Locate(own, project, OwnNameHasExtension);
    if (!project.families.empty()) {
      p = own;
      test = OwnNameHasExtension;
    } else if (DirectoryExists(given)) {
      test = OwnNameHasExtension;
      state.search = SearchProjects(given, NativeFileSystem());
      if (state.search.candidates.size() > 1) {
        project.old_path = p;
        return RefuseSeveral(CandidateLines(state.search.candidates), state, ui);
      }
      if (state.search.candidates.size() == 1) {
        p = given;
        AddFoundBelow(given, state.search.candidates.front(), project);
      }
    }
  }
  // An IAR project file outside the layouts stands for its own folder.
  const bool iar_file_alone = !pointed_iar.empty() && p == given;
  if (iar_file_alone) project.Add(FamilyKind::kIar);

  if (project.families.empty()) {
    state.error = AnalysisError::kNoProject;
    project.old_path = p;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kNoProject));
    return AnalysisResult{.ok = false, .set_check_boxes = false};
  }

  // With no project file named, `p` is the project folder; this also covers a
  // folder holding only one of the two example sub-folders, so that
  // old_project_dir always names this project.
  const bool names_project_file =
      iar_file_alone || ContainsAnyExtension(p, {".prj", ".wsp", ".uvproj", ".eww"}, test);
  const bool iar_and_keil = project.Has(FamilyKind::kIar) && project.Has(FamilyKind::kKeilUv4);
  if (iar_and_keil || !names_project_file) SetOldLocation(p, state);
  if (names_project_file) SetOldLocation(FolderPart(p), state);

  if (state.error == AnalysisError::kNone) {
    JoinByRow(project);
    ReadOldNames(project);
    PreferNamedProjectFile(std::string(path), project);
    PreferNamedKeilProject(ProjectForOptions(given), project);
    std::vector<std::string> projects = UnchosenProjects(project);
    if (projects.empty()) projects = ReadIarNames(pointed_iar, project);
    if (projects.empty()) projects = UnchosenKeilProjects(project);
    if (!projects.empty()) return RefuseSeveral(std::move(projects), state, ui);
  }
  Propose(config, state);

  return AnalysisResult{.ok = state.error == AnalysisError::kNone, .set_check_boxes = true};
}

}  // namespace kelvandor
