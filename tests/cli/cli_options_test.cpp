#include "app/cli/cli_options.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kelvandor::cli {
namespace {

using Args = std::vector<std::string>;

Options Rename(std::string source) {
  Options o;
  o.command = Command::kRename;
  o.source = std::move(source);
  return o;
}

Options Clean(std::string source) {
  Options o;
  o.command = Command::kClean;
  o.source = std::move(source);
  return o;
}

Options With(Options o, void (*change)(Options&)) {
  change(o);
  return o;
}

Options Only(Command command) {
  Options o;
  o.command = command;
  return o;
}

struct Accepted {
  const char* label;
  Args args;
  Options options;
};

void PrintTo(const Accepted& c, std::ostream* os) { *os << c.label; }

class CliOptionsAcceptedTest : public ::testing::TestWithParam<Accepted> {};

TEST_P(CliOptionsAcceptedTest, Parses) {
  const ParseResult result = ParseArguments(GetParam().args);
  ASSERT_TRUE(result.options.has_value()) << result.error;
  EXPECT_EQ(*result.options, GetParam().options);
  EXPECT_EQ(result.error, "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliOptionsAcceptedTest,
    ::testing::Values(
        Accepted{"help", {"--help"}, Only(Command::kHelp)},
        Accepted{"short_help", {"-h"}, Only(Command::kHelp)},
        Accepted{"help_after_a_command", {"rename", "x", "--copy", "--help"}, Only(Command::kHelp)},
        Accepted{"short_help_for_clean", {"clean", "-h"}, Only(Command::kHelp)},
        Accepted{"version", {"--version"}, Only(Command::kVersion)},
        // Defaults: in place, CleanUp on, no backup, no --yes, proposals kept.
        Accepted{"rename_defaults", {"rename", "work/blinky"}, Rename("work/blinky")},
        Accepted{"clean", {"clean", "work/blinky"}, Clean("work/blinky")},
        Accepted{"to_dir_name",
                 {"rename", "b", "--to", "/new", "--dir", "d", "--name", "n"},
                 With(Rename("b"),
                      [](Options& o) {
                        o.to = "/new";
                        o.dir = "d";
                        o.name = "n";
                      })},
        Accepted{"options_before_source",
                 {"rename", "--name", "n", "--copy", "b"},
                 With(Rename("b"),
                      [](Options& o) {
                        o.name = "n";
                        o.mode = RenameMode::kCopy;
                      })},
        Accepted{"copy",
                 {"rename", "b", "--copy"},
                 With(Rename("b"), [](Options& o) { o.mode = RenameMode::kCopy; })},
        Accepted{"copy_twice",
                 {"rename", "b", "--copy", "--copy"},
                 With(Rename("b"), [](Options& o) { o.mode = RenameMode::kCopy; })},
        Accepted{"rename_folder",
                 {"rename", "b", "--rename-folder"},
                 With(Rename("b"), [](Options& o) { o.mode = RenameMode::kRenameFolder; })},
        Accepted{"no_cleanup",
                 {"rename", "b", "--no-cleanup"},
                 With(Rename("b"), [](Options& o) { o.clean_up = false; })},
        Accepted{"cleanup", {"rename", "b", "--cleanup"}, Rename("b")},
        Accepted{"backup_and_yes",
                 {"rename", "b", "--backup", "--yes"},
                 With(Rename("b"),
                      [](Options& o) {
                        o.backup = true;
                        o.yes = true;
                      })},
        Accepted{"dash_dash_ends_options",
                 {"rename", "--copy", "--", "--odd"},
                 With(Rename("--odd"), [](Options& o) { o.mode = RenameMode::kCopy; })},
        Accepted{"single_dash_is_a_source", {"clean", "-"}, Clean("-")},
        Accepted{"dry_run_json_for_rename",
                 {"rename", "--json", "b", "--dry-run"},
                 With(Rename("b"),
                      [](Options& o) {
                        o.dry_run = true;
                        o.json = true;
                      })},
        Accepted{"dry_run_for_clean",
                 {"clean", "b", "--dry-run"},
                 With(Clean("b"), [](Options& o) { o.dry_run = true; })},
        Accepted{"json_for_clean",
                 {"clean", "--json", "b"},
                 With(Clean("b"), [](Options& o) { o.json = true; })},
        Accepted{"dry_run_after_dash_dash_is_a_source",
                 {"clean", "--", "--dry-run"},
                 Clean("--dry-run")},
        // The folder may have levels; only the name must be a bare name.
        Accepted{"dir_with_levels",
                 {"rename", "b", "--copy", "--dir", "a/b"},
                 With(Rename("b"),
                      [](Options& o) {
                        o.mode = RenameMode::kCopy;
                        o.dir = "a/b";
                      })}),
    [](const auto& p) { return std::string(p.param.label); });

struct Refused {
  const char* label;
  Args args;
  const char* error;
};

void PrintTo(const Refused& c, std::ostream* os) { *os << c.label; }

class CliOptionsRefusedTest : public ::testing::TestWithParam<Refused> {};

TEST_P(CliOptionsRefusedTest, GivesOneLineReason) {
  const ParseResult result = ParseArguments(GetParam().args);
  EXPECT_FALSE(result.options.has_value());
  EXPECT_EQ(result.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, CliOptionsRefusedTest,
    ::testing::Values(
        Refused{"nothing", {}, "missing command (rename or clean); see --help"},
        Refused{"unknown_command", {"copy", "b"}, "unknown command 'copy'; see --help"},
        Refused{"command_word_is_exact", {"Clean", "b"}, "unknown command 'Clean'; see --help"},
        Refused{"source_first", {"b", "rename"}, "unknown command 'b'; see --help"},
        Refused{"unknown_option",
                {"rename", "b", "--force"},
                "unknown option '--force' for rename; see --help"},
        Refused{"rename_option_for_clean",
                {"clean", "b", "--yes"},
                "unknown option '--yes' for clean; see --help"},
        Refused{"version_after_command",
                {"clean", "b", "--version"},
                "unknown option '--version' for clean; see --help"},
        Refused{"missing_source", {"rename"}, "missing SOURCE for rename; see --help"},
        Refused{"missing_source_with_options",
                {"rename", "--copy", "--yes"},
                "missing SOURCE for rename; see --help"},
        Refused{"missing_source_for_clean", {"clean"}, "missing SOURCE for clean; see --help"},
        Refused{"empty_source", {"clean", ""}, "SOURCE is empty"},
        Refused{"two_sources", {"rename", "a", "b"}, "unexpected argument 'b'"},
        Refused{"to_without_value", {"rename", "b", "--to"}, "option --to needs a value"},
        Refused{"dir_without_value", {"rename", "b", "--dir"}, "option --dir needs a value"},
        Refused{"name_without_value", {"rename", "b", "--name"}, "option --name needs a value"},
        Refused{
            "value_is_an_option", {"rename", "b", "--to", "--copy"}, "option --to needs a value"},
        Refused{"empty_value", {"rename", "b", "--name", ""}, "option --name needs a value"},
        Refused{"name_twice",
                {"rename", "b", "--name", "x", "--name", "y"},
                "option --name given twice"},
        Refused{"name_with_folder",
                {"rename", "b", "--name", "x/y"},
                "--name takes a project name, not a path: 'x/y'"},
        Refused{"both_modes",
                {"rename", "b", "--copy", "--rename-folder"},
                "--copy and --rename-folder exclude each other"},
        Refused{"both_cleanups",
                {"rename", "b", "--no-cleanup", "--cleanup"},
                "--cleanup and --no-cleanup exclude each other"}),
    [](const auto& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace kelvandor::cli
