#include "discovery/input_analysis.h"

#include <chrono>
#include <initializer_list>
#include <optional>
#include <thread>
#include <vector>

#include "discovery/path_helpers.h"
#include "discovery/unit_unzip.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/path_style.h"
#include "rewrite/wsp_rewriter.h"

namespace kelvandor {
namespace {

bool ContainsAnyExtension(std::string_view path, std::initializer_list<std::string_view> exts) {
  for (std::string_view ext : exts) {
    if (ContainsExtension(path, ext)) return true;
  }
  return false;
}

constexpr std::string_view kKeilGenerator = "MDK-ARM";
constexpr std::string_view kIarGenerator = "EWARM";

std::string ExampleSubDir(std::string_view ide) {
  return SeparatorString() + "example" + SeparatorString() + std::string(ide);
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
  if (!CreateDirectory(project.temp_dir)) {
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
  if (DirectoryExists(above + ExampleSubDir("IAR"))) result = above;
  if (DirectoryExists(above + ExampleSubDir("ARM"))) result = above;
  return result;
}

// A project file in the MDK-ARM or EWARM folder of a generator layout
// stands for the folder above, which holds the sources too.
struct GeneratorFile {
  std::string project_dir;
  std::string sub_dir;  // separator + the folder's name
  bool keil = false;
};

std::optional<GeneratorFile> GeneratorLayoutFile(const std::string& p) {
  if (!FileExists(p)) return std::nullopt;
  const std::string folder = FolderPart(p);
  const std::string name = NamePart(folder);
  const std::string above = FolderPart(folder);
  if (above.empty() || name.empty()) return std::nullopt;
  const std::string sub_dir = SeparatorString() + name;
  if (EqualsIgnoreCase(name, kKeilGenerator) &&
      ContainsAnyExtension(p, {".uvproj", ".uvopt", ".dep"})) {
    return GeneratorFile{above, sub_dir, true};
  }
  if (EqualsIgnoreCase(name, kIarGenerator) &&
      ContainsAnyExtension(p, {".eww", ".ewp", ".ewd", ".dep"})) {
    return GeneratorFile{above, sub_dir, false};
  }
  return std::nullopt;
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
    family.generator_layout = true;
  }
}

// Finds the families. A uVision 5 project counts as the Keil folder here;
// ReadOldNames tells it apart.
void Classify(std::string& p, Project& project) {
  // An empty path would list and probe the root (the current drive's root on
  // Windows) instead of naming no project.
  if (p.empty()) return;
  if (!ContainsAnyExtension(p, {".prj", ".wsp", ".eww", ".uvproj"})) {
    if (TakeFirstProjectFile(p, ".prj")) project.Add(FamilyKind::kWspPrj);
    if (TakeFirstProjectFile(p, ".uvproj")) project.Add(FamilyKind::kKeilUv4);
    if (TakeFirstProjectFile(p, ".eww")) project.Add(FamilyKind::kIar);
    // After ".eww", so that a folder found as IAR before stays so.
    if (TakeFirstProjectFile(p, ".uvprojx")) project.Add(FamilyKind::kKeilUv4);
    if (DirectoryExists(p + ExampleSubDir("IAR"))) {
      project.Add(FamilyKind::kIar).sub_dir = ExampleSubDir("IAR");
    }
    if (DirectoryExists(p + ExampleSubDir("ARM"))) {
      project.Add(FamilyKind::kKeilUv4).sub_dir = ExampleSubDir("ARM");
    }
    if (project.families.empty()) FindFamilySubFolders(p, project);
  } else if (FileExists(p)) {
    if (ContainsAnyExtension(p, {".prj", ".wsp"})) project.Add(FamilyKind::kWspPrj);
    if (ContainsExtension(p, ".eww")) project.Add(FamilyKind::kIar);
    if (ContainsExtension(p, ".uvproj")) project.Add(FamilyKind::kKeilUv4);
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
  const std::string name = NamePart(p);
  wsp_prj->old_name = name.substr(0, name.size() - kPrj.size());
}

// The projects of a workspace that lists several of them when the input
// names none: nothing when there is no such workspace.
std::vector<std::string> UnchosenProjects(const Project& project) {
  const Family* wsp_prj = project.Find(FamilyKind::kWspPrj);
  if (wsp_prj == nullptr || wsp_prj->old_workspace.empty()) return {};
  const std::string wsp = JoinPath(project.project_dir, wsp_prj->old_workspace + ".wsp");
  if (!FileExists(wsp)) return {};
  std::vector<std::string> projects = WorkspaceProjects(wsp);
  if (projects.size() < 2) return {};
  const std::string chosen = wsp_prj->old_name + ".prj";
  for (const std::string& listed : projects) {
    const std::size_t slash = listed.find_last_of("\\/");
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(listed)
                                      : std::string_view(listed).substr(slash + 1);
    if (!wsp_prj->old_name.empty() && EqualsIgnoreCase(name, chosen)) return {};
  }
  return projects;
}

void ReadOldNames(Project& project) {
  if (Family* wsp_prj = project.Find(FamilyKind::kWspPrj)) {
    wsp_prj->old_workspace = GetWspName(project.project_dir).text;
    wsp_prj->old_name = GetPrjName(project.project_dir).text;
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
  if (Family* iar = project.Find(FamilyKind::kIar)) {
    iar->old_name = Get_IAR_Name(project.project_dir + iar->sub_dir).text;
  }
}

// The name of the last family that has one (Keil over IAR over WSP/PRJ,
// whose name is taken even when empty); otherwise the field keeps its text.
void Propose(const AnalysisConfig& config, ProjectState& state) {
  const Project& project = state.project;
  state.new_path = project.old_path;
  state.new_dir = project.old_dir;
  for (FamilyKind kind : {FamilyKind::kWspPrj, FamilyKind::kIar, FamilyKind::kKeilUv4}) {
    const Family* family = project.Find(kind);
    if (family && (kind == FamilyKind::kWspPrj || !family->old_name.empty())) {
      state.new_name = family->old_name;
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

std::string_view AnalysisErrorText(AnalysisError error) {
  switch (error) {
    case AnalysisError::kNone:
      break;
    case AnalysisError::kUnzip:
      return "Unzip Error!";
    case AnalysisError::kCreateDirectory:
      return "Can not create new directory!";
    case AnalysisError::kTempContents:
      return "Error within __TEMP__";
    case AnalysisError::kNoProject:
      return "Input File not found!";
    case AnalysisError::kSeveralProjects:
      return "Several projects found - give the project file of the one to rename:";
  }
  return {};
}

std::string TempDirFor(std::string_view exe_dir) {
  return std::string(exe_dir) + Separator() + "___temp___";
}

AnalysisResult NewInput(std::string_view path, const AnalysisConfig& config, ProjectState& state,
                        UserInterface& ui, int wait_ms) {
  std::string p(path);
  Project& project = state.project;

  project.families.clear();
  project.input_dir = FolderPart(p);
  if (!project.temp_dir.empty()) DeleteDirectory(project.temp_dir);
  state.error = AnalysisError::kNone;

  if (ContainsExtension(p, ".zip")) {
    p = UnpackArchive(p, config, state, ui, wait_ms);
  } else {
    project.from_archive = false;
  }

  p = ProjectForOptions(p);
  std::optional<GeneratorFile> generator;
  if (ContainsAnyExtension(p, {".eww", ".ewp", ".ewd", ".dep", ".uvproj", ".uvopt"})) {
    const std::string example = ExampleLayoutProject(p);
    if (example == p) generator = GeneratorLayoutFile(p);
    p = generator ? generator->project_dir : example;
  }

  Classify(p, project);
  if (generator) {
    Family& family = project.Add(generator->keil ? FamilyKind::kKeilUv4 : FamilyKind::kIar);
    family.sub_dir = generator->sub_dir;
    if (!generator->keil) family.generator_layout = true;
  }

  if (project.families.empty()) {
    state.error = AnalysisError::kNoProject;
    project.old_path = p;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kNoProject));
    return AnalysisResult{.ok = false, .set_check_boxes = false};
  }

  // With no project file named, `p` is the project folder; this also covers a
  // folder holding only one of the two example sub-folders, so that
  // old_project_dir always names this project.
  const bool names_project_file = ContainsAnyExtension(p, {".prj", ".wsp", ".uvproj", ".eww"});
  const bool iar_and_keil = project.Has(FamilyKind::kIar) && project.Has(FamilyKind::kKeilUv4);
  if (iar_and_keil || !names_project_file) SetOldLocation(p, state);
  if (names_project_file) SetOldLocation(FolderPart(p), state);

  if (state.error == AnalysisError::kNone) {
    ReadOldNames(project);
    PreferNamedProjectFile(std::string(path), project);
    if (const std::vector<std::string> projects = UnchosenProjects(project); !projects.empty()) {
      state.error = AnalysisError::kSeveralProjects;
      std::string message(AnalysisErrorText(AnalysisError::kSeveralProjects));
      for (const std::string& listed : projects) message += "\n" + listed;
      ui.ShowMessage(message);
      return AnalysisResult{.ok = false, .set_check_boxes = false};
    }
  }
  Propose(config, state);

  return AnalysisResult{.ok = state.error == AnalysisError::kNone, .set_check_boxes = true};
}

}  // namespace kelvandor
