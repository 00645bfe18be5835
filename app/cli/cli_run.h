#pragma once

// kelvandor-cli's rename and clean-up commands, for the program and for
// tests that run them in-process: input analysis (after completing what an
// interrupted run left), a RenamePlan of the proposals and the options (as a
// user would set the New fields), and the rename workflow or the clean-up. A
// dry run runs the same workflow over a file system that only plans, and
// prints the plan.

#include <cstdio>
#include <string>

#include "app/cli/cli_options.h"
#include "core/failure.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace kelvandor::cli {

struct CliOutput {
  std::FILE* out = stdout;  // the plan, the JSON document
  std::FILE* err = stderr;  // the summary of a real run, usage errors
  bool out_is_terminal = false;
};

// Says `reason` on `err` and gives the status of a usage error.
ExitStatus UsageError(const std::string& reason, std::FILE* err = stderr);

// Runs the rename or the clean command of `options`; the project changes
// through `file_system`, messages and questions go through `ui`.
ExitStatus RunCommand(const Options& options, UserInterface& ui, FileSystem& file_system,
                      const CliOutput& output);

}  // namespace kelvandor::cli
