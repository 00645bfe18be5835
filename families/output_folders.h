#pragma once

// The engine of the clean-up of build output whose folders the project file
// itself names, shared by the families whose project files name them:
// each target of a Keil uVision 4 or 5 project (<OutputDirectory>,
// <ListingPath>) and each configuration of an IAR project (ExePath, ObjPath,
// ListPath). A folder is cleaned only when it lies inside
// the project folder and is neither the folder of the project file nor one
// above it; the others (absolute, leaving by "..", through a link) are passed
// over in silence, and so are RTE/ and DebugConfig/. A uVision target listing
// into the project file's own folder has there only what its build writes
// deleted: the listings and the map, linker and build-log files of its
// output name. Files the project names (sources, group files, its own scatter
// and linker files; not the one the linker writes from the memory layout),
// project files of every family and the ".ioc" are never deleted. Silent,
// like the table-driven clean-up.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/cleaning.h"
#include "core/recorded_path.h"
#include "families/family_row.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor::output_folders {

inline constexpr std::string_view kImages = kOutputImages;
inline constexpr std::string_view kImageExtensions[] = {".hex", ".srec", ".mhx"};
// What a uVision build writes into its listing folder, there named after the
// target's output: when that folder is the project file's own, only these
// and the listings (".lst") go.
inline constexpr std::string_view kListingsBeside[] = {".map", ".m51", ".lnp", ".htm",
                                                       ".build_log.htm"};
inline constexpr std::string_view kListing = ".lst";

// Never output, wherever a project names its output: the project files of
// every family and the device configuration the project was generated from
// (scatter and linker files are kept when the project names them).
inline constexpr std::string_view kProjectFiles[] = {".uvprojx", ".uvoptx", ".uvproj", ".uvopt",
                                                     ".uvmpw",   ".eww",    ".ewp",    ".ewd",
                                                     ".prj",     ".wsp",    ".ioc"};

inline bool IsProjectFile(std::string_view name) {
  const std::string_view ext = FileExtension(name);
  for (const std::string_view kept : kProjectFiles) {
    if (EqualsIgnoreCase(ext, kept)) return true;
  }
  return false;
}

// Recorded paths come from Windows, where letter case does not count; a
// looser match only keeps a file more.
inline std::string Key(std::string_view path) { return LowerAscii(path); }

// The project file after a rename (new name) or before one (Clean-Only).
struct ProjectFile {
  std::string path;
  bool renamed = false;  // the file of the new name, which differs from the old
};

