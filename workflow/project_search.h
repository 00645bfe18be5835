#pragma once

// Looking below a folder for the project the user meant, when the folder
// itself names none: a project file a few levels down (a vendor's
// board/variant/toolchain layout), or a workspace together with the projects
// it lists: the files the families' rows show. Hidden folders, links and build-output
// folders are not entered.

#include <string>
#include <string_view>
#include <vector>

#include "core/project.h"
#include "platform/file_system.h"

namespace kelvandor {

// How many folder levels below the given one are looked at.
inline constexpr int kProjectSearchDepth = 4;

struct ProjectCandidate {
  // Separator + the folders below the searched one ("/Project/RVMDK"); empty
  // for the searched folder itself.
  std::string sub_dir;
  // The family of the first project file found there; for a folder holding
  // only a workspace, the workspace's.
  FamilyKind kind{};
  bool operator==(const ProjectCandidate&) const = default;
};

struct ProjectSearch {
  // The folders holding a project, by sub_dir; a folder whose projects a
  // workspace elsewhere lists counts as that workspace's.
  std::vector<ProjectCandidate> candidates;
  // Linked folders, which are never followed: separator-led as sub_dir.
  std::vector<std::string> passed_over;
  bool operator==(const ProjectSearch&) const = default;
};

// Searches `root` and up to `max_depth` levels below it. A folder counts when
// it holds a project file of a family, or a workspace that lists a project
// file that exists.
ProjectSearch SearchProjects(std::string_view root, FileSystem& file_system,
                             int max_depth = kProjectSearchDepth);

// True for the folder names the search never enters besides hidden ones:
// the build-output folders of the clean-up, letter case ignored.
bool IsOutputFolderName(std::string_view name);

// The candidates' folders relative to the searched one, "." for the
// searched folder itself.
std::vector<std::string> CandidateLines(const std::vector<ProjectCandidate>& candidates);

}  // namespace kelvandor
