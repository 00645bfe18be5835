#include "families/family_table.h"

#include <vector>

#include "families/cmake_project/cmake_project.h"
#include "families/eclipse/eclipse_family.h"
#include "platform/path_style.h"
#include "families/iar/iar_rewriter.h"
#include "families/keil/keil5_rewriter.h"
#include "families/keil/keil_rewriter.h"
#include "families/keil/keil_workspace.h"
#include "families/softune/prj_rewriter.h"
#include "families/softune/wsp_rewriter.h"

namespace kelvandor {
namespace {

constexpr CleanStep kWspPrjSteps[] = {
    {"ABS", CleanOp::kKeepImages},
    {"LST", CleanOp::kEmpty},
    {"OBJ", CleanOp::kEmpty},
    {"OPT", CleanOp::kEmpty},
    {"ABS", CleanOp::kRenameImage, ".mhx"},

    {"Debug/ABS", CleanOp::kKeepImages},
    {"Debug/LST", CleanOp::kEmpty},
    {"Debug/OBJ", CleanOp::kEmpty},
    {"Debug/OPT", CleanOp::kEmpty},
    {"Debug/ABS", CleanOp::kRenameImage, ".mhx"},

    {"Release/ABS", CleanOp::kKeepImages},
    {"Release/LST", CleanOp::kEmpty},
    {"Release/OBJ", CleanOp::kEmpty},
    {"Release/OPT", CleanOp::kEmpty},
    {"Release/ABS", CleanOp::kRenameImage, ".mhx"},
};

constexpr CleanStep kIarSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug/obj", CleanOp::kEmpty},
    {"output/debug/exe", CleanOp::kKeepImages},
    {"output/debug/list", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kKeepImages},
    {"output/release/list", CleanOp::kEmpty},
    {"output/release/obj", CleanOp::kEmpty},
    {"settings", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kRenameImage, ".srec"},
    {"output/release/exe", CleanOp::kRenameImage, ".mhx"},
    {"output/release/exe", CleanOp::kRenameImage, ".hex"},
};

constexpr CleanStep kKeilSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug", CleanOp::kKeepImages},
    {"output/release", CleanOp::kKeepImages},
    {"", CleanOp::kDeleteDependencies},
    {"", CleanOp::kDeleteUvGui},
    {"output/release", CleanOp::kRenameImage, ".hex"},
    {"output/release", CleanOp::kRenameImage, ".srec"},
    {"output/release", CleanOp::kRenameImage, ".mhx"},
};

void RewriteWspPrj(const std::string& dir, const Family& family, const RewriteValues& values,
                   UserInterface& ui, RewriteBatch& batch) {
  ParseWsp(dir, family.Value(kWorkspaceValue) + ".wsp", family.old_name, values, ui, batch);
  ParsePrj(dir, family.old_name + ".prj", values, ui, batch);
}

void RewriteIar(const std::string& dir, const Family& family, const RewriteValues& values,
                UserInterface&, RewriteBatch& batch) {
  // Without a workspace name of its own, the workspace bears the project's.
  const std::string named = family.Value(kWorkspaceValue);
  const std::string& workspace = named.empty() ? family.old_name : named;
  ParseIAR(dir, family.old_name, workspace, values, batch);
  WarnOfIarWorkspacesAbove(dir.substr(0, dir.size() - family.sub_dir.size()), family.old_name,
                           values, batch);
}

// The workspaces listing the project files the batch renames in the Keil
// folder `dir`, looked for up to the project folder.
void FollowWorkspaces(const std::string& dir, const Family& family, const RewriteValues& values,
                      RewriteBatch& batch) {
  std::vector<RenamedProjectFile> renamed;
  for (const ProjectFileChange& change : batch.changes()) {
    if (change.dir == dir && change.old_name != change.new_name &&
        (EndsWithIgnoreCase(change.old_name, ".uvproj") ||
         EndsWithIgnoreCase(change.old_name, ".uvprojx"))) {
      renamed.push_back({change.dir, change.old_name, change.new_name});
    }
  }
  const std::string project_dir = dir.substr(0, dir.size() - family.sub_dir.size());
  FollowKeilWorkspaces(project_dir, dir, renamed, values.new_name, values.backup, batch);
}

void RewriteKeilUv4(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface&, RewriteBatch& batch) {
  ParseKEILUV(dir, family.old_name, values, batch);
  // A folder with one uVision 5 project has its row too, which runs next and
  // takes the workspaces of both.
  if (batch.file_system().ListFiles(dir, ".uvprojx").size() != 1)
    FollowWorkspaces(dir, family, values, batch);
}

void RewriteKeilUv5(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface&, RewriteBatch& batch) {
  ParseKEILUV5(dir, family.old_name, values, batch);
  FollowWorkspaces(dir, family, values, batch);
}

