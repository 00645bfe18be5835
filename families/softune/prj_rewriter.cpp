#include "families/softune/prj_rewriter.h"

#include <string>

#include "core/file_rewrite.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Whether a recorded path leaves the project folder: it begins with a drive
// ("D:"), a root ("\", also "\\server") or "..". Any other path is relative to
// the project folder and names a folder inside it.
bool LeavesProjectFolder(std::string_view path) {
  if (path.starts_with("\\") || path.starts_with("..")) return true;
  const bool letter =
      !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 2 && path[1] == ':';
}

// The first occurrence of `pattern` in `line` that lies in a path leaving the
// project folder. A path starts after the last "=", ";", ",", '"' or tab
// before the occurrence, or after the last blank (a blank may also stand
// inside a folder name, so both starts are tried).
std::size_t FindInLeavingPath(std::string_view line, std::string_view pattern) {
  for (std::size_t pos = line.find(pattern); pos != kNone; pos = line.find(pattern, pos + 1)) {
    const std::string_view before = line.substr(0, pos + 1);
    const std::size_t hard = before.find_last_of("=;,\"\t");
    const std::size_t blank = before.find_last_of(' ');
    for (const std::size_t delimiter : {hard, blank}) {
      std::size_t start = delimiter == kNone ? 0 : delimiter + 1;
      while (start < pos && line[start] == ' ') ++start;
      if (LeavesProjectFolder(line.substr(start))) return pos;
    }
  }
  return kNone;
}

}  // namespace

bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui) {
  return InOwnBatchShowingWarnings(
      [&](RewriteBatch& batch) { return ParsePrj(dir, old_file, values, ui, batch); }, ui);
}

bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface&, RewriteBatch& batch) {
  constexpr std::string_view kAbsFolder = "ABS\\";
  const std::string prj_line = "PRJ=" + values.new_path + values.new_dir + Separator();
  const std::string abs_name = values.new_name + ".abs";
  const std::string old_folder = "\\" + values.old_dir + "\\";
  const std::string new_folder = "\\" + values.new_dir + "\\";
  // Without an old folder name the pattern would be a bare "\\" and hit
  // unrelated lines.
  const bool folder_rule = !values.old_dir.empty();
  const CountedRewrite job{
      .old_file = std::string(old_file),
      .new_file = values.new_name + ".prj",
      .min_count = 1,
      .max_count = 2,
      .recheck_message = "Please recheck *.PRJ files manually",
      .keep_backup = values.backup,
  };
  return RewriteCounted(
      dir, job,
      [&](std::string_view line, LineWriter& out) {
        if (line.starts_with("PRJ=")) {
          out.WriteLine(prj_line);
          return true;
        }
        if (line.starts_with("F1=0 m")) {
          const std::size_t abs = line.find(kAbsFolder);
          if (abs != std::string_view::npos) {
            out.Write(line.substr(0, abs + kAbsFolder.size()));
            out.WriteLine(abs_name);
            return true;
          }
        }
        const std::size_t folder = folder_rule ? FindInLeavingPath(line, old_folder) : kNone;
        if (folder == std::string_view::npos) {
          out.WriteLine(line);
        } else {
          WriteReplacing(out, line, folder, old_folder.size(), new_folder);
        }
        return false;
      },
      batch);
}

}  // namespace kelvandor
