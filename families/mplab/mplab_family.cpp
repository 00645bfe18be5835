#include "families/mplab/mplab_family.h"

#include <cctype>

#include "families/family_table.h"
#include "families/mplab/mplab_rewriter.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kConventionSuffix = ".X";
constexpr std::string_view kProjectFile = "project.xml";
constexpr std::string_view kHarmonyFolder = "firmware";
constexpr std::string_view kConfigurationsFile = "configurations.xml";
constexpr std::string_view kOutputFolders[] = {"build", "dist", "debug", "disassembly",
                                               ".generated_files"};

// As the search finds it: by the file the IDE reads first.
bool IsMplabFolder(const std::string& dir) {
  return FileExists(JoinPath(JoinPath(dir, kMplabFolder), kProjectFile));
}

// Deletes everything below `dir` but links; true when it is empty then.
bool ClearTree(const std::string& dir, FileSystem& fs) {
  bool empty = true;
  for (const DirEntry& entry : fs.ListDirectory(dir)) {
    const std::string path = JoinPath(dir, entry.name);
    if (entry.is_link) {
      empty = false;
    } else if (entry.kind == EntryKind::kFolder) {
      if (!ClearTree(path, fs) || !fs.RemoveTree(path)) empty = false;
    } else if (entry.kind != EntryKind::kFile || !fs.RemoveFile(path)) {
      empty = false;
    }
  }
  return empty;
}

}  // namespace

std::string ClaimMplabProject(const std::string& path) {
  std::string dir = path;
  while (dir.size() > 1 && dir.back() == Separator()) dir.pop_back();
  if (!DirectoryExists(dir)) {
    const std::string name = NamePart(dir);
    if ((name != kProjectFile && name != kConfigurationsFile) || !FileExists(dir)) return {};
    dir = FolderPart(dir);
    if (NamePart(dir) != kMplabFolder) return {};
    dir = FolderPart(dir);
  } else if (NamePart(dir) == kMplabFolder && !IsMplabFolder(dir)) {
    dir = FolderPart(dir);
  }
  return !dir.empty() && IsMplabFolder(dir) ? dir : std::string();
}

std::string MplabApplicationAbove(const std::string& dir) {
  const std::string firmware = FolderPart(dir);
  if (NamePart(firmware) != kHarmonyFolder) return {};
  const std::string config = JoinPath(JoinPath(firmware, "src"), "config");
  for (const std::string& name : ListVisibleFolders(config)) {
    if (DirectoryExists(JoinPath(JoinPath(config, name), name + ".mhc"))) {
      return FolderPart(firmware);
    }
  }
  return {};
}

std::string ReadMplabName(const std::string& dir) {
  try {
    return ReadMplabProjectName(JoinPath(JoinPath(dir, kMplabFolder), kProjectFile),
                                NativeFileSystem());
  } catch (const IoError&) {
    return {};
  }
}

std::string MplabFolderFor(std::string_view old_dir, std::string_view new_name) {
  if (old_dir.size() <= kConventionSuffix.size() || !old_dir.ends_with(kConventionSuffix))
    return {};
  return std::string(new_name) + std::string(kConventionSuffix);
}

std::string RefuseMplabName(std::string_view new_name) {
  for (std::size_t i = 0; i < new_name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(new_name[i]);
    if (std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.') continue;
    // The whole character of a multi-byte one.
    std::size_t end = i + 1;
    while (c >= 0x80 && end < new_name.size() &&
           (static_cast<unsigned char>(new_name[end]) & 0xC0) == 0x80) {
      ++end;
    }
    return "MPLAB X cannot build a project named \"" + std::string(new_name) + "\": \"" +
           std::string(new_name.substr(i, end - i)) +
           "\" is none of the letters, digits, \"_\", \"-\" and \".\" a name may hold";
  }
  return {};
}

void RewriteMplab(const std::string& dir, const Family& family, const RewriteValues& values,
                  UserInterface&, RewriteBatch& batch) {
  // Only the project folder itself is renamed; a folder below it keeps its name.
  const bool own_folder = family.sub_dir.empty();
  const std::string old_folder = own_folder ? values.old_dir : NamePart(dir);
  const std::string new_folder = own_folder ? values.new_dir : NamePart(dir);
  ParseMplab(dir, family.old_name, old_folder, new_folder, values, batch);
  if (own_folder) return;
  // Harmony 3 keeps its configuration beside the project, in "firmware/".
  const std::string project_dir = dir.substr(0, dir.size() - family.sub_dir.size());
  const std::string firmware = FolderPart(dir);
  if (batch.file_system().IsSameOrInside(firmware, project_dir)) {
    ParseHarmonySettings(firmware, family.old_name, values.old_dir, values.new_dir, values, batch);
  }
}

void CleanMplab(const Family&, const FamilyCleanUp& request, FileSystem& file_system) {
  if (request.project_dir.empty() || file_system.IsLink(request.family_dir) ||
      !file_system.DirectoryExists(request.family_dir) ||
      !file_system.IsSameOrInside(request.family_dir, request.project_dir)) {
    return;
  }
  for (std::string_view name : kOutputFolders) {
    const std::string folder = JoinPath(request.family_dir, name);
    if (file_system.IsLink(folder) || !file_system.DirectoryExists(folder) ||
        !file_system.IsSameOrInside(folder, request.project_dir)) {
      continue;
    }
    if (ClearTree(folder, file_system)) file_system.RemoveTree(folder);
  }
}

namespace {

// The IDE's folder, found by the search in the project's folder.
constexpr ProjectFilePattern kFiles[] = {
    {.pattern = "project.xml", .whole_name = true, .folder = kMplabFolder}};
constexpr ShownName kShown[] = {{OldField::kPrj}};

std::string Describe(const Project&, const Family& family) {
  return "MPLAB X: project " + family.old_name + WhereFound(family);
}

}  // namespace

FamilyRow MplabRow() {
  return {.kind = FamilyKind::kMplab,
          .files = kFiles,
          .claim = ClaimMplabProject,
          .claim_above = MplabApplicationAbove,
          .read_name = ReadMplabName,
          .proposal = Proposal::kWhenNamed,
          .shown = kShown,
          .folder_for = MplabFolderFor,
          .refuse_name = RefuseMplabName,
          .rewrite = RewriteMplab,
          .clean_named = CleanMplab,
          .describe = Describe};
}

}  // namespace kelvandor
