#include "rewrite/wsp_rewriter.h"

#include <string>

#include "platform/path_style.h"
#include "rewrite/file_rewrite.h"

namespace kelvandor {

bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui) {
  return InOwnBatch(
      [&](RewriteBatch& batch) { return ParseWsp(dir, old_file, values, ui, batch); });
}

bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch) {
  struct KeyRule {
    std::string_view key;
    std::string line;  // written in place of the whole old line
  };
  const std::string prj = values.new_name + ".prj";
  const KeyRule rules[] = {
      {"FILE-0=", "FILE-0=" + prj},
      {"ActivePrj=", "ActivePrj=" + prj},
      {"[SubPrj-", "[SubPrj-" + prj + "]"},
      {"WSP=", "WSP=" + values.new_path + values.new_dir + Separator()},
  };
  const CountedRewrite job{
      .old_file = std::string(old_file),
      .new_file = values.new_name + ".wsp",
      .min_count = 3,
      .max_count = 4,
      .recheck_message = "Please recheck *.WSP files manually",
      .keep_backup = values.backup,
  };
  return RewriteCounted(
      dir, job,
      [&rules](std::string_view line, LineWriter& out) {
        for (const KeyRule& rule : rules) {
          if (line.starts_with(rule.key)) {
            out.WriteLine(rule.line);
            return true;
          }
        }
        out.WriteLine(line);
        return false;
      },
      ui, batch);
}

}  // namespace kelvandor
