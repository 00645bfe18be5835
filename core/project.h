#pragma once

// The values every front door works with: a `Project` is what input analysis
// found, a `RenamePlan` what the user wants made of it. The rename workflow
// and the clean-up read both and nothing else; the window and kelvandor-cli
// only differ in how they fill them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvandor {

// One row each of the family table (operations/families.h), in the order the
// rewriters and the clean-up blocks run.
enum class FamilyKind {
  kWspPrj,   // ".wsp" + ".prj" in the project folder
  kIar,      // ".eww", ".ewp", ".ewd", ".dep"
  kKeilUv4,  // the Keil folder: ".uvproj", ".uvopt", the fixed output folders
  kKeilUv5,  // ".uvprojx", ".uvoptx" beside or in place of a uVision 4 project
  kEclipse,  // ".project", ".cproject", launch files; "NAME.ioc"; sub-projects
  kCMake,    // "CMakeLists.txt" naming the project, the generator's "cmake/", "NAME.ioc"
};
inline constexpr FamilyKind kLastFamilyKind = FamilyKind::kCMake;

struct Family {
  FamilyKind kind = FamilyKind::kWspPrj;
  // Separator + the folder(s) below the project folder that hold the
  // family's files ("\example\IAR", "/MDK-ARM"), or empty.
  std::string sub_dir;
  // The project's old name: the ".prj" name for WSP/PRJ; for the Keil folder
  // the uVision 4 name, else the uVision 5 one; for IAR the ".ewp" name; for
  // an Eclipse project the <name> of its ".project".
  std::string old_name;
  // What else the family's row reads, by name (kWorkspaceValue, ...); a value
  // set empty is no value.
  std::vector<std::pair<std::string, std::string>> values;

  std::string Value(std::string_view name) const;
  void SetValue(std::string_view name, std::string text);
  bool Flag(std::string_view name) const { return !Value(name).empty(); }
  void SetFlag(std::string_view name, bool on) { SetValue(name, on ? "1" : ""); }
  bool operator==(const Family&) const = default;
};

// WSP/PRJ: the ".wsp" name; IAR: the ".eww" name.
inline constexpr std::string_view kWorkspaceValue = "workspace";
// A flag of IAR: the output folders are the ones the ".ewp" names.
inline constexpr std::string_view kGeneratorLayoutValue = "generator_layout";
// A flag of the Keil folder: other projects lie in it, so of the files kept
// there for every project only the renamed project's own are cleaned.
inline constexpr std::string_view kSharedFolderValue = "shared_folder";

struct Project {
  std::string input_dir;    // the folder part of the input path, as given
  std::string temp_dir;     // where archives are unpacked, once one was
  std::string old_path;     // the parent folder shown as the old path
  std::string old_dir;      // the project folder's name
  std::string project_dir;  // the project folder's full path
  bool from_archive = false;
  std::vector<Family> families;  // in FamilyKind order, each kind at most once

  const Family* Find(FamilyKind kind) const;
  Family* Find(FamilyKind kind);
  bool Has(FamilyKind kind) const { return Find(kind) != nullptr; }
  Family& Add(FamilyKind kind);  // the family of `kind`, added when missing
  bool operator==(const Project&) const = default;
};

enum class RenameMode { kInPlace, kCopy, kRenameFolder };

struct RenamePlan {
  std::string new_path;  // the target's parent folder, normally ending in the separator
  std::string new_dir;   // the target folder's name: target = new_path + new_dir
  std::string new_name;  // the new project name
  RenameMode mode = RenameMode::kInPlace;
  bool clean_up = false;
  bool backup = false;  // keep the ".bak" files and write new ones
  std::string Target() const { return new_path + new_dir; }
  bool operator==(const RenamePlan&) const = default;
};

}  // namespace kelvandor
