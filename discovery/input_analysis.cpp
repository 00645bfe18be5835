#include "discovery/input_analysis.h"

#include <chrono>
#include <initializer_list>
#include <optional>
#include <thread>
#include <vector>

#include "discovery/path_helpers.h"
#include "discovery/unit_unzip.h"
#include "operations/directory_ops.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

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
  state.from_archive = false;
  state.temp_dir = TempDirFor(config.exe_dir);
  if (!CreateDirectory(state.temp_dir)) {
    state.error_code = kErrorCreateDirectory;
    ui.ShowMessage("Can not create new directory!");
  }
  if (state.error_code != kErrorNone || !FileExists(p)) return p;

  if (!UnzipArchive(p, state.temp_dir)) {
    state.error_code = kErrorUnzip;
    ui.ShowMessage("Unzip Error!");
    return p;
  }
  if (wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  const HelperResult folder = GetFolder(state.temp_dir);
  if (!folder.ok) {
    state.error_code = kErrorTempContents;
    ui.ShowMessage("Error within __TEMP__");
    return p;
  }
  state.old_path = "ZIP-Archiv: " + NamePart(p);
  state.old_dir = folder.text;
  state.old_project_dir = state.temp_dir + Separator() + state.old_dir;
  state.from_archive = true;
  return state.old_project_dir;
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
void FindFamilySubFolders(const std::string& p, ProjectState& state) {
  const std::vector<std::string> folders = ListVisibleFolders(p);
  if (const auto keil = FamilySubFolder(p, folders, kKeilGenerator, {".uvproj", ".uvprojx"})) {
    state.keil_sub_dir = SeparatorString() + *keil;
    state.has_uvproj = true;
  }
  if (const auto iar = FamilySubFolder(p, folders, kIarGenerator, {".eww"})) {
    state.iar_sub_dir = SeparatorString() + *iar;
    state.has_eww = true;
    state.iar_generator_layout = true;
  }
}

void Classify(std::string& p, ProjectState& state) {
  // An empty path would list and probe the root (the current drive's root on
  // Windows) instead of naming no project.
  if (p.empty()) return;
  if (!ContainsAnyExtension(p, {".prj", ".wsp", ".eww", ".uvproj"})) {
    if (TakeFirstProjectFile(p, ".prj")) state.has_wsp_prj = true;
    if (TakeFirstProjectFile(p, ".uvproj")) state.has_uvproj = true;
    if (TakeFirstProjectFile(p, ".eww")) state.has_eww = true;
    // After ".eww", so that a folder found as IAR before stays so.
    if (TakeFirstProjectFile(p, ".uvprojx")) state.has_uvproj = true;
    if (DirectoryExists(p + ExampleSubDir("IAR"))) {
      state.iar_sub_dir = ExampleSubDir("IAR");
      state.has_eww = true;
    }
    if (DirectoryExists(p + ExampleSubDir("ARM"))) {
      state.keil_sub_dir = ExampleSubDir("ARM");
      state.has_uvproj = true;
    }
    if (!state.has_wsp_prj && !state.has_eww && !state.has_uvproj) FindFamilySubFolders(p, state);
  } else if (FileExists(p)) {
    state.has_wsp_prj = ContainsAnyExtension(p, {".prj", ".wsp"});
    state.has_eww = ContainsExtension(p, ".eww");
    state.has_uvproj = ContainsExtension(p, ".uvproj");
  }
}

void SetOldLocation(const std::string& project_dir, ProjectState& state) {
  const HelperResult parent = GetPath(project_dir);
  if (!parent.ok) {
    state.error_code = kErrorNoProject;
    return;
  }
  state.old_path = parent.text;
  const HelperResult name = GetLastDir(project_dir);
  if (!name.ok) {
    state.error_code = kErrorNoProject;
    return;
  }
  state.old_dir = name.text;
  state.old_project_dir = project_dir;
}

void ReadOldNames(ProjectState& state) {
  if (state.has_wsp_prj) {
    state.old_wsp = GetWspName(state.old_project_dir).text;
    state.old_prj = GetPrjName(state.old_project_dir).text;
  }
  if (state.has_uvproj) {
    const std::string keil = state.old_project_dir + state.keil_sub_dir;
    state.old_uvproj = Get_KEILUV_Name(keil).text;
    state.old_uvprojx = Get_KEILUV5_Name(keil).text;
    state.has_uvprojx = !state.old_uvprojx.empty();
    if (state.old_uvproj.empty()) state.old_uvproj = state.old_uvprojx;
  }
  if (state.has_eww) state.old_eww = Get_IAR_Name(state.old_project_dir + state.iar_sub_dir).text;
}

void Propose(const AnalysisConfig& config, ProjectState& state) {
  state.new_path = state.old_path;
  state.new_dir = state.old_dir;
  if (state.has_wsp_prj) state.new_name = state.old_prj;
  if (state.has_eww && !state.old_eww.empty()) state.new_name = state.old_eww;
  if (state.has_uvproj && !state.old_uvproj.empty()) state.new_name = state.old_uvproj;
  state.preferred_new_path =
      config.config_new_path.empty() ? state.new_path : config.config_new_path;
  state.preferred_new_name = state.new_name;
  state.proposed_new_path = state.new_path;
  state.proposed_new_dir = state.new_dir;
  state.proposed_new_name = state.new_name;
}

}  // namespace

