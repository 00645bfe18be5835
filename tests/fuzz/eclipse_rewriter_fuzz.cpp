// ParseEclipse on a project folder holding a ".project", a ".cproject" and a
// launch configuration "<old base> Debug.launch" from the input's parts: each
// file is rewritten in place with as many lines as before (the launch may
// take the new name), its original kept in its backup exactly when asked,
// and nothing beside the project folder changes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io_error.h"
#include "platform/path_style.h"
#include "families/eclipse/eclipse_rewriter.h"
#include "core/file_rewrite.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using kelvandor::fuzz::Check;
using kelvandor::fuzz::RewrittenFile;

bool UsableName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 64) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvandor;
  const fuzz::RewriteInput input = fuzz::ParseRewriteInput(fuzz::AsText(data, size), 3);
  if (!UsableName(input.old_base) || !UsableName(input.values.new_name)) return 0;
  const fuzz::RunFolder run;
  const std::string dir = run / "project";
  testing::MakeDirs(dir);
  const fuzz::Surroundings surroundings(run, "project");
  const std::string launch = input.old_base + " Debug.launch";
  const std::string names[] = {".project", ".cproject", launch};
  std::vector<RewrittenFile> files;
  std::vector<std::string> allowed;
  for (std::size_t i = 0; i < 3; ++i) {
    allowed.insert(allowed.end(), {names[i], names[i] + ".bak"});
    if (!input.files[i]) continue;
    testing::WriteFile(dir + '/' + names[i], *input.files[i]);
    files.push_back({names[i], names[i] + ".bak", names[i], *input.files[i]});
  }
  const std::string new_launch = input.values.new_name + " Debug.launch";
  allowed.push_back(new_launch);

  bool failed = false;
  try {
    RewriteBatch batch(NativeFileSystem());
    ParseEclipse(dir, input.old_base, input.values, batch);
    batch.Commit();
  } catch (const IoError&) {
    failed = true;
  }
  surroundings.CheckUnchanged();
  for (RewrittenFile& file : files) {
    if (!failed && file.old_name == launch && !NativeFileSystem().FileExists(dir + '/' + launch)) {
      file.new_name = new_launch;
      Check(NativeFileSystem().FileExists(dir + '/' + new_launch), "the launch file vanished");
      Check(!file.original.empty(), "an empty launch file was renamed");
    }
    // Files the rewrite left alone keep no backup.
    const bool staged = NativeFileSystem().FileExists(dir + '/' + file.backup_name);
    fuzz::CheckRewrite(dir, file, failed, input.values.backup && staged);
  }
  fuzz::CheckOnlyFiles(dir, allowed);
  return 0;
}
