#pragma once

// What the family table knows of a generator's CMake project (opened by
// VS Code or CLion): a folder whose "CMakeLists.txt" sets
// CMAKE_PROJECT_NAME, with the generator's "cmake/stm32cubemx/" and its
// "NAME.ioc"; a project of several contexts has a folder with a
// "CMakeLists.txt" of its own per context ("CM4/", "Appli/"), named
// NAME_<Context>.

#include <string>
#include <string_view>

#include "core/file_rewrite.h"
#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_row.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// True when `dir` holds such a project: "CMakeLists.txt" with a
// set(CMAKE_PROJECT_NAME ...), "cmake/stm32cubemx/CMakeLists.txt" and a
// ".ioc", none of them links.
bool ShowsCMakeProject(std::string_view dir, FileSystem& file_system);

// The folder of the project `path` names: its folder, its ".ioc", its top
// "CMakeLists.txt", or a context's folder or "CMakeLists.txt". Empty when
// `path` names none.
std::string ClaimCMakeProject(const std::string& path);

// The project's name: that of its ".ioc" (the one the top "CMakeLists.txt"
// names, else the only one), else the literal name the top
// "CMakeLists.txt" sets; empty when neither can be read.
std::string ReadCMakeProjectName(const std::string& dir);

// In `dir`, for values.new_name: the ".ioc" through ParseIoc; the argument
// of set(CMAKE_PROJECT_NAME ...) in the top "CMakeLists.txt" (a computed
// one stays, with a warning); each NAME_<Context> in the contexts'
// "CMakeLists.txt" and in "mx-generated.cmake"; the images named after the
// project in ".vscode/launch.json", ".vscode/tasks.json" and "openocd.cfg";
// CLion's ".idea/.name", and ".idea/NAME.iml" with its "modules.xml"
// entry. A "CMakeCache.txt" recorded for another folder than the one it lies
// in, which CMake refuses, is deleted with the commit. Every other byte
// stays. Staged into `batch`.
void RewriteCMakeProject(const std::string& dir, const Family& family, const RewriteValues& values,
                         UserInterface& ui, RewriteBatch& batch);

// Deletes what CMake and the tools around it write: "build/" and each
// context's "build/", ".cache/", "mx.scratch", and the files an in-source
// build leaves beside the top "CMakeLists.txt". Links are neither followed
// nor deleted; nothing outside request.project_dir is touched. Silent.
void CleanCMakeProject(const Family& family, const FamilyCleanUp& request, FileSystem& file_system);

FamilyRow CMakeRow();

}  // namespace kelvandor
