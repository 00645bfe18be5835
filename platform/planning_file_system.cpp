#include "platform/planning_file_system.h"

namespace kelvandor {

// Placeholder until the overlay lands: every change is refused.
bool PlanningFileSystem::MakeDirectory(std::string_view) { return false; }
bool PlanningFileSystem::RenameNoReplace(std::string_view, std::string_view) { return false; }
bool PlanningFileSystem::RenameReplacing(std::string_view, std::string_view) { return false; }
bool PlanningFileSystem::RemoveFile(std::string_view) { return false; }
bool PlanningFileSystem::RemoveTree(std::string_view) { return false; }
bool PlanningFileSystem::CopyPermissions(std::string_view, std::string_view) { return false; }
bool PlanningFileSystem::CopyOneFile(std::string_view, std::string_view) { return false; }
bool PlanningFileSystem::MakeLink(std::string_view, std::string_view, bool) { return false; }
int PlanningFileSystem::CreateForWriting(std::string_view) { return -1; }
long long PlanningFileSystem::Write(int, const char*, std::size_t) { return -1; }
int PlanningFileSystem::Close(int) { return -1; }

}  // namespace kelvandor