inline std::optional<ProjectFile> FindProjectFile(const FamilyCleanUp& r,
                                                  std::string_view extension, FileSystem& fs) {
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
  FolderCleaner(const FamilyCleanUp& request, FileSystem& file_system)
      : request_(request), file_system_(file_system) {}

  // A file the project names, which is never deleted.
  void Name(std::string_view recorded) {
    if (auto path = PathInside(request_.project_dir, request_.family_dir, recorded, file_system_))
      named_.insert(Key(*path));
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

  // Folder, remembered for the values met first: the targets of one project
  // mostly name the same few folders. Only while nothing is deleted.
  std::optional<std::string> KnownFolder(std::string_view recorded) const {
    if (const auto known = known_folders_.find(recorded); known != known_folders_.end())
      return known->second;
    std::optional<std::string> folder = Folder(recorded);
    if (known_folders_.size() < kKnownFolders) known_folders_.emplace(recorded, folder);
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

  // The folder `recorded` names joins those CleanCollected empties, keeping
  // their output images.
  void Collect(std::string_view recorded) {
    std::optional<std::string> folder = KnownFolder(recorded);
    if (!folder) return;
    for (const std::string& f : folders_) {
      if (f == *folder) return;
    }
    folders_.push_back(std::move(*folder));
  }

  // A target listing into the project file's own folder (".\" or no
  // folder): what the build writes there for it joins those CleanCollected
  // deletes.
  void CollectListingsBeside(const std::string& listing_path, const std::string& output_name) {
    if (output_name.empty()) return;
    const std::string listing = listing_path.empty() ? std::string(".") : listing_path;
    const std::optional<std::string> folder =
        PathInside(request_.project_dir, request_.family_dir, listing, file_system_);
    if (!folder || *folder != file_system_.ResolvedPath(request_.family_dir)) return;
    AddListedBeside(output_name);
    // After a rename, what the last build wrote bears the old name.
    const std::string& new_name = request_.new_name;
    if (!new_name.empty() && !request_.old_name.empty() &&
        StartsWithIgnoreCase(output_name, new_name)) {
      AddListedBeside(request_.old_name + output_name.substr(new_name.size()));
    }
  }

  // Lists what CleanCollected would delete; false when that is nothing.
  bool ListCollected() {
    for (const std::string& dir : folders_) {
      for (const std::string& name : file_system_.ListFiles(dir)) {
        if (ExtensionMatchesIgnoreCase(name, kImages) || IsProjectFile(name)) continue;
        AddCandidate(dir, name);
      }
    }
    if (!listed_beside_.empty()) {
      for (const std::string& name : file_system_.ListFiles(request_.family_dir)) {
        if (IsListingBeside(name)) AddCandidate(request_.family_dir, name);
      }
    }
    return !candidates_.empty();
  }

  // A file the project names, as it streams by: spared by CleanCollected.
  void Spare(std::string_view recorded) {
    // Only a name that a listed file resolves to can be spared, unless the
    // recorded file is a link, or a name Windows reads otherwise (a short
    // name, a trailing dot or blank), whose own name may differ.
    const std::string_view name = RecordedName(recorded);
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ' ||
        name.find('~') != std::string_view::npos || candidate_names_.contains(LowerAscii(name))) {
      SpareResolved(recorded);
      return;
    }
    const std::optional<std::string> path = RecordedPath(request_.family_dir, recorded);
    if (path && file_system_.IsLink(*path)) SpareResolved(recorded);
  }

  // Deletes the listed files that no Spare named.
  void CleanCollected() const {
    for (const Candidate& c : candidates_) {
      if (!c.spared) file_system_.RemoveFile(c.path);
    }
  }

  // Renames the images `from` + extension to `to` + extension in the folder
  // `recorded` names, never over an existing file.
  void RenameImages(std::string_view recorded, std::string_view from, std::string_view to) const {
    if (from.empty() || to.empty() || from == to) return;
    const std::optional<std::string> dir = KnownFolder(recorded);
    if (!dir) return;
    std::set<std::string>& images = Images(*dir);
    for (const std::string_view ext : kImageExtensions) {
      const std::string name = std::string(from) + std::string(ext);
      if (!images.contains(LowerAscii(name))) continue;
      const std::optional<DirEntry> image = file_system_.FindEntry(*dir, name);
      if (!image || image->kind != EntryKind::kFile) continue;
      const std::string new_name = std::string(to) + std::string(ext);
      if (file_system_.RenameNoReplace(JoinPath(*dir, image->name), JoinPath(*dir, new_name)))
        images.insert(LowerAscii(new_name));
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

  void AddListedBeside(std::string output_name) {
    for (const std::string& output : listed_beside_) {
      if (EqualsIgnoreCase(output, output_name)) return;
    }
    listed_beside_.push_back(std::move(output_name));
  }

  void AddCandidate(const std::string& dir, const std::string& name) {
    std::string path = JoinPath(dir, name);
    std::string key = Key(file_system_.ResolvedPath(path));
    // The name as listed and as resolved: a planned run resolves a file
    // it renamed to the name it has on the disk.
    candidate_names_.insert(LowerAscii(name));
    candidate_names_.insert(std::string(RecordedName(key)));
    candidates_.push_back({std::move(path), std::move(key), false});
  }

  bool IsListingBeside(std::string_view name) const {
    if (IsProjectFile(name)) return false;
    if (EqualsIgnoreCase(FileExtension(name), kListing)) return true;
    for (const std::string& output : listed_beside_) {
      if (!StartsWithIgnoreCase(name, output)) continue;
      for (const std::string_view ext : kListingsBeside) {
        if (EqualsIgnoreCase(name.substr(output.size()), ext)) return true;
      }
    }
    return false;
  }

  void SpareResolved(std::string_view recorded) {
    const std::optional<std::string> path =
        PathInside(request_.project_dir, request_.family_dir, recorded, file_system_);
    if (!path) return;
    const std::string key = Key(*path);
    for (Candidate& c : candidates_) {
      if (c.key == key) c.spared = true;
    }
  }

  // The names of the entries in `dir` that look like images, in lower case,
  // listed once: a project of many targets would list the folder for each.
  // Only the images RenameImages makes are added.
  std::set<std::string>& Images(const std::string& dir) const {
    const auto known = images_.find(dir);
    if (known != images_.end()) return known->second;
    std::set<std::string>& names = images_[dir];
    for (const DirEntry& entry : file_system_.ListDirectory(dir)) {
      if (ExtensionMatchesIgnoreCase(entry.name, kImages)) names.insert(LowerAscii(entry.name));
    }
    return names;
  }

  static constexpr std::size_t kKnownFolders = 64;

  struct Candidate {
    std::string path;
    std::string key;
    bool spared = false;
  };

  const FamilyCleanUp& request_;
  FileSystem& file_system_;
  std::set<std::string> named_;
  mutable std::map<std::string, std::optional<std::string>, std::less<>> known_folders_;
  mutable std::map<std::string, std::set<std::string>> images_;
  std::vector<std::string> folders_;  // resolved, each once, in the order first named
  std::vector<Candidate> candidates_;
  std::set<std::string> candidate_names_;
  std::vector<std::string> listed_beside_;  // output names of the targets listing beside
};

template <typename Project, typename Reader>
std::optional<Project> ReadQuietly(const std::string& path, Reader read) {
  try {
    return read(path);
  } catch (const std::exception&) {
    return std::nullopt;  // the clean-up is silent: an unreadable file cleans nothing
  }
}

inline bool FamilyInside(const FamilyCleanUp& r, FileSystem& fs) {
  return !r.project_dir.empty() && fs.DirectoryExists(r.family_dir) &&
         fs.IsSameOrInside(r.family_dir, r.project_dir);
}

}  // namespace kelvandor::output_folders
