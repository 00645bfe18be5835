#include "operations/cleanup.h"

#include <span>
#include <string>

#include "operations/cleaning.h"
#include "operations/project_file_cleanup.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kImages = ".hex.srec.mhx";

enum class Op {
  kKeepImages,          // every file but the output images
  kEmpty,               // every file
  kDeleteBackups,       // ".bak" files, unless backups are wanted
  kDeleteDependencies,  // ".dep" files
  kDeleteUvGui,         // names holding ".uvgui."
  kRenameImage,         // old name + ext -> new name + ext, never overwriting
};

struct Step {
  std::string_view folder;  // below the block's base, "/" between levels; empty: the base
  Op op = Op::kEmpty;
  std::string_view ext = {};  // for kRenameImage
};

constexpr Step kWspPrjSteps[] = {
    {"ABS", Op::kKeepImages},
    {"LST", Op::kEmpty},
    {"OBJ", Op::kEmpty},
    {"OPT", Op::kEmpty},
    {"ABS", Op::kRenameImage, ".mhx"},

    {"Debug/ABS", Op::kKeepImages},
    {"Debug/LST", Op::kEmpty},
    {"Debug/OBJ", Op::kEmpty},
    {"Debug/OPT", Op::kEmpty},
    {"Debug/ABS", Op::kRenameImage, ".mhx"},

    {"Release/ABS", Op::kKeepImages},
    {"Release/LST", Op::kEmpty},
    {"Release/OBJ", Op::kEmpty},
    {"Release/OPT", Op::kEmpty},
    {"Release/ABS", Op::kRenameImage, ".mhx"},
};

constexpr Step kIarSteps[] = {
    {"", Op::kDeleteBackups},
    {"output/debug/obj", Op::kEmpty},
    {"output/debug/exe", Op::kKeepImages},
    {"output/debug/list", Op::kEmpty},
    {"output/release/exe", Op::kKeepImages},
    {"output/release/list", Op::kEmpty},
    {"output/release/obj", Op::kEmpty},
    {"settings", Op::kEmpty},
    {"output/release/exe", Op::kRenameImage, ".srec"},
    {"output/release/exe", Op::kRenameImage, ".mhx"},
    {"output/release/exe", Op::kRenameImage, ".hex"},
};

constexpr Step kKeilSteps[] = {
    {"", Op::kDeleteBackups},
    {"output/debug", Op::kKeepImages},
    {"output/release", Op::kKeepImages},
    {"", Op::kDeleteDependencies},
    {"", Op::kDeleteUvGui},
    {"output/release", Op::kRenameImage, ".hex"},
    {"output/release", Op::kRenameImage, ".srec"},
    {"output/release", Op::kRenameImage, ".mhx"},
};

std::string FolderOf(std::string_view base, std::string_view folder) {
  std::string out(base);
  if (folder.empty()) return out;
  out += Separator();
  for (char c : folder) out += c == '/' ? Separator() : c;
  return out;
}

void RenameImage(const std::string& dir, std::string_view old_name, std::string_view new_name,
                 std::string_view ext, FileSystem& file_system) {
  // Without a name on either side the rename would make a file called
  // ".mhx" out of an image, or pick up a stray one.
  if (old_name.empty() || new_name.empty()) return;
  const std::string prefix = dir + Separator();
  const std::string from = prefix + std::string(old_name) + std::string(ext);
  if (!FileExists(from)) return;
  file_system.RenameNoReplace(from, prefix + std::string(new_name) + std::string(ext));
}

void RunSteps(std::span<const Step> steps, std::string_view base, std::string_view old_name,
              const CleanUpRequest& request, std::string_view project, FileSystem& fs) {
  for (const Step& step : steps) {
    const std::string dir = FolderOf(base, step.folder);
    if (!IsSameOrInside(dir, project)) continue;
    switch (step.op) {
      case Op::kKeepImages:
        CleanDirectory(dir, kImages, true, fs);
        break;
      case Op::kEmpty:
        CleanDirectory(dir, {}, false, fs);
        break;
      case Op::kDeleteBackups:
        if (!request.backup) CleanDirectory(dir, ".bak", false, fs);
        break;
      case Op::kDeleteDependencies:
        CleanDirectory(dir, ".dep", false, fs);
        break;
      case Op::kDeleteUvGui:
        CleanDirectoryFile(dir, ".uvgui.", 'A', false, fs);
        break;
      case Op::kRenameImage:
        RenameImage(dir, old_name, request.new_name, step.ext, fs);
        break;
    }
  }
}

bool IsDotComponent(std::string_view component) { return component == "." || component == ".."; }

}  // namespace

bool IsUsableProjectName(std::string_view new_name) {
  constexpr std::string_view kSeparators = kNativeStyle == PathStyle::kWindows ? "\\/:" : "/";
  for (const char c : new_name) {
    if (kSeparators.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20) {
      return false;
    }
  }
  return true;
}

bool IsUsableTarget(std::string_view new_path, std::string_view new_dir) {
  // Windows takes "/" as a separator too.
  constexpr std::string_view kSeparators = kNativeStyle == PathStyle::kWindows ? "\\/" : "/";
  bool named = false;
  std::size_t start = 0;
  while (start <= new_dir.size()) {
    std::size_t end = new_dir.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) end = new_dir.size();
    const std::string_view component = new_dir.substr(start, end - start);
    if (IsDotComponent(component)) return false;
    named = named || !component.empty();
    start = end + 1;
  }
  return named && !IsFileSystemRoot(std::string(new_path) + std::string(new_dir));
}

void CleanUpProject(const CleanUpRequest& request, FileSystem& file_system) {
  if (!IsUsableTarget(request.new_path, request.new_dir)) return;
  // A name that is a path would move the images out of their folder.
  if (!IsUsableProjectName(request.new_name)) {
    CleanUpRequest without_renames = request;
    without_renames.new_name.clear();
    CleanUpProject(without_renames, file_system);
    return;
  }
  const std::string target = request.new_path + request.new_dir;
  // The project itself may be reached through a link (the user named it);
  // below it, nothing leads out.
  const std::string project = ResolvedPath(target);
  if (project.empty()) return;
  if (request.has_wsp_prj) {
    RunSteps(kWspPrjSteps, target, request.old_prj, request, project, file_system);
  }
  if (request.has_eww) {
    RunSteps(kIarSteps, target + request.iar_sub_dir, request.old_eww, request, project,
             file_system);
    if (request.iar_generator_layout) {
      CleanUpIarLayout(
          {target, target + request.iar_sub_dir, request.old_eww, request.new_name, request.backup},
          file_system);
    }
  }
  if (request.has_uvproj) {
    RunSteps(kKeilSteps, target + request.keil_sub_dir, request.old_uvproj, request, project,
             file_system);
    if (request.has_uvprojx) {
      CleanUpKeilUv5({target, target + request.keil_sub_dir, request.old_uvprojx, request.new_name,
                      request.backup},
                     file_system);
    }
  }
}

}  // namespace kelvandor
