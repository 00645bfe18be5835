#include <cstddef>
#include <cstdint>

#include "families/softune/wsp_rewriter.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/rewriter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelvandor::fuzz::FuzzCountedRewriter(kelvandor::fuzz::AsText(data, size), ".wsp",
                                       kelvandor::ParseWsp);
  return 0;
}
