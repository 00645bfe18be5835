#include "families/keil/keil_cleanup.h"

#include <functional>
#include <optional>
#include <string>

#include "core/cleaning.h"
#include "families/keil/keil_settings.h"
#include "families/output_folders.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

using output_folders::FamilyInside;
using output_folders::FindProjectFile;
using output_folders::FolderCleaner;
using output_folders::ProjectFile;
using output_folders::ReadQuietly;

// Reads the Keil project file through `visitor`; false when it cannot be
// read, which cleans nothing.
bool ReadKeilQuietly(const std::string& path, const KeilProjectVisitor& visitor,
                     FileSystem& file_system) {
  return ReadQuietly<bool>(path,
                           [&](const std::string& p) {
                             ReadKeilProject(p, visitor, file_system);
                             return true;
                           })
      .has_value();
}

// Empties each target's output and listing folders, keeping the output
// images and the files the project names. The project file is streamed
// twice: once for the folders, and once more for the names, only when those
// folders hold anything to delete. `before` runs just before the first
// deletion. False when the file cannot be read.
bool CleanKeilFolders(const FamilyCleanUp& request, const std::string& path,
                      const std::function<void()>& before, FileSystem& file_system) {
  FolderCleaner cleaner(request, file_system);
  const KeilProjectVisitor folders{.target =
                                       [&cleaner](const KeilTarget& t) {
                                         cleaner.Collect(t.output_directory);
                                         cleaner.Collect(t.listing_path);
                                         cleaner.CollectListingsBeside(t.listing_path,
                                                                       t.output_name);
                                       },
                                   .source = {}};
  if (!ReadKeilQuietly(path, folders, file_system)) return false;
  if (cleaner.ListCollected()) {
    const KeilProjectVisitor names{
        .target =
            [&cleaner](const KeilTarget& t) {
              // The one the linker writes from the memory layout is output.
              if (t.memory_layout_scatter != "1") cleaner.Spare(t.scatter_file);
            },
        .source = [&cleaner](std::string_view source) { cleaner.Spare(source); }};
    if (!ReadKeilQuietly(path, names, file_system)) return false;
  }
  if (before) before();
  cleaner.CleanCollected();
  return true;
}

}  // namespace

void CleanUpKeilUv5(const FamilyCleanUp& request, FileSystem& file_system) {
  if (!FamilyInside(request, file_system)) return;
  const std::optional<ProjectFile> file = FindProjectFile(request, ".uvprojx", file_system);
  if (!file) return;
  const auto clean_folder_files = [&](std::string_view ext_list, std::string_view pattern) {
    CleanFolderFilesAnyCase(request.family_dir, ext_list, pattern, request.shared_folder,
                            {request.old_name, request.new_name}, file_system);
  };
  const auto clean_backups = [&] {
    if (!request.backup) clean_folder_files(".bak", {});
  };
  if (!CleanKeilFolders(request, file->path, clean_backups, file_system)) return;
  clean_folder_files(".dep", {});
  clean_folder_files({}, ".uvguix.");
  if (request.old_name.empty() || request.new_name.empty()) return;
  // The images follow the output names: read once more, target by target.
  const FolderCleaner cleaner(request, file_system);
  const KeilProjectVisitor images{
      .target =
          [&](const KeilTarget& t) {
            const std::string& output = t.output_name;
            if (file->renamed && StartsWithIgnoreCase(output, request.new_name)) {
              const std::string rest = output.substr(request.new_name.size());
              cleaner.RenameImages(t.output_directory, request.old_name + rest, output);
            } else if (!file->renamed && StartsWithIgnoreCase(output, request.old_name)) {
              const std::string rest = output.substr(request.old_name.size());
              cleaner.RenameImages(t.output_directory, output, request.new_name + rest);
            }
          },
      .source = {}};
  ReadKeilQuietly(file->path, images, file_system);
}

void CleanUpKeilUv4(const FamilyCleanUp& request, FileSystem& file_system) {
  if (!FamilyInside(request, file_system)) return;
  const std::optional<ProjectFile> file = FindProjectFile(request, ".uvproj", file_system);
  if (file) CleanKeilFolders(request, file->path, {}, file_system);
}

}  // namespace kelvandor
