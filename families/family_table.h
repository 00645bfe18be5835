#pragma once

// The table of project-file families: for each kind, the files that show it,
// how input analysis finds it and reads its name, how its files are
// rewritten, which build output its clean-up block removes and where the
// window shows its names. Adding a family is adding a row here.

#include <span>
#include <string>
#include <string_view>

#include "core/project.h"
#include "families/project_file_cleanup.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"
#include "core/file_rewrite.h"
#include "core/rewrite_values.h"

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

// How a workspace file lists its projects, for the search below a folder.
enum class WorkspaceList {
  kNone,
  kFileLines,       // "FILE-n=path" lines
  kXmlPath,         // <path> elements
  kXmlPathAndName,  // <PathAndName> elements
};

// A file that shows the family in a folder.
struct ProjectFilePattern {
  std::string_view pattern;  // an extension, or with whole_name the file's name
  bool whole_name = false;
  bool project = true;  // counts by itself, without listing anything
  WorkspaceList workspace = WorkspaceList::kNone;
  // When set, the file shows the family only in a folder this holds of.
  bool (*shows)(std::string_view dir, FileSystem& file_system) = nullptr;
};

// Whose name input analysis proposes as the new one: the last family of the
// project, in table order, that proposes.
enum class Proposal {
  kNever,
  kWhenNamed,  // when its old name is not empty
  kAlways,
};

// The window's fields for old names.
enum class OldField { kWsp, kPrj, kUvProj, kEww };

// A field showing one of the family's names: the first family of the
// project, in table order, that a field shows is the one edited there.
struct ShownName {
  OldField field = OldField::kPrj;
  std::string_view value = {};  // a Family value; empty: the old name
  bool or_old_name = false;     // the old name while the value is empty
};

struct FamilyRow {
  FamilyKind kind = FamilyKind::kWspPrj;
  // The files that show it to the search below a folder, in the order tried.
  std::span<const ProjectFilePattern> files = {};
  // When input analysis finds no family by its own rules: the project folder
  // the input path (a folder or a file) stands for, empty when the family
  // does not recognise it.
  std::string (*claim)(const std::string& path) = nullptr;
  // Its claim is also asked of the project folder older families' rules
  // found: the family joins them when it names that folder.
  bool joins = false;
  // The old name read in the family's folder; without it, input analysis
  // reads it by the family's own rules.
  std::string (*read_name)(const std::string& dir) = nullptr;
  // The folders of the layouts it may live in: a generator's folder beside
  // the sources ("EWARM", "MDK-ARM"), and the one below "example".
  std::string_view generator_folder = {};
  std::string_view example_folder = {};
  Proposal proposal = Proposal::kNever;
  // A generator's configuration ("NAME.ioc") lies in the folder above the
  // family's folder, and follows the new name with it.
  bool configured_above = false;
  std::span<const ShownName> shown = {};
  // Stages the family's project files, found in `dir`, into `batch`.
  void (*rewrite)(const std::string& dir, const Family& family, const RewriteValues& values,
                  UserInterface& ui, RewriteBatch& batch) = nullptr;
  // The fixed output folders, cleaned in this order.
  std::span<const CleanStep> clean_steps = {};
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
