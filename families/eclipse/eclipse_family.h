#pragma once

// Eclipse-based IDE projects: how input analysis recognises one and reads
// its name, how it is rewritten and cleaned, and its row.

#include <string>

#include "core/file_rewrite.h"
#include "core/project.h"
#include "core/rewrite_values.h"
#include "families/family_row.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor {

// The folder of the Eclipse project `path` names: a folder holding a
// ".project" with a name and a ".cproject" (or sub-projects, see
// FindEclipseProjects), or one of its ".project", ".cproject", ".ioc" or
// launch files. A sub-project stands for the project above it. Empty when
// `path` names none.
std::string ClaimEclipseProject(const std::string& path);

// The <name> of the ".project" in `dir`; empty when it cannot be read.
std::string ReadEclipseName(const std::string& dir);

void RewriteEclipse(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface& ui, RewriteBatch& batch);

void CleanEclipse(const Family& family, const FamilyCleanUp& request, FileSystem& file_system);

FamilyRow EclipseRow();

}  // namespace kelvandor