std::string TempDirFor(std::string_view exe_dir) {
  return std::string(exe_dir) + Separator() + "___temp___";
}

AnalysisResult NewInput(std::string_view path, const AnalysisConfig& config, ProjectState& state,
                        UserInterface& ui, int wait_ms) {
  std::string p(path);

  state.has_wsp_prj = false;
  state.has_eww = false;
  state.has_uvproj = false;
  state.iar_sub_dir.clear();
  state.keil_sub_dir.clear();
  state.has_uvprojx = false;
  state.old_uvprojx.clear();
  state.iar_generator_layout = false;
  state.old_wsp.clear();
  state.old_prj.clear();
  state.old_uvproj.clear();
  state.old_eww.clear();
  state.input_dir = FolderPart(p);
  if (!state.temp_dir.empty()) DeleteDirectory(state.temp_dir);
  state.error_code = kErrorNone;

  if (ContainsExtension(p, ".zip")) {
    p = UnpackArchive(p, config, state, ui, wait_ms);
  } else {
    state.from_archive = false;
  }

  p = ProjectForOptions(p);
  std::optional<GeneratorFile> generator;
  if (ContainsAnyExtension(p, {".eww", ".ewp", ".ewd", ".dep", ".uvproj", ".uvopt"})) {
    const std::string example = ExampleLayoutProject(p);
    if (example == p) generator = GeneratorLayoutFile(p);
    p = generator ? generator->project_dir : example;
  }

  Classify(p, state);
  if (generator) {
    (generator->keil ? state.has_uvproj : state.has_eww) = true;
    (generator->keil ? state.keil_sub_dir : state.iar_sub_dir) = generator->sub_dir;
    if (!generator->keil) state.iar_generator_layout = true;
  }

  if (!state.has_wsp_prj && !state.has_eww && !state.has_uvproj) {
    state.error_code = kErrorNoProject;
    state.old_path = p;
    ui.ShowMessage("Input File not found!");
    return AnalysisResult{.ok = false, .set_check_boxes = false};
  }

  // With no project file named, `p` is the project folder; this also covers a
  // folder holding only one of the two example sub-folders, so that
  // old_project_dir always names this project.
  const bool names_project_file = ContainsAnyExtension(p, {".prj", ".wsp", ".uvproj", ".eww"});
  if ((state.has_eww && state.has_uvproj) || !names_project_file) SetOldLocation(p, state);
  if (names_project_file) SetOldLocation(FolderPart(p), state);

  if (state.error_code == kErrorNone) ReadOldNames(state);
  Propose(config, state);

  return AnalysisResult{.ok = state.error_code == kErrorNone, .set_check_boxes = true};
}

}  // namespace kelvandor
