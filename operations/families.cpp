#include "operations/families.h"

#include <vector>

#include "platform/path_style.h"
#include "rewrite/iar_rewriter.h"
#include "rewrite/keil5_rewriter.h"
#include "rewrite/keil_rewriter.h"
#include "rewrite/keil_workspace.h"
#include "rewrite/prj_rewriter.h"
#include "rewrite/wsp_rewriter.h"

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
  ParseWsp(dir, family.old_workspace + ".wsp", family.old_name, values, ui, batch);
  ParsePrj(dir, family.old_name + ".prj", values, ui, batch);
}

void RewriteIar(const std::string& dir, const Family& family, const RewriteValues& values,
                UserInterface&, RewriteBatch& batch) {
  // Without a workspace name of its own, the workspace bears the project's.
  const std::string& workspace =
      family.old_workspace.empty() ? family.old_name : family.old_workspace;
  ParseIAR(dir, family.old_name, workspace, values, batch);
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
  CleanUpIarNamed(request, family.generator_layout, file_system);
}

void CleanKeilUv4(const Family&, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv4(request, file_system);
}

void CleanKeilUv5(const Family&, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv5(request, file_system);
}

constexpr FamilyRow kTable[] = {
    {FamilyKind::kWspPrj, RewriteWspPrj, kWspPrjSteps, nullptr},
    {FamilyKind::kIar, RewriteIar, kIarSteps, CleanIarNamed},
    {FamilyKind::kKeilUv4, RewriteKeilUv4, kKeilSteps, CleanKeilUv4},
    {FamilyKind::kKeilUv5, RewriteKeilUv5, {}, CleanKeilUv5},
};

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
