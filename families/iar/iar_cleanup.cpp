#include "families/iar/iar_cleanup.h"

#include <optional>
#include <string>
#include <vector>

#include "families/iar/iar_rewriter.h"
#include "families/iar/iar_settings.h"
#include "families/output_folders.h"

namespace kelvandor {

using output_folders::FamilyInside;
using output_folders::FindProjectFile;
using output_folders::FolderCleaner;
using output_folders::ProjectFile;
using output_folders::ReadQuietly;

void CleanUpIarNamed(const FamilyCleanUp& request, bool rename_images, FileSystem& file_system) {
  if (!FamilyInside(request, file_system)) return;
  const std::optional<ProjectFile> file = FindProjectFile(request, ".ewp", file_system);
  if (!file) return;
  const std::optional<IarProject> project = ReadQuietly<IarProject>(
      file->path,
      [&file_system](const std::string& path) { return ReadIarProject(path, file_system); });
  if (!project) return;
  FolderCleaner cleaner(request, file_system);
  for (const std::string& source : project->source_files) cleaner.Name(source);
  // Each configuration's folders, its browse folder set; after a rename,
  // also those it named before, where the output of earlier builds lies.
  std::vector<IarConfiguration> configurations;
  for (IarConfiguration c : project->configurations) {
    c.browse_path = BrowseInfoFolder(c);
    configurations.push_back(std::move(c));
  }
  for (std::size_t i = 0, n = configurations.size(); file->renamed && i < n; ++i) {
    const auto before = [&](const std::string& path) {
      return IarOutputFollowing(path, request.new_name, request.old_name, false).value_or("");
    };
    const IarConfiguration& c = configurations[i];
    IarConfiguration old{c.name, before(c.exe_path), before(c.obj_path), before(c.list_path),
                         before(c.browse_path)};
    if (!(old.exe_path + old.obj_path + old.list_path + old.browse_path).empty())
      configurations.push_back(std::move(old));
  }
  for (const IarConfiguration& c : configurations) {
    cleaner.Empty(c.exe_path, true);
    cleaner.Empty(c.obj_path, false);
    cleaner.Empty(c.list_path, false);
    cleaner.Empty(c.browse_path, false);
  }
  if (!rename_images) return;
  for (const IarConfiguration& c : configurations) {
    cleaner.RenameImages(c.exe_path, request.old_name, request.new_name);
  }
}

void CleanUpIarLayout(const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpIarNamed(request, true, file_system);
}

}  // namespace kelvandor
