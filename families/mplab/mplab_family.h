#pragma once

// MPLAB X projects: a folder ("NAME.X/" by
// the IDE's convention) holding "nbproject/project.xml" beside
// "nbproject/configurations.xml"; with Harmony 3 below "firmware/", its
// configurations beside it in "firmware/src/config/".

#include <string>
#include <string_view>

#include "core/file_rewrite.h"
#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_row.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// The project folder `path` names: the folder itself, its "nbproject/", or
// a file of that; empty when `path` names none.
std::string ClaimMplabProject(const std::string& path);

// The Harmony 3 application whose "firmware/" holds the project folder
// `dir` beside its configurations ("firmware/src/config/<cfg>/<cfg>.mhc/");
// empty for a project of no such application.
std::string MplabApplicationAbove(const std::string& dir);

// The name the IDE shows; empty when project.xml cannot be read.
std::string ReadMplabName(const std::string& dir);

// "NEW.X" for a folder "NAME.X"; empty for a folder without the ".X".
std::string MplabFolderFor(std::string_view old_dir, std::string_view new_name);

// Empty when the IDE builds under `new_name`, which takes letters, digits,
// "_", "-" and "."; otherwise why not, naming the first other character.
std::string RefuseMplabName(std::string_view new_name);

void RewriteMplab(const std::string& dir, const Family& family, const RewriteValues& values,
                  UserInterface& ui, RewriteBatch& batch);

// Deletes "build/", "dist/", "debug/", "disassembly/" and ".generated_files/"
// of the project folder with everything below them; a link is neither
// followed nor deleted, nor is a folder outside request.project_dir.
void CleanMplab(const Family& family, const FamilyCleanUp& request, FileSystem& file_system);

FamilyRow MplabRow();

}  // namespace kelvandor
