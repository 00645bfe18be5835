#include "rewrite/iar_rewriter.h"

#include <string>

#include "rewrite/file_rewrite.h"

namespace kelvandor {

void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values) {
  InOwnBatch([&](RewriteBatch& batch) { ParseIAR(dir, old_base, values, batch); });
}

void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values,
              RewriteBatch& batch) {
  static constexpr std::string_view kWorkspaceKey = "    <path>$WS_DIR$\\";
  const std::string workspace_line = std::string(kWorkspaceKey) + values.new_name + ".ewp</path>";
  const std::string old_name(old_base);
  // An empty old name would make "<state>" or "\\" alone the pattern.
  const bool name_rules = !old_name.empty();
  const FileKind kinds[] = {
      {".eww",
       [&workspace_line](std::string_view line, LineWriter& out) {
         out.WriteLine(line.starts_with(kWorkspaceKey) ? std::string_view(workspace_line) : line);
       }},
      {".ewp", name_rules ? ReplaceFirst("<state>" + old_name, "<state>" + values.new_name,
                                         LetterCase::kExact)
                          : LineTransform()},
      {".ewd", LineTransform()},
      {".dep", name_rules
                   ? ReplaceFirst("\\" + old_name, "\\" + values.new_name, LetterCase::kIgnoreAscii)
                   : LineTransform()},
  };
  constexpr std::string_view kDeletionOrder[] = {".eww", ".ewd", ".ewp", ".dep"};
  RewriteKinds(dir, old_base, values.new_name, values.backup, kinds, kDeletionOrder, batch);
}

}  // namespace kelvandor
