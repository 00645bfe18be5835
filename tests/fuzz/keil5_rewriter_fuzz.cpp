#include <cstddef>
#include <cstdint>
#include <string_view>

#include "families/keil/keil5_rewriter.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/rewriter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::string_view kExtensions[] = {".uvprojx", ".uvoptx"};
  kelvandor::fuzz::FuzzKindsRewriter(kelvandor::fuzz::AsText(data, size), kExtensions,
                                     kelvandor::ParseKEILUV5);
  return 0;
}
