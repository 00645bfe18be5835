#include "app/cli/report_output.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/path_style.h"
#include "core/line_diff.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::cli {
namespace {

using kelvandor::testing::PrintTo;

const std::string kSep = SeparatorString();

TEST(ReportOutputTest, HumanSizes) {
  const std::pair<std::uint64_t, const char*> rows[] = {
      {0, "0 B"},           {1023, "1023 B"},     {1024, "1.0 KiB"},       {1536, "1.5 KiB"},
      {1048575, "1.0 MiB"}, {1258291, "1.2 MiB"}, {5ULL << 30, "5.0 GiB"}, {~0ULL, "16.0 EiB"},
  };
  for (const auto& [bytes, text] : rows) EXPECT_EQ(HumanSize(bytes), text) << bytes;
}

TEST(ReportOutputTest, ColourOnlyOnATerminalWithoutNoColor) {
  EXPECT_TRUE(ColorWanted(true, nullptr));
  EXPECT_TRUE(ColorWanted(true, ""));
  EXPECT_FALSE(ColorWanted(true, "1"));
  EXPECT_FALSE(ColorWanted(false, nullptr));
}

TEST(ReportOutputTest, RelativePaths) {
  const std::string base = kSep + "w" + kSep + "pump";
  EXPECT_EQ(RelativePath(base + kSep + "EWARM" + kSep + "a.ewp", base), "EWARM/a.ewp");
  EXPECT_EQ(RelativePath(base + kSep + "x", base + kSep), "x");
  EXPECT_EQ(RelativePath(base, base), ".");
  EXPECT_EQ(RelativePath(kSep + "x" + kSep + "y", kSep), "x/y");
  EXPECT_EQ(RelativePath(base + "2" + kSep + "x", base), base + "2" + kSep + "x");
}

// A name is written as it is unless it could start a line of its own, send
// a sequence to the terminal or be read otherwise: then quoted as git does.
TEST(ReportOutputTest, QuotesNamesThatCouldBeMisread) {
  const bool posix = kNativeStyle != PathStyle::kWindows;
  const std::pair<std::string, std::string> rows[] = {
      {"pump.prj", "pump.prj"},
      {"sub/pump file.prj", "sub/pump file.prj"},
      {"caf\xc3\xa9.prj", "caf\xc3\xa9.prj"},
      {"a\n+++ b/other.c", "\"a\\n+++ b/other.c\""},
      {"a\r\t\a\b\v\f", "\"a\\r\\t\\a\\b\\v\\f\""},
      {"\x1b[31mred", "\"\\033[31mred\""},
      {std::string("nul\0x", 5), "\"nul\\000x\""},
      {"del\x7f", "\"del\\177\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"back\\slash", posix ? "\"back\\\\slash\"" : "back\\slash"},
  };
  for (const auto& [name, expected] : rows) EXPECT_EQ(QuotedName(name), expected) << name;
}

TEST(ReportOutputTest, DiffHeadersQuoteTheWholeName) {
  const std::string target = kSep + "t";
  ProjectFileChange change{target, "a\n@@ -1 +1 @@", "b.prj", DiffTexts("x\n", "y\n")};
  const std::string diff = UnifiedDiff(change, target, false);
  EXPECT_TRUE(diff.starts_with("--- \"a/a\\n@@ -1 +1 @@\"\n+++ b/b.prj\n@@ -1,1 +1,1 @@\n"))
      << diff;
}

ProjectFileChange Change(std::string_view dir, std::string_view old_text,
                         std::string_view new_text) {
  return ProjectFileChange{std::string(dir), "blinky.prj", "pump.prj",
                           DiffTexts(old_text, new_text)};
}

struct DiffCase {
  std::string label;
  std::string old_text;
  std::string new_text;
  std::string expected;  // files below "sub"
};

class UnifiedDiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(UnifiedDiffTest, WritesEachLineWithTheLineEndOfItsFile) {
  const std::string target = kSep + "t";
  const DiffCase& c = GetParam();
  EXPECT_EQ(UnifiedDiff(Change(target + kSep + "sub", c.old_text, c.new_text), target, false),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnifiedDiffTest,
    ::testing::Values(
        DiffCase{"Lf", "a\nblinky\nc\n", "a\npump\nc\n",
                 "--- a/sub/blinky.prj\n+++ b/sub/pump.prj\n@@ -1,3 +1,3 @@\n a\n-blinky\n+pump\n"
                 " c\n"},
        DiffCase{"CrLf", "a\r\nblinky\r\n", "a\r\npump\r\n",
                 "--- a/sub/blinky.prj\n+++ b/sub/pump.prj\n@@ -1,2 +1,2 @@\n a\r\n-blinky\r\n"
                 "+pump\r\n"},
        DiffCase{"NoFinalNewline", "a\nblinky", "a\npump",
                 "--- a/sub/blinky.prj\n+++ b/sub/pump.prj\n@@ -1,2 +1,2 @@\n a\n-blinky\n"
                 "\\ No newline at end of file\n+pump\n\\ No newline at end of file\n"},
        DiffCase{
            "OnlyLineEndsToCrLf", "a\nb\n", "a\r\nb\r\n",
            "Renamed: sub/blinky.prj -> sub/pump.prj\nLine ends of sub/pump.prj become CR LF.\n"},
        DiffCase{"Unchanged", "a\n", "a\n", "Renamed: sub/blinky.prj -> sub/pump.prj\n"}),
    kelvandor::testing::ParamLabel());

TEST(ReportOutputTest, ColoursTheDiff) {
  const std::string text = UnifiedDiff(Change("/t", "x\n", "y\n"), "/t", true);
  EXPECT_EQ(text,
            "\x1b[1m--- a/blinky.prj\x1b[0m\n\x1b[1m+++ b/pump.prj\x1b[0m\n"
            "\x1b[36m@@ -1,1 +1,1 @@\x1b[0m\n\x1b[31m-x\x1b[0m\n\x1b[32m+y\x1b[0m\n");
}

TEST(ReportOutputTest, NamesAFileTooLargeToCompare) {
  ProjectFileChange change = Change("/t", "", "");
  change.diff.compared = false;
  EXPECT_EQ(UnifiedDiff(change, "/t", false),
            "Not compared (larger than 4 MiB): blinky.prj -> pump.prj\n");
}

#ifndef _WIN32
// The diff, given to patch in the old project folder, gives the new file.
class PatchRoundTrip : public ::testing::TestWithParam<DiffCase> {};

TEST_P(PatchRoundTrip, GivesTheNewFile) {
  const DiffCase& c = GetParam();
  kelvandor::testing::TempDir tmp;
  const std::string project = tmp / "blinky";
  kelvandor::testing::WriteFile(project + "/sub/blinky.prj", c.old_text);
  kelvandor::testing::WriteFile(
      tmp / "plan.diff",
      UnifiedDiff(Change(project + "/sub", c.old_text, c.new_text), project, false));
  const std::string command = "cd '" + project + "' && patch -s -p1 < ../plan.diff";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string patched = kelvandor::testing::ReadFile(project + "/sub/blinky.prj");
  std::string expected = c.new_text;
  if (!c.expected.empty()) {  // the line ends are told, not patched
    std::erase(patched, '\r');
    std::erase(expected, '\r');
  }
  EXPECT_EQ(patched, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchRoundTrip,
    ::testing::Values(DiffCase{"Lf", "1\n2\n3\n4\nblinky\n6\n7\n8\n9\n10\nblinky\n",
                               "1\n2\n3\n4\npump\n6\n7\n8\n9\n10\npump\n", ""},
                      DiffCase{"CrLf", "h\r\nblinky.c\r\nx\r\n", "h\r\npump.c\r\nx\r\nnew\r\n", ""},
                      DiffCase{"NoFinalNewline", "a\nblinky", "a\npump", ""},
                      DiffCase{"GainsFinalNewline", "a\nb", "a\nb\nc\n", ""},
                      DiffCase{"LfToCrLf", "a\nblinky\nc\n", "a\r\npump\r\nc\r\n", "told"}),
    kelvandor::testing::ParamLabel());
#endif

RunReport CopyReport() {
  RunReport report;
  report.source = "/w/blinky";
  report.target = "/n/pump";
  report.mode = RenameMode::kCopy;
  report.clean_up = true;
  report.question = "Project already exist - Delete ?";
  report.answered_yes = true;
  report.replaced_target = {2, 100};
  report.copied = {3, 1536};
  report.project_files.push_back(Change("/n/pump", "blinky\n", "pump\n"));
  report.renamed_files = {{"/n/pump/RTE/_blinky", "/n/pump/RTE/_pump"}};
  report.cleaned = {{"/n/pump/OBJ/main.o", 2048}};
  report.cleaned_total = {1, 2048};
  report.renamed_images = {{"/n/pump/ABS/blinky.abs", "/n/pump/ABS/pump.abs"}};
  report.warnings = {{"/n/pump/.wsp", "Please recheck *.WSP files manually"}};
  return report;
}

TEST(ReportOutputTest, PlanTellsEveryStep) {
  EXPECT_EQ(PlanText(CopyReport(), {.dry_run = true}, false),
            "Dry run: nothing has been changed.\n"
            "Target: /n/pump (copy)\n"
            "Question: \"Project already exist - Delete ?\" - planned as if answered Yes\n"
            "Existing target deleted: 2 files, 100 B\n"
            "Copied: 3 files, 1.5 KiB\n"
            "Project files: 1 (+1 -1 lines)\n"
            "--- a/blinky.prj\n+++ b/pump.prj\n@@ -1,1 +1,1 @@\n-blinky\n+pump\n"
            "Renamed with the project: 1\n"
            "  RTE/_blinky -> RTE/_pump\n"
            "Cleaned: 1 file, 2.0 KiB\n"
            "  OBJ/main.o (2.0 KiB)\n"
            "Images renamed: 1\n"
            "  ABS/blinky.abs -> ABS/pump.abs\n"
            "Warning: .wsp: Please recheck *.WSP files manually\n"
            "Exit status: 0\n");
  RunReport refused;
  refused.target = "/";
  refused.failure = Failure(RenameError::kBadTarget);
  refused.failure.message = "bad";
  EXPECT_EQ(PlanText(refused, {.dry_run = true, .clean_only = true, .exit_status = 16}, false),
            "Dry run: nothing has been changed.\nTarget: / (clean)\nCleaned: 0 files, 0 B\n"
            "Images renamed: 0\nRefused: error 16: bad\nExit status: 16\n");
}

TEST(ReportOutputTest, SummaryCountsWhatWasDone) {
  EXPECT_EQ(SummaryText(CopyReport(), {.elapsed = std::chrono::milliseconds(1250)}),
            "Files copied: 3 files, 1.5 KiB\nProject files rewritten: 1 (+1 -1 lines)\n"
            "Renamed with the project: 1\nWarning: .wsp: Please recheck *.WSP files manually\n"
            "Files cleaned: 1 file, 2.0 KiB\nImages renamed: 1\nTime taken: 1.25 s\n");
  EXPECT_EQ(SummaryText(RunReport{}, {.clean_only = true}),
            "Files cleaned: 0 files, 0 B\nImages renamed: 0\nTime taken: 0.00 s\n");
}

TEST(ReportOutputTest, JsonShape) {
  RunReport report = CopyReport();
  report.renamed_images[0].to = "/n/pump/ABS/p\xff.abs";  // not UTF-8
  const nlohmann::json plan = nlohmann::json::parse(JsonText(report, {.dry_run = true}));
  EXPECT_EQ(plan["kind"], "plan");
  EXPECT_EQ(plan["mode"], "copy");
  EXPECT_EQ(plan["question"]["text"], "Project already exist - Delete ?");
  EXPECT_EQ(plan["question"]["answered_yes"], true);
  EXPECT_EQ(plan["copied"], (nlohmann::json{{"files", 3}, {"bytes", 1536}}));
  EXPECT_TRUE(plan["renamed_folder"].is_null());
  const nlohmann::json& file = plan["project_files"][0];
  EXPECT_EQ(file["new_name"], "pump.prj");
  EXPECT_EQ(file["hunks"][0]["lines"], (nlohmann::json{"-blinky", "+pump"}));
  EXPECT_EQ(plan["cleaned"]["list"][0],
            (nlohmann::json{{"path", "/n/pump/OBJ/main.o"}, {"bytes", 2048}}));
  EXPECT_EQ(plan["renamed_images"][0]["to"], "/n/pump/ABS/p\xef\xbf\xbd.abs");
  EXPECT_EQ(plan["renamed_files"][0]["to"], "/n/pump/RTE/_pump");
  EXPECT_EQ(plan["warnings"],
            (nlohmann::json::array(
                {{{"file", "/n/pump/.wsp"}, {"message", "Please recheck *.WSP files manually"}}})));
  EXPECT_TRUE(plan["error"].is_null());
  EXPECT_TRUE(plan["seconds"].is_null());

  report.failure = Failure(RenameError::kTargetKept);
  report.failure.message = "kept";
  const nlohmann::json done = nlohmann::json::parse(
      JsonText(report, {.exit_status = 15, .elapsed = std::chrono::seconds(2)}));
  EXPECT_EQ(done["kind"], "report");
  EXPECT_EQ(done["error"], (nlohmann::json{{"code", 15}, {"message", "kept"}, {"path", nullptr}}));
  EXPECT_EQ(done["exit_status"], 15);
  EXPECT_EQ(done["seconds"], 2.0);
}

}  // namespace
}  // namespace kelvandor::cli
