#pragma once

// Notes in a RunReport what the steps of a run change, from the calls they
// make on the file system: the same calls whether they reach the disk or a
// PlanningFileSystem.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_report.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"

namespace kelvandor {

// The files below `dir` (links counted as files, never followed) and the
// bytes of the regular ones, as `file_system` shows them.
FileCount CountTree(std::string_view dir, FileSystem& file_system);

// Passes every call on to `inner`; what the current step changes goes into
// `report`.
class RunRecorder : public ForwardingFileSystem {
 public:
  enum class Step {
    kTarget,   // an existing target deleted, the project copied or renamed
    kOther,    // nothing noted (the project files: see RewriteBatch::changes)
    kCleanUp,  // files deleted, images renamed
  };

  RunRecorder(FileSystem& inner, RunReport& report)
      : ForwardingFileSystem(inner), report_(report) {}
  void set_step(Step step) { step_ = step; }

  // The first file the clean-up step could not delete, or image it was not
  // allowed to rename (a read-only file or folder); empty when none.
  const std::string& clean_up_refused() const { return clean_up_refused_; }

  bool Rename(std::string_view from, std::string_view to, bool replace) override;
  bool RemoveFile(std::string_view path) override;
  bool RemoveTree(std::string_view path) override;
  // The inner file system's own copy: a plan keeps it as one step.
  bool CopyTree(std::string_view from, std::string_view to,
                const CopyProgressFn& progress = {}) override;

 private:
  RunReport& report_;
  Step step_ = Step::kOther;
  std::string clean_up_refused_;
};

}  // namespace kelvandor
