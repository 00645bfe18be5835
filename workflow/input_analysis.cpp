#include "workflow/input_analysis.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "core/path_helpers.h"
#include "families/family_table.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/path_style.h"
#include "workflow/project_search.h"
#include "workflow/unit_unzip.h"

namespace kelvandor {
namespace {

// The extension test: the program's own on the whole path, or, when that
// finds nothing, one that looks at the entry's own name only, so that a folder
// such as "old.x-archive" above the project does not pass for a file.
using ExtensionTest = bool (*)(std::string_view path, std::string_view lower_ext);

bool OwnNameHasExtension(std::string_view path, std::string_view lower_ext) {
  return !DirectoryExists(path) && ContainsExtension(NamePart(path), lower_ext);
}

bool ContainsAnyExtension(std::string_view path, std::span<const std::string_view> exts,
                          ExtensionTest test = ContainsExtension) {
  for (std::string_view ext : exts) {
    if (test(path, ext)) return true;
  }
  return false;
}

// Whether `path` names, by `test`, a project file of any family.
bool NamesProjectFile(std::string_view path, ExtensionTest test = ContainsExtension) {
  for (const FamilyRow& row : FamilyTable()) {
    if (ContainsAnyExtension(path, row.project_extensions, test)) return true;
  }
  return false;
}

// Whether `path` names, by `test`, a file of a family's layouts.
bool NamesLayoutFile(std::string_view path, ExtensionTest test) {
  for (const FamilyRow& row : FamilyTable()) {
    if (ContainsAnyExtension(path, row.layout_extensions, test)) return true;
  }
  return false;
}

// A folder is never a project file: below one named like one ("x.proj/"),
// only the entry's own name tells what the input is.
ExtensionTest ExtensionTestBelow(std::string_view path) {
  const std::string folder = FolderPart(path);
  for (const FamilyRow& row : FamilyTable()) {
    bool named = ContainsAnyExtension(folder, row.project_extensions) ||
                 ContainsAnyExtension(folder, row.layout_extensions);
    for (const ProjectFilePattern& file : row.files) {
      named = named || (!file.whole_name && ContainsExtension(folder, file.pattern));
    }
    if (named) return OwnNameHasExtension;
  }
  return ContainsExtension;
}

// The example layout's folder of a family.
std::string ExampleSubDir(const FamilyRow& row) {
  return SeparatorString() + "example" + SeparatorString() + std::string(row.example_folder);
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

// A file inside PROJECT/example/<IDE> stands for PROJECT.
std::string ExampleLayoutProject(const std::string& p) {
  const std::string above = TwoLevelsUp(p, FolderPart(p));
  // Without a folder two levels up, the tests below would look at the root.
  if (above.empty()) return p;
  std::string result = p;
  for (const FamilyRow& row : FamilyTable()) {
    if (!row.example_folder.empty() && DirectoryExists(above + ExampleSubDir(row))) result = above;
  }
  return result;
}

// A project file in a generator's folder of a family stands for the folder
// above, which holds the sources too.
struct GeneratorFile {
  LaidOut place;
  FamilyKind kind{};
};

std::optional<GeneratorFile> GeneratorLayoutFile(const std::string& p, ExtensionTest test) {
  if (!FileExists(p)) return std::nullopt;
  const std::string folder = FolderPart(p);
  const std::string name = NamePart(folder);
  const std::string above = FolderPart(folder);
  if (above.empty() || name.empty()) return std::nullopt;
  for (const FamilyRow& row : FamilyTable()) {
    if (!row.generator_folder.empty() && EqualsIgnoreCase(name, row.generator_folder) &&
        ContainsAnyExtension(p, row.layout_extensions, test)) {
      return GeneratorFile{{above, SeparatorString() + name}, row.kind};
    }
  }
  return std::nullopt;
}

// A project file given in another layout a family knows.
std::optional<GeneratorFile> OtherLayoutFile(const std::string& p) {
  for (const FamilyRow& row : FamilyTable()) {
    if (row.laid_out == nullptr) continue;
    if (std::optional<LaidOut> place = row.laid_out(p)) return GeneratorFile{*place, row.kind};
  }
  return std::nullopt;
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
                                           std::span<const std::string_view> extensions) {
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

// Generator and vendor layouts: a family's project in one sub-folder with
// the sources beside it.
void FindFamilySubFolders(const std::string& p, Project& project) {
  const std::vector<std::string> folders = ListVisibleFolders(p);
  for (const FamilyRow& row : FamilyTable()) {
    if (row.sub_folder_files.empty()) continue;
    if (const auto sub = FamilySubFolder(p, folders, row.generator_folder, row.sub_folder_files)) {
      Family& family = project.Add(row.kind);
      family.sub_dir = SeparatorString() + *sub;
      if (!row.layout_flag.empty()) family.SetFlag(row.layout_flag, true);
    }
  }
}

// The files whose folder makes them the project file, of every family, in
// the order tried.
struct Taken {
  std::string_view ext;
  int rank = 0;
  FamilyKind kind{};
};

std::vector<Taken> FolderFiles() {
  std::vector<Taken> taken;
  for (const FamilyRow& row : FamilyTable()) {
    for (const TakenFile& file : row.folder_files) taken.push_back({file.ext, file.rank, row.kind});
  }
  std::stable_sort(taken.begin(), taken.end(),
                   [](const Taken& a, const Taken& b) { return a.rank < b.rank; });
  return taken;
}

// Finds the families by the files `p` names or holds.
void Classify(std::string& p, Project& project, ExtensionTest test = ContainsExtension) {
  // An empty path would list and probe the root (the current drive's root on
  // Windows) instead of naming no project.
  if (p.empty()) return;
  if (!NamesProjectFile(p, test)) {
    for (const Taken& file : FolderFiles()) {
      if (TakeFirstProjectFile(p, file.ext)) project.Add(file.kind);
    }
    for (const FamilyRow& row : FamilyTable()) {
      if (row.example_folder.empty()) continue;
      const std::string sub_dir = ExampleSubDir(row);
      if (DirectoryExists(p + sub_dir)) project.Add(row.kind).sub_dir = sub_dir;
    }
    if (project.families.empty()) FindFamilySubFolders(p, project);
  } else if (FileExists(p)) {
    for (const FamilyRow& row : FamilyTable()) {
      if (ContainsAnyExtension(p, row.project_extensions, test)) project.Add(row.kind);
    }
  }
}

// The families `p` names by the rules of `test`: a project file or folder, a
// file of the example layout, or one in a generator's folder. `p` becomes
// the project folder or the project file found.
void Locate(std::string& p, Project& project, ExtensionTest test) {
  project.families.clear();
  std::optional<GeneratorFile> generator;
  if (NamesLayoutFile(p, test)) {
    const std::string example = ExampleLayoutProject(p);
    if (example == p) generator = GeneratorLayoutFile(p, test);
    if (example == p && !generator) generator = OtherLayoutFile(p);
    p = generator ? generator->place.project_dir : example;
  }

  Classify(p, project, test);
  if (generator) {
    Family& family = project.Add(generator->kind);
    family.sub_dir = generator->place.sub_dir;
    const std::string_view flag = RowOf(generator->kind).layout_flag;
    if (!flag.empty()) family.SetFlag(flag, true);
  }
}

// The family whose row recognises the input `given`, with those today's
// rules find in the project folder it stands for; `p` becomes that folder.
void ClaimByRow(const std::string& given, std::string& p, Project& project) {
  for (const FamilyRow& row : FamilyTable()) {
    if (row.claim == nullptr) continue;
    if (std::string dir = row.claim(given); !dir.empty()) {
      std::string sub_dir;
      if (std::string above = row.claim_above ? row.claim_above(dir) : std::string();
          !above.empty() && above.size() < dir.size() && dir.starts_with(above)) {
        sub_dir = dir.substr(above.size());
        dir = std::move(above);
      }
      std::string folder = dir;
      Locate(folder, project, OwnNameHasExtension);
      // A project file at the top would be another project's.
      if (folder != dir) project.families.clear();
      project.Add(row.kind).sub_dir = std::move(sub_dir);
      p = std::move(dir);
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

// The projects found below the sub-folders of `dir`: each is searched by
// itself.
std::vector<std::string> ProjectsBelow(const std::string& dir) {
  std::vector<std::string> listed;
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
  return listed;
}

// Reads the old names of every family found, then lets the input choose
// among the projects of a family's folder: the projects to choose from when
// it names none of several, nothing once each family has its one project.
std::vector<std::string> ReadOldNames(const std::string& given, Project& project) {
  for (const FamilyRow& row : FamilyTable()) {
    if (!project.Has(row.kind)) continue;
    if (row.read_names != nullptr) row.read_names(project);
    if (Family* family = project.Find(row.kind); row.read_name != nullptr)
      family->old_name = row.read_name(project.project_dir + family->sub_dir);
  }
  for (const FamilyRow& row : FamilyTable()) {
    if (row.prefer_named != nullptr && project.Has(row.kind)) row.prefer_named(given, project);
  }
  const AnalysisHelp help{.projects_below = ProjectsBelow};
  for (const FamilyRow& row : FamilyTable()) {
    if (row.choose == nullptr || !project.Has(row.kind)) continue;
    if (std::vector<std::string> projects = row.choose(given, project, help); !projects.empty())
      return projects;
  }
  return {};
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

// The path a family's rules put in place of the input.
std::string Redirected(std::string p) {
  for (const FamilyRow& row : FamilyTable()) {
    if (row.redirect != nullptr) p = row.redirect(p);
  }
  return p;
}

// A file given outside every layout that a family takes for its own folder.
bool NamesOwnFolder(const std::string& given, Project& project) {
  for (const FamilyRow& row : FamilyTable()) {
    if (row.names_own_folder != nullptr && row.names_own_folder(given)) {
      project.Add(row.kind);
      return true;
    }
  }
  return false;
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

  p = Redirected(p);
  const std::string given = p;
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
  // A project file outside the layouts may stand for its own folder.
  const bool file_alone = p == given && NamesOwnFolder(given, project);

  if (project.families.empty()) {
    state.error = AnalysisError::kNoProject;
    project.old_path = p;
    ui.ShowMessage(AnalysisErrorText(AnalysisError::kNoProject));
    return AnalysisResult{.ok = false, .set_check_boxes = false};
  }

  // With no project file named, `p` is the project folder; this also covers a
  // folder holding only one of the example sub-folders, so that
  // old_project_dir always names this project.
  const bool names_project_file = file_alone || NamesProjectFile(p, test);
  SetOldLocation(names_project_file ? FolderPart(p) : p, state);

  if (state.error == AnalysisError::kNone) {
    JoinByRow(project);
    if (std::vector<std::string> projects = ReadOldNames(given, project); !projects.empty())
      return RefuseSeveral(std::move(projects), state, ui);
  }
  Propose(config, state);

  return AnalysisResult{.ok = state.error == AnalysisError::kNone, .set_check_boxes = true};
}

}  // namespace kelvandor
