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

// Which family a `Family` is: one row of the family table each, in the
// order the rewriters and the clean-up blocks run. The families name their
// kinds (families/family_kind.h); here a kind is only a number.
enum class FamilyKind : int;

struct Family {
  FamilyKind kind{};
  // Separator + the folder(s) below the project folder that hold the
  // family's files, or empty.
  std::string sub_dir;
  // The project's old name, as the family's project file gives it.
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

// The name of the workspace that lists the project, where the family has one.
inline constexpr std::string_view kWorkspaceValue = "workspace";
// A flag: other projects lie in the family's folder, so of the files kept
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
