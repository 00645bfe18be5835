#include "operations/project_file_cleanup.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "operations/cleaning.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "rewrite/build_settings.h"
#include "rewrite/file_rewrite.h"

namespace kelvandor {
namespace {

constexpr std::string_view kImages = ".hex.srec.mhx";
constexpr std::string_view kImageExtensions[] = {".hex", ".srec", ".mhx"};
// Never output, wherever a project names its output: the project files of
// every family and the device configuration the project was generated from
// (scatter and linker files are kept when the project names them).
constexpr std::string_view kProjectFiles[] = {".uvprojx", ".uvoptx", ".uvproj", ".uvopt",
                                              ".uvmpw",   ".eww",    ".ewp",    ".ewd",
                                              ".prj",     ".wsp",    ".ioc"};

bool IsProjectFile(std::string_view name) {
  const std::string_view ext = FileExtension(name);
  for (const std::string_view kept : kProjectFiles) {
    if (EqualsIgnoreCase(ext, kept)) return true;
  }
  return false;
}

// Recorded paths come from Windows, where letter case does not count; a
// looser match only keeps a file more.
std::string Key(std::string_view path) { return LowerAscii(path); }

// The project file after a rename (new name) or before one (Clean-Only).
struct ProjectFile {
  std::string path;
  bool renamed = false;  // the file of the new name, which differs from the old
};

std::optional<ProjectFile> FindProjectFile(const FamilyCleanUp& r, std::string_view extension,
                                           FileSystem& fs) {
  for (const std::string& name : {r.new_name, r.old_name}) {
    if (name.empty()) continue;
    std::string path = JoinPath(r.family_dir, name + std::string(extension));
    if (fs.FileExists(path) && fs.IsSameOrInside(path, r.project_dir)) {
      return ProjectFile{std::move(path), name == r.new_name && r.new_name != r.old_name};
    }
  }
  return std::nullopt;
}

class FolderCleaner {
 public:
  FolderCleaner(const FamilyCleanUp& request, const std::vector<std::string>& named_files,
                FileSystem& file_system)
      : request_(request), file_system_(file_system) {
    for (const std::string& file : named_files) {
      if (auto path = PathInside(request.project_dir, request.family_dir, file, file_system)) {
        named_.insert(Key(*path));
      }
    }
  }

  // The folder `recorded` names, when it may be cleaned: it lies inside the
  // project and holds no project file of this family.
  std::optional<std::string> Folder(std::string_view recorded) const {
    std::optional<std::string> folder =
        PathInside(request_.project_dir, request_.family_dir, recorded, file_system_);
    if (!folder || !file_system_.DirectoryExists(*folder) ||
        file_system_.IsSameOrInside(request_.family_dir, *folder) || InKeptFolder(*folder)) {
      return std::nullopt;
    }
    return folder;
  }

  // Deletes the files of the folder `recorded` names, but the output images
  // when `keep_images` and the files the project names.
  void Empty(std::string_view recorded, bool keep_images) const {
    const std::optional<std::string> dir = Folder(recorded);
    if (!dir) return;
    for (const std::string& name : file_system_.ListFiles(*dir)) {
      if (keep_images && ExtensionMatchesIgnoreCase(name, kImages)) continue;
      if (IsProjectFile(name)) continue;
      const std::string path = JoinPath(*dir, name);
      if (!named_.contains(Key(file_system_.ResolvedPath(path)))) file_system_.RemoveFile(path);
    }
  }

  // Renames the images `from` + extension to `to` + extension in the folder
  // `recorded` names, never over an existing file.
  void RenameImages(std::string_view recorded, std::string_view from, std::string_view to) const {
    if (from.empty() || to.empty() || from == to) return;
    const std::optional<std::string> dir = Folder(recorded);
    if (!dir) return;
    for (const std::string_view ext : kImageExtensions) {
      const std::optional<DirEntry> image =
          file_system_.FindEntry(*dir, std::string(from) + std::string(ext));
      if (!image || image->kind != EntryKind::kFile) continue;
      file_system_.RenameNoReplace(JoinPath(*dir, image->name),
                                   JoinPath(*dir, std::string(to) + std::string(ext)));
    }
  }

 private:
  // RTE/ and DebugConfig/ hold configuration the IDE does not make again.
  bool InKeptFolder(std::string_view folder) const {
    const std::string project = file_system_.ResolvedPath(request_.project_dir);
    if (project.empty() || !folder.starts_with(project)) return true;
    std::string_view rest = folder.substr(project.size());
    while (!rest.empty()) {
      while (!rest.empty() && rest.front() == Separator()) rest.remove_prefix(1);
      const std::string_view name = rest.substr(0, rest.find(Separator()));
      if (EqualsIgnoreCase(name, "RTE") || EqualsIgnoreCase(name, "DebugConfig")) return true;
      rest.remove_prefix(name.size());
    }
    return false;
  }