void CleanIarNamed(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpIarNamed(request, family.Flag(kGeneratorLayoutValue), file_system);
}

// The request of a Keil family, whose folder other projects may share.
FamilyCleanUp KeilRequest(const Family& family, FamilyCleanUp request) {
  request.shared_folder = family.Flag(kSharedFolderValue);
  return request;
}

void CleanKeilUv4(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv4(KeilRequest(family, request), file_system);
}

void CleanKeilUv5(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv5(KeilRequest(family, request), file_system);
}

constexpr ProjectFilePattern kWspPrjFiles[] = {
    {".prj"},
    {".wsp", false, false, WorkspaceList::kFileLines},
};
constexpr ProjectFilePattern kIarFiles[] = {
    {".eww", false, true, WorkspaceList::kXmlPath},
    {".ewp"},
};
// A uVision 5 project shows the Keil folder; input analysis tells it apart.
constexpr ProjectFilePattern kKeilFiles[] = {
    {".uvproj"},
    {".uvprojx"},
    {".uvmpw", false, false, WorkspaceList::kXmlPathAndName},
};

constexpr ShownName kWspPrjShown[] = {{OldField::kWsp, kWorkspaceValue}, {OldField::kPrj}};
// The IAR field shows the workspace; the project may be named otherwise.
constexpr ShownName kIarShown[] = {{OldField::kEww, kWorkspaceValue, true}};
constexpr ShownName kKeilShown[] = {{OldField::kUvProj}};

constexpr ProjectFilePattern kEclipseFiles[] = {{".project", true}};
// Where no WSP/PRJ project takes it.
constexpr ShownName kEclipseShown[] = {{OldField::kPrj}};

// Every CMake project has one; only the generator's folder makes it ours.
constexpr ProjectFilePattern kCMakeFiles[] = {
    {"CMakeLists.txt", true, true, WorkspaceList::kNone, ShowsCMakeProject}};

constexpr FamilyRow kTable[] = {
    {.kind = FamilyKind::kWspPrj,
     .files = kWspPrjFiles,
     .proposal = Proposal::kAlways,
     .shown = kWspPrjShown,
     .rewrite = RewriteWspPrj,
     .clean_steps = kWspPrjSteps},
    {.kind = FamilyKind::kIar,
     .files = kIarFiles,
     .generator_folder = "EWARM",
     .example_folder = "IAR",
     .proposal = Proposal::kWhenNamed,
     .configured_above = true,
     .shown = kIarShown,
     .rewrite = RewriteIar,
     .clean_steps = kIarSteps,
     .clean_named = CleanIarNamed},
    {.kind = FamilyKind::kKeilUv4,
     .files = kKeilFiles,
     .generator_folder = "MDK-ARM",
     .example_folder = "ARM",
     .proposal = Proposal::kWhenNamed,
     .configured_above = true,
     .shown = kKeilShown,
     .rewrite = RewriteKeilUv4,
     .clean_steps = kKeilSteps,
     .clean_named = CleanKeilUv4},
    {.kind = FamilyKind::kKeilUv5,
     .configured_above = true,
     .rewrite = RewriteKeilUv5,
     .clean_named = CleanKeilUv5},
    {.kind = FamilyKind::kEclipse,
     .files = kEclipseFiles,
     .claim = ClaimEclipseProject,
     .joins = true,
     .read_name = ReadEclipseName,
     .proposal = Proposal::kWhenNamed,
     .shown = kEclipseShown,
     .rewrite = RewriteEclipse,
     .clean_named = CleanEclipse},
    {.kind = FamilyKind::kCMake,
     .files = kCMakeFiles,
     .claim = ClaimCMakeProject,
     .joins = true,
     .read_name = ReadCMakeProjectName,
     .proposal = Proposal::kWhenNamed,
     .shown = kEclipseShown,
     .rewrite = RewriteCMakeProject,
     .clean_named = CleanCMakeProject},
};

constexpr bool InKindOrder() {
  for (std::size_t i = 0; i < std::size(kTable); ++i) {
    if (static_cast<std::size_t>(kTable[i].kind) != i) return false;
  }
  return true;
}
static_assert(InKindOrder(), "the family table lists the families in FamilyKind order");
static_assert(std::size(kTable) == static_cast<std::size_t>(kLastFamilyKind) + 1,
              "every family has its row");

}  // namespace

std::span<const FamilyRow> FamilyTable() { return kTable; }

const FamilyRow& RowOf(FamilyKind kind) { return kTable[static_cast<int>(kind)]; }

RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan) {
  return RewriteValues{.new_name = plan.new_name,
                       .new_path = plan.new_path,
                       .new_dir = plan.new_dir,
                       .old_dir = project.old_dir,
                       .backup = plan.backup};
}

}  // namespace kelvandor
