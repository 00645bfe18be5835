// UnzipArchiveCode on any archive: it answers with a code of the table,
// writes nothing beside its destination, and leaves no link there whose
// target lies outside it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "workflow/unit_unzip.h"
#include "tests/fuzz/fuzz_support.h"

namespace kelvandor::fuzz {
namespace {
namespace fs = std::filesystem;

bool Inside(const fs::path& path, const fs::path& root) {
  const fs::path rel = path.lexically_relative(root);
  return !rel.empty() && *rel.begin() != "..";
}

void CheckLinksStayInside(const fs::path& root) {
  std::error_code ec;
  const fs::path real_root = fs::canonical(root, ec);
  Check(!ec, "the destination cannot be resolved");
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::end(it); it.increment(ec)) {
    if (!it->is_symlink()) continue;
    std::error_code resolve_error;
    const fs::path real = fs::weakly_canonical(it->path(), resolve_error);
    // Links that lead to each other, or through a name longer than any the
    // file system allows, name no place at all.
    if (resolve_error == std::errc::too_many_symbolic_link_levels ||
        resolve_error == std::errc::filename_too_long) {
      continue;
    }
    Check(!resolve_error && Inside(real, real_root), "a link leads out: " + it->path().string());
  }
  Check(!ec, "the destination cannot be listed");
}

void FuzzOne(std::string_view data) {
  const RunFolder run;
  const std::string archive = run / "input.zip";
  testing::WriteFile(archive, data);
  const Surroundings surroundings(run, "dest");

  const UnzipResult code = UnzipArchiveCode(archive, run / "dest");
  bool known = false;
  for (UnzipResult listed :
       {UnzipResult::kOk, UnzipResult::kWarnings, UnzipResult::kErrors, UnzipResult::kSevereError,
        UnzipResult::kNoMemory, UnzipResult::kArchiveNotFound, UnzipResult::kBadParameters,
        UnzipResult::kNoFiles, UnzipResult::kDiskFull, UnzipResult::kUnexpectedEof,
        UnzipResult::kBadPassword}) {
    known = known || code == listed;
  }
  Check(known, "a code outside the table");
  surroundings.CheckUnchanged();
  std::error_code ec;
  if (fs::exists(run / "dest", ec)) CheckLinksStayInside(run / "dest");
}

}  // namespace
}  // namespace kelvandor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelvandor::fuzz::FuzzOne(kelvandor::fuzz::AsText(data, size));
  return 0;
}
