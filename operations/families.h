#pragma once

// The table of project-file families: for each kind, how its files are
// rewritten and which build output its clean-up block removes. Adding a
// family is adding a row here and teaching input analysis to find it.

#include <span>
#include <string>
#include <string_view>

#include "operations/project.h"
#include "operations/project_file_cleanup.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"
#include "rewrite/file_rewrite.h"
#include "rewrite/rewrite_values.h"

namespace kelvandor {

enum class CleanOp {
  kKeepImages,          // every file but the output images
  kEmpty,               // every file
  kDeleteBackups,       // ".bak" files, unless backups are wanted
  kDeleteDependencies,  // ".dep" files
  kDeleteUvGui,         // names holding ".uvgui."
  kRenameImage,         // old name + ext -> new name + ext, never overwriting
};

struct CleanStep {
  std::string_view folder;  // below the family's folder, "/" between levels; empty: the folder
  CleanOp op = CleanOp::kEmpty;
  std::string_view ext = {};  // for kRenameImage
};

struct FamilyRow {
  FamilyKind kind = FamilyKind::kWspPrj;
  // Stages the family's project files, found in `dir`, into `batch`.
  void (*rewrite)(const std::string& dir, const Family& family, const RewriteValues& values,
                  UserInterface& ui, RewriteBatch& batch) = nullptr;
  // The fixed output folders, cleaned in this order.
  std::span<const CleanStep> clean_steps;
  // Then the output folders the project file itself names; may be empty.
  void (*clean_named)(const Family& family, const FamilyCleanUp& request,
                      FileSystem& file_system) = nullptr;
};

// The rows in FamilyKind order.
std::span<const FamilyRow> FamilyTable();
const FamilyRow& RowOf(FamilyKind kind);

// What the rewriters read of a project and its plan.
RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan);

}  // namespace kelvandor
