#pragma once

// What a family of project files tells the generic machinery: the files that
// show it, how input analysis finds it and reads its name, how its files are
// rewritten, which build output its clean-up removes and where the window
// shows its names. Each family's folder below families/ fills in one row;
// family_table.cpp lists them.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_rewrite.h"
#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_kind.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

enum class CleanOp {
  kKeepImages,         // every file but the output images, whose extensions `ext` runs together
  kEmpty,              // every file
  kDeleteBackups,      // ".bak" files, unless backups are wanted
  kDeleteExtension,    // the files ending in `ext`
  kDeleteNameHolding,  // the files whose names hold `ext`
  kRenameImage,        // old name + ext -> new name + ext, never overwriting
};

// The output images the families' builds write, for kKeepImages.
inline constexpr std::string_view kOutputImages = ".hex.srec.mhx";

struct CleanStep {
  std::string_view folder;  // below the family's folder, "/" between levels; empty: the folder
  CleanOp op = CleanOp::kEmpty;
  std::string_view ext = {};
};

// What a family's own clean-up is asked to do.
struct FamilyCleanUp {
  std::string project_dir;  // nothing outside it is touched
  std::string family_dir;   // where the project file lies
  std::string old_name;     // the family's old project name
  std::string new_name;     // the new project name
  bool backup = false;      // "Backup Project Files" ticked
  // Other projects lie in the family folder: of the files there, only the
  // project's own (named after its old or new name) are cleaned.
  bool shared_folder = false;
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
  // Not empty: the file lies in the sub-folder of this name, and the folder
  // above that is the family's.
  std::string_view folder = {};
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

// A file whose folder, tried in a folder given as the input, makes it the
// project file: of all the rows' files, the lowest rank found wins.
struct TakenFile {
  std::string_view ext;
  int rank = 0;
};

// Where a project file given in one of the family's layouts puts the
// project: its folder, and the family's folder below it.
struct LaidOut {
  std::string project_dir;
  std::string sub_dir;  // separator + the folder(s) below project_dir
};

// What input analysis lends a family's rules.
struct AnalysisHelp {
  // The projects the search finds below the sub-folders of `dir` (not in
  // `dir` itself), relative to `dir`, as the refusal for several projects
  // lists them.
  std::vector<std::string> (*projects_below)(const std::string& dir) = nullptr;
};

struct FamilyRow {
  FamilyKind kind = FamilyKind::kWspPrj;
  // The files that show it to the search below a folder, in the order tried.
  std::span<const ProjectFilePattern> files = {};

  // Input analysis asks these, in this order; any may be missing.
  // The path a given input stands for (a workspace for its one project, ...).
  std::string (*redirect)(const std::string& path) = nullptr;
  // A given file ending in one of these names the family's project.
  std::span<const std::string_view> project_extensions = {};
  // A folder given holding one of these is the family's project folder.
  std::span<const TakenFile> folder_files = {};
  // The files of its example and generator layouts (see the folders below).
  std::span<const std::string_view> layout_extensions = {};
  // A project file given in another layout of the family.
  std::optional<LaidOut> (*laid_out)(const std::string& path) = nullptr;
  // Files showing the family in one sub-folder of the project folder, beside
  // the sources; two such families side by side are one project.
  std::span<const std::string_view> sub_folder_files = {};
  // A flag set on the family when it was found in its generator's folder or
  // in a sub-folder.
  std::string_view layout_flag = {};
  // A file given outside every layout that stands for its own folder.
  bool (*names_own_folder)(const std::string& path) = nullptr;
  // When no family was found by the rules above: the project folder the
  // input path (a folder or a file) stands for, empty when the family does
  // not recognise it.
  std::string (*claim)(const std::string& path) = nullptr;
  // The folder above a claimed one that the project is, the claimed folder
  // then the family's below it; empty when the claimed folder is the project.
  std::string (*claim_above)(const std::string& dir) = nullptr;
  // Its claim is also asked of the project folder other families' rules
  // found: the family joins them when it names that folder.
  bool joins = false;
  // The old name read in the family's folder, where one file gives it.
  std::string (*read_name)(const std::string& dir) = nullptr;
  // Otherwise: reads the old names of the family found in `project`.
  void (*read_names)(Project& project) = nullptr;
  // The project file the input `given` named, where others lie beside it.
  void (*prefer_named)(const std::string& given, Project& project) = nullptr;
  // The one project of the family's folder, or the list of those to choose
  // from when the input names none of several.
  std::vector<std::string> (*choose)(const std::string& given, Project& project,
                                     const AnalysisHelp& help) = nullptr;
  // The folders of the layouts it may live in: a generator's folder beside
  // the sources ("EWARM", "MDK-ARM"), and the one below "example".
  std::string_view generator_folder = {};
  std::string_view example_folder = {};
  Proposal proposal = Proposal::kNever;
  // Stages the rewrite of a generator's configuration ("NAME.ioc") in the
  // folder above the family's folder, which follows the new name with it;
  // asked once for each folder and old name.
  void (*configure_above)(const std::string& above, const std::string& old_name,
                          const RewriteValues& values, RewriteBatch& batch) = nullptr;
  std::span<const ShownName> shown = {};
  // The project folder's name that goes with `new_name` where the IDE names
  // the folder after the project; empty where the folder follows no rule.
  std::string (*folder_for)(std::string_view old_dir, std::string_view new_name) = nullptr;
  // Why the IDE could not build under `new_name`; empty when it can.
  std::string (*refuse_name)(std::string_view new_name) = nullptr;
  // Stages the family's project files, found in `dir`, into `batch`.
  void (*rewrite)(const std::string& dir, const Family& family, const RewriteValues& values,
                  UserInterface& ui, RewriteBatch& batch) = nullptr;
  // The fixed output folders, cleaned in this order.
  std::span<const CleanStep> clean_steps = {};
  // Then the output folders the project file itself names; may be empty.
  void (*clean_named)(const Family& family, const FamilyCleanUp& request,
                      FileSystem& file_system) = nullptr;
  // What the window says it found: the family's name, its files and, by
  // WhereFound, its folder; empty for a row that another one describes.
  std::string (*describe)(const Project& project, const Family& family) = nullptr;
  // The file name of the generator's configuration that configure_above
  // rewrites in `above`, as written there; empty when there is none.
  std::string (*configuration_above)(std::string_view above, std::string_view old_name) = nullptr;
};

}  // namespace kelvandor
