#include "rewrite/prj_rewriter.h"

#include <string>

#include "platform/path_style.h"
#include "rewrite/file_rewrite.h"

namespace kelvandor {

bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui) {
  return InOwnBatch(
      [&](RewriteBatch& batch) { return ParsePrj(dir, old_file, values, ui, batch); });
}

bool ParsePrj(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch) {
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
        const std::size_t folder = folder_rule ? line.find(old_folder) : std::string_view::npos;
        if (folder == std::string_view::npos) {
          out.WriteLine(line);
        } else {
          WriteReplacing(out, line, folder, old_folder.size(), new_folder);
        }
        return false;
      },
      ui, batch);
}

}  // namespace kelvandor
