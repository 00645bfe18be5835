#pragma once

// Rewriting an MPLAB X project folder for a new name, byte for byte outside
// the values that carry the name. The IDE shows the <name> of project.xml;
// the generated makefiles, which command-line builds run without the IDE,
// carry the folder's name (a blank written "_" in image names). What the IDE
// rewrites itself (the generic "Makefile", "Makefile-genesis.properties",
// "nbproject/private/") is left alone.

#include <string>
#include <string_view>

#include "core/file_rewrite.h"
#include "core/rewrite_values.h"
#include "platform/file_system.h"

namespace kelvandor {

inline constexpr std::string_view kMplabFolder = "nbproject";

// The first <name> of <data> in the project.xml at `path`, decoded; empty
// when it has none. Raises IoError when it cannot be read.
std::string ReadMplabProjectName(std::string_view path, FileSystem& file_system);

// The folder's name as image names write it: every blank an "_".
std::string MplabImageName(std::string_view folder);

// Stages the rewrite of the MPLAB X project in `dir` named `old_name`, whose
// folder `old_folder` becomes `new_folder` (the same when it stays), for
// values.new_name; each file is rewritten in place, the old content kept as
// file name + ".bak" when values.backup:
//  - nbproject/project.xml: the first <name> of <data>; further ones, which
//    a copy in the IDE leaves behind, are kept and reported;
//  - nbproject/Makefile-impl.mk: PROJECTNAME when it is the old folder;
//  - nbproject/Makefile-<conf>.mk: FINAL_IMAGE;
//  - nbproject/Makefile-variables.mk: CND_ARTIFACT_NAME_* and
//    CND_ARTIFACT_PATH_*;
//  - nbproject/Package-<conf>.bash: OUTPUT_BASENAME;
//    each of these where its last path component begins with the old
//    folder's image name and a ".";
//  - "OLD.mc3" becomes "NEW.mc3" unless a file stands there, and so does
//    the <itemPath> naming it in nbproject/configurations.xml.
void ParseMplab(const std::string& dir, std::string_view old_name, std::string_view old_folder,
                std::string_view new_folder, const RewriteValues& values, RewriteBatch& batch);

// The Harmony 3 configurations of the project folder `firmware_dir`
// ("firmware/"): in each "src/config/<cfg>/<cfg>.mhc/settings.yml",
// folderName where it is `old_folder` and projectName where it is
// `old_name`, the rest of the file byte for byte.
void ParseHarmonySettings(const std::string& firmware_dir, std::string_view old_name,
                          std::string_view old_folder, std::string_view new_folder,
                          const RewriteValues& values, RewriteBatch& batch);

}  // namespace kelvandor
