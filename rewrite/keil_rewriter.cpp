#include "rewrite/keil_rewriter.h"

#include <string>

#include "rewrite/file_rewrite.h"

namespace kelvandor {

void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values) {
  InOwnBatch([&](RewriteBatch& batch) { ParseKEILUV(dir, old_base, values, batch); });
}

void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values,
                 RewriteBatch& batch) {
  const std::string old_name(old_base);
  // An empty old name would make every ">" a match.
  const FileKind kinds[] = {
      {".uvproj", old_name.empty() ? LineTransform()
                                   : ReplaceFirst(">" + old_name, ">" + values.new_name,
                                                  LetterCase::kIgnoreAscii)},
      {".uvopt", LineTransform()},
  };
  constexpr std::string_view kDeletionOrder[] = {".uvproj", ".uvopt"};
  RewriteKinds(dir, old_base, values.new_name, values.backup, kinds, kDeletionOrder, batch);
}

}  // namespace kelvandor
