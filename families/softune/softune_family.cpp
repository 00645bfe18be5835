#include "families/softune/softune_family.h"

#include <optional>
#include <string>
#include <vector>

#include "core/path_helpers.h"
#include "core/recorded_path.h"
#include "families/softune/prj_rewriter.h"
#include "families/softune/wsp_prj_description.h"
#include "families/softune/wsp_rewriter.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr CleanStep kSteps[] = {
    {"ABS", CleanOp::kKeepImages, kOutputImages},
    {"LST", CleanOp::kEmpty},
    {"OBJ", CleanOp::kEmpty},
    {"OPT", CleanOp::kEmpty},
    {"ABS", CleanOp::kRenameImage, ".mhx"},

    {"Debug/ABS", CleanOp::kKeepImages, kOutputImages},
    {"Debug/LST", CleanOp::kEmpty},
    {"Debug/OBJ", CleanOp::kEmpty},
    {"Debug/OPT", CleanOp::kEmpty},
    {"Debug/ABS", CleanOp::kRenameImage, ".mhx"},

    {"Release/ABS", CleanOp::kKeepImages, kOutputImages},
    {"Release/LST", CleanOp::kEmpty},
    {"Release/OBJ", CleanOp::kEmpty},
    {"Release/OPT", CleanOp::kEmpty},
    {"Release/ABS", CleanOp::kRenameImage, ".mhx"},
};

void Rewrite(const std::string& dir, const Family& family, const RewriteValues& values,
             UserInterface& ui, RewriteBatch& batch) {
  ParseWsp(dir, family.Value(kWorkspaceValue) + ".wsp", family.old_name, values, ui, batch);
  ParsePrj(dir, family.old_name + ".prj", values, ui, batch);
}

constexpr ProjectFilePattern kFiles[] = {
    {".prj"},
    {".wsp", false, false, WorkspaceList::kFileLines},
};

constexpr ShownName kShown[] = {{OldField::kWsp, kWorkspaceValue}, {OldField::kPrj}};

constexpr std::string_view kProject = ".prj";
constexpr std::string_view kProjectExtensions[] = {kProject, ".wsp"};
constexpr TakenFile kFolderFiles[] = {{kProject, 0}};

void ReadNames(Project& project) {
  Family& family = *project.Find(FamilyKind::kWspPrj);
  const std::string dir = project.project_dir + family.sub_dir;
  family.SetValue(kWorkspaceValue, GetWspName(dir).text);
  family.old_name = GetPrjName(dir).text;
}

// A project file named by the input is the project renamed, also where
// others lie beside it.
void PreferNamed(const std::string& given, Project& project) {
  Family& family = *project.Find(FamilyKind::kWspPrj);
  if (!EndsWithIgnoreCase(given, kProject) || !FileExists(given)) return;
  // As the disk spells it, whatever the letter case typed.
  const std::optional<DirEntry> entry = FindEntry(FolderPart(given), NamePart(given));
  const std::string name = entry ? entry->name : NamePart(given);
  family.old_name = name.substr(0, name.size() - kProject.size());
}

// The projects of a workspace that lists several of them when the input
// names none: nothing when there is no such workspace.
std::vector<std::string> Choose(const std::string&, Project& project, const AnalysisHelp&) {
  const Family& family = *project.Find(FamilyKind::kWspPrj);
  if (!family.Flag(kWorkspaceValue)) return {};
  const std::string wsp = JoinPath(project.project_dir, family.Value(kWorkspaceValue) + ".wsp");
  if (!FileExists(wsp)) return {};
  std::vector<std::string> projects = WorkspaceProjects(wsp, NativeFileSystem());
  if (projects.size() < 2) return {};
  const std::string chosen = family.old_name + std::string(kProject);
  for (const std::string& listed : projects) {
    if (!family.old_name.empty() && EqualsIgnoreCase(RecordedName(listed), chosen)) return {};
  }
  return projects;
}

}  // namespace

FamilyRow SoftuneRow() {
  return {.kind = FamilyKind::kWspPrj,
          .files = kFiles,
          .project_extensions = kProjectExtensions,
          .folder_files = kFolderFiles,
          .read_names = ReadNames,
          .prefer_named = PreferNamed,
          .choose = Choose,
          .proposal = Proposal::kAlways,
          .shown = kShown,
          .rewrite = Rewrite,
          .clean_steps = kSteps,
          .describe = DescribeWspPrj};
}

HelperResult GetPrjName(std::string_view dir) { return OnlyFileName(dir, ".prj"); }
HelperResult GetWspName(std::string_view dir) { return OnlyFileName(dir, ".wsp"); }

}  // namespace kelvandor
