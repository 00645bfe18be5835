#include "workflow/front_door.h"

#include <utility>

#include "families/family_table.h"

namespace kelvandor {

RenamePlan WithArchiveRule(const Project& project, RenamePlan plan) {
  if (project.from_archive) {
    plan.mode = RenameMode::kCopy;
    plan.backup = false;
  }
  return plan;
}

std::string FolderFor(const Project& project, RenameMode mode, std::string_view new_name,
                      std::string_view proposed_dir) {
  if (mode == RenameMode::kInPlace) return std::string(proposed_dir);
  for (const Family& family : project.families) {
    const auto folder_for = RowOf(family.kind).folder_for;
    if (folder_for == nullptr || !family.sub_dir.empty()) continue;
    if (std::string folder = folder_for(project.old_dir, new_name); !folder.empty()) return folder;
  }
  return std::string(mode == RenameMode::kRenameFolder ? new_name : proposed_dir);
}

std::string RefusedName(const Project& project, std::string_view new_name) {
  for (const Family& family : project.families) {
    const auto refuse_name = RowOf(family.kind).refuse_name;
    if (refuse_name == nullptr) continue;
    if (std::string why = refuse_name(new_name); !why.empty()) return why;
  }
  return {};
}

RenamePlan PlanRename(const Project& project, const RenameRequest& request) {
  RenamePlan plan;
  plan.new_path = request.new_path;
  plan.new_name = request.new_name;
  plan.mode = request.mode;
  plan.clean_up = request.clean_up;
  plan.backup = request.backup;
  plan = WithArchiveRule(project, std::move(plan));
  plan.new_dir =
      request.new_dir.value_or(FolderFor(project, plan.mode, plan.new_name, request.proposed_dir));
  return plan;
}

std::string_view RenameResultText(const Failure& failure) {
  return failure.failed() ? "Finished with ERROR(s)" : "Finished!";
}

}  // namespace kelvandor