  const FamilyCleanUp& request_;
  FileSystem& file_system_;
  std::set<std::string> named_;
};

template <typename Project, typename Reader>
std::optional<Project> ReadQuietly(const std::string& path, Reader read) {
  try {
    return read(path);
  } catch (const std::exception&) {
    return std::nullopt;  // the clean-up is silent: an unreadable file cleans nothing
  }
}

bool FamilyInside(const FamilyCleanUp& r, FileSystem& fs) {
  return !r.project_dir.empty() && fs.DirectoryExists(r.family_dir) &&
         fs.IsSameOrInside(r.family_dir, r.project_dir);
}

}  // namespace

namespace {

// The Keil project file of `extension` with what it names, when there is one.
struct ReadKeil {
  ProjectFile file;
  KeilProject project;
};

std::optional<ReadKeil> ReadKeilFile(const FamilyCleanUp& request, std::string_view extension,
                                     FileSystem& file_system) {
  if (!FamilyInside(request, file_system)) return std::nullopt;
  const std::optional<ProjectFile> file = FindProjectFile(request, extension, file_system);
  if (!file) return std::nullopt;
  std::optional<KeilProject> project = ReadQuietly<KeilProject>(
      file->path,
      [&file_system](const std::string& path) { return ReadKeilProject(path, true, file_system); });
  if (!project) return std::nullopt;
  return ReadKeil{*file, std::move(*project)};
}

std::vector<std::string> NamedFiles(const KeilProject& project) {
  std::vector<std::string> named = project.source_files;
  for (const KeilTarget& t : project.targets) named.push_back(t.scatter_file);
  return named;
}

}  // namespace

void CleanUpKeilUv5(const FamilyCleanUp& request, FileSystem& file_system) {
  const std::optional<ReadKeil> read = ReadKeilFile(request, ".uvprojx", file_system);
  if (!read) return;
  const ProjectFile* file = &read->file;
  const KeilProject* project = &read->project;
  const FolderCleaner cleaner(request, NamedFiles(*project), file_system);

  if (!request.backup) CleanDirectoryAnyCase(request.family_dir, ".bak", false, file_system);
  for (const KeilTarget& t : project->targets) {
    cleaner.Empty(t.output_directory, true);
    cleaner.Empty(t.listing_path, true);
  }
  CleanDirectoryAnyCase(request.family_dir, ".dep", false, file_system);
  CleanDirectoryFileAnyCase(request.family_dir, ".uvguix.", 'A', false, file_system);
  if (request.old_name.empty() || request.new_name.empty()) return;
  for (const KeilTarget& t : project->targets) {
    const std::string& output = t.output_name;
    if (file->renamed && StartsWithIgnoreCase(output, request.new_name)) {
      const std::string rest = output.substr(request.new_name.size());
      cleaner.RenameImages(t.output_directory, request.old_name + rest, output);
    } else if (!file->renamed && StartsWithIgnoreCase(output, request.old_name)) {
      const std::string rest = output.substr(request.old_name.size());
      cleaner.RenameImages(t.output_directory, output, request.new_name + rest);
    }
  }
}

void CleanUpKeilUv4(const FamilyCleanUp& request, FileSystem& file_system) {
  const std::optional<ReadKeil> read = ReadKeilFile(request, ".uvproj", file_system);
  if (!read) return;
  const FolderCleaner cleaner(request, NamedFiles(read->project), file_system);
  for (const KeilTarget& t : read->project.targets) {
    cleaner.Empty(t.output_directory, true);
    cleaner.Empty(t.listing_path, true);
  }
}

void CleanUpIarNamed(const FamilyCleanUp& request, bool rename_images, FileSystem& file_system) {
  if (!FamilyInside(request, file_system)) return;
  const std::optional<ProjectFile> file = FindProjectFile(request, ".ewp", file_system);
  if (!file) return;
  const std::optional<IarProject> project = ReadQuietly<IarProject>(
      file->path,
      [&file_system](const std::string& path) { return ReadIarProject(path, file_system); });
  if (!project) return;
  const FolderCleaner cleaner(request, project->source_files, file_system);
  for (const IarConfiguration& c : project->configurations) {
    cleaner.Empty(c.exe_path, true);
    cleaner.Empty(c.obj_path, false);
    cleaner.Empty(c.list_path, false);
  }
  if (!rename_images) return;
  for (const IarConfiguration& c : project->configurations) {
    cleaner.RenameImages(c.exe_path, request.old_name, request.new_name);
  }
}

void CleanUpIarLayout(const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpIarNamed(request, true, file_system);
}

}  // namespace kelvandor
