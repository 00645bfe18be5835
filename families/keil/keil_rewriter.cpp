#include "families/keil/keil_rewriter.h"

#include "core/file_rewrite.h"
#include "families/keil/keil5_rewriter.h"

namespace kelvandor {

void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values) {
  InOwnBatch([&](RewriteBatch& batch) { ParseKEILUV(dir, old_base, values, batch); });
}

void ParseKEILUV(std::string_view dir, std::string_view old_base, const RewriteValues& values,
                 RewriteBatch& batch) {
  RewriteKeilProject(dir, old_base, values, kUvision4, batch);
}

}  // namespace kelvandor
