#pragma once

// Rewriting an Eclipse-based vendor IDE project (".project", ".cproject",
// launch configurations, a code generator's "NAME.ioc", a Simplicity-style
// "NAME.slcp") for a new project name, byte for byte outside the values that
// carry the name. Eclipse compares project names exactly, so do the rules
// here: a value follows when it is the old name or names it as a whole path
// component, never when it merely contains it.

#include <string>
#include <string_view>
#include <vector>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"
#include "families/eclipse/eclipse_settings.h"
#include "platform/file_system.h"

namespace kelvandor {

// One Eclipse project: its folder and the name its ".project" gives it.
struct EclipseProject {
  std::string dir;
  std::string name;
  // What a sub-project's name keeps after the new name ("_CM4"); empty for
  // the root.
  std::string suffix = {};
  bool operator==(const EclipseProject&) const = default;
};

// The project whose ".project" lies in `dir` (a file, not a link) with a
// name, then, when `dir` holds no ".cproject" (the root of a multi-core
// project builds nothing itself), its sub-projects: the visible sub-folders,
// not links, whose ".project" names NAME + "_" + something ("NAME_CM4"), or,
// whatever it begins with, ends in "_" + the folder's name ("OTHER_CM4" in
// "CM4/", as a rename in the IDE leaves the cores).
// Empty when `dir` holds no such ".project". This is also how an Eclipse
// project is recognised. Raises IoError when a ".project" cannot be read:
// a project half renamed would not open.
std::vector<EclipseProject> FindEclipseProjects(std::string_view dir, FileSystem& file_system);

// How a value (raw, as written in the XML: entities not decoded) follows
// the new name.
enum class EclipseRule {
  kExact,         // the old name itself
  kResourcePath,  // "/NAME" or "/NAME/..." (a workspace path)
  kVariables,     // the argument of "${var:NAME}", "${var:/NAME}", "${var:/NAME/...}"
  kProgramFile,   // the variables, then the last component "NAME" or "NAME.ext" of a
                  // relative path
  kLoadList,      // the fProjectName and fPath entries of a list written inside the value
};
std::string ApplyEclipseRule(EclipseRule rule, std::string_view raw, std::string_view old_name,
                             std::string_view new_name);

// Rewrites the Eclipse project in `dir` named `old_name` and its
// sub-projects (see FindEclipseProjects; "NAME_CM4" and "OTHER_CM4" become
// "NEW_CM4") for values.new_name. Each project's files are rewritten in place, the old
// content kept as file name + ".bak" when values.backup:
//  - ".project": the <name> of <projectDescription> and the names of
//    <projects><project> that are renamed here;
//  - ".cproject": <project id="NAME.x" name="NAME">, a literal
//    artifactName="NAME", the project in "${var:/NAME/...}"-style values
//    (buildPath and option values), workspacePath="/NAME", and the link
//    script "NAME_<configuration>.ld" of a configuration whose link script
//    is managed;
//  - launch configurations ("*.launch" in the project folder, ".launches/"
//    and "Debug_Configurations/"): the project attributes, the mapped
//    resource paths, the program file, a list of items to load, and the
//    "${var:NAME}" arguments; a launch file that names a renamed project and
//    whose name starts with its old name followed by " ", "_" or "." takes
//    the new name with the commit, never over an existing file;
//  - NAME.ioc through ParseIoc, also where its keys name the sub-projects'
//    "OTHER"; NAME.slcp with its "project_name:" line
//    under the new name; NAME.pintool renamed; NAME.mex renamed when
//    ".default_mex" names it, which then names the new file.
// Nothing that is a link or lies outside `dir` through one is touched.
// Silent; raises IoError on a file failure, before any change. Staged into
// `batch`: nothing changes before its commit.
void ParseEclipse(std::string_view dir, std::string_view old_name, const RewriteValues& values,
                  RewriteBatch& batch);

}  // namespace kelvandor
