#include "tests/fuzz/rewriter_fuzz.h"

#include <string>
#include <vector>

#include "platform/io_error.h"
#include "tests/fuzz/fuzz_support.h"

namespace kelvandor::fuzz {

void FuzzCountedRewriter(std::string_view data, std::string_view extension,
                         CountedRewriter rewriter) {
  const RewriteInput input = ParseRewriteInput(data, 1);
  const RunFolder run;
  const std::string dir = run / "project";
  testing::MakeDirs(dir);
  const Surroundings surroundings(run, "project");
  const std::string ext(extension);
  const RewrittenFile file{.old_name = input.old_base + ext,
                           .backup_name = "_old_" + input.old_base + ext,
                           .new_name = input.values.new_name + ext,
                           .original = input.files[0].value_or("")};
  if (input.files[0]) testing::WriteFile(dir + '/' + file.old_name, file.original);

  SilentUi ui;
  bool recognised = false;
  bool failed = false;
  try {
    recognised = rewriter(dir, file.old_name, input.values, ui);
  } catch (const IoError&) {
    failed = true;
  }
  surroundings.CheckUnchanged();
  if (!input.files[0]) {
    Check(!recognised && !failed, "a missing file counts as rewritten");
    CheckOnlyFiles(dir, {});
    return;
  }
  Check(failed || recognised == ui.messages.empty(), "the recheck message does not fit the result");
  CheckRewrite(dir, file, failed, input.values.backup || !recognised);
  CheckOnlyFiles(dir, {file.old_name, file.backup_name, file.new_name});
}

void FuzzKindsRewriter(std::string_view data, std::span<const std::string_view> extensions,
                       KindsRewriter rewriter) {
  const RewriteInput input = ParseRewriteInput(data, extensions.size());
  const RunFolder run;
  const std::string dir = run / "project";
  testing::MakeDirs(dir);
  const Surroundings surroundings(run, "project");
  std::vector<RewrittenFile> files;
  std::vector<std::string> allowed;
  for (std::size_t i = 0; i < extensions.size(); ++i) {
    const std::string ext(extensions[i]);
    const RewrittenFile file{.old_name = input.old_base + ext,
                             .backup_name = input.old_base + ext + ".bak",
                             .new_name = input.values.new_name + ext,
                             .original = input.files[i].value_or("")};
    allowed.insert(allowed.end(), {file.old_name, file.backup_name, file.new_name});
    if (!input.files[i]) continue;
    testing::WriteFile(dir + '/' + file.old_name, file.original);
    files.push_back(file);
  }

  bool failed = false;
  try {
    rewriter(dir, input.old_base, input.values);
  } catch (const IoError&) {
    failed = true;
  }
  surroundings.CheckUnchanged();
  for (const RewrittenFile& file : files) CheckRewrite(dir, file, failed, input.values.backup);
  CheckOnlyFiles(dir, allowed);
}

}  // namespace kelvandor::fuzz
