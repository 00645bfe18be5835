#include "workflow/front_door.h"

#include <utility>

namespace kelvandor {

RenamePlan WithArchiveRule(const Project& project, RenamePlan plan) {
  if (project.from_archive) {
    plan.mode = RenameMode::kCopy;
    plan.backup = false;
  }
  return plan;
}

std::string FolderFor(RenameMode mode, std::string_view new_name, std::string_view proposed_dir) {
  return std::string(mode == RenameMode::kRenameFolder ? new_name : proposed_dir);
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
      request.new_dir.value_or(FolderFor(plan.mode, plan.new_name, request.proposed_dir));
  return plan;
}

std::string_view RenameResultText(const Failure& failure) {
  return failure.failed() ? "Finished with ERROR(s)" : "Finished!";
}

}  // namespace kelvandor
