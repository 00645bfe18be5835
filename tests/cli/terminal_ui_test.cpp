#include "app/cli/terminal_ui.h"

#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/front_run.h"

namespace kelvandor::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File WithContent(const std::string& text) {
  File f(std::tmpfile());
  std::fputs(text.c_str(), f.get());
  std::rewind(f.get());
  return f;
}

std::string Content(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string out;
  for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) out.push_back(static_cast<char>(c));
  return out;
}

struct Terminal {
  explicit Terminal(const std::string& typed, bool yes = false, bool interactive = true,
                    bool progress = true)
      : in(WithContent(typed)),
        err(WithContent("")),
        ui(in.get(), err.get(), yes, interactive, progress) {}
  File in;
  File err;
  TerminalUi ui;
};

TEST(TerminalUiTest, ConfirmOnTerminalTakesOnlyAYes) {
  for (const char* typed : {"y\n", "Y\n", "yes\n"}) {
    Terminal t(typed);
    EXPECT_TRUE(t.ui.Confirm("Project already exist - Delete ?")) << typed;
    EXPECT_EQ(Content(t.err.get()), "Project already exist - Delete ? [y/N] ");
  }
  for (const char* typed : {"\n", "n\n", "yess\n", ""}) {
    Terminal t(typed);
    EXPECT_FALSE(t.ui.Confirm("Q ?")) << typed;
  }
}

TEST(TerminalUiTest, ConfirmWithoutTerminalReadsNothing) {
  Terminal no("y\n", false, false);
  EXPECT_FALSE(no.ui.Confirm("Q ?"));
  EXPECT_EQ(Content(no.err.get()), "Q ? No\n");
  EXPECT_EQ(std::fgetc(no.in.get()), 'y');

  Terminal yes("n\n", true, true);
  EXPECT_TRUE(yes.ui.Confirm("Q ?"));
  EXPECT_EQ(Content(yes.err.get()), "Q ? Yes\n");
}

TEST(PlanningUiTest, AnswersYesWithoutAskingAndPassesOnlyMessagesOn) {
  Terminal t("n\n", false, true);
  PlanningUi ui(t.ui);
  EXPECT_TRUE(ui.Confirm("Q ?"));
  ui.CopyProgress(1, 1000);
  ui.ShowResult("Finished!");
  ui.ShowMessage("Input File not found!");
  EXPECT_EQ(Content(t.err.get()), "Input File not found!\n");
  EXPECT_EQ(std::fgetc(t.in.get()), 'n');
}

TEST(TerminalUiTest, ProgressBarOnlyForLongCopiesOnATerminal) {
  Terminal small("");
  small.ui.CopyProgress(10, 10);
  EXPECT_EQ(Content(small.err.get()), "");

  Terminal piped("", false, false, false);
  piped.ui.CopyProgress(500, 1000);
  piped.ui.CopyProgress(1000, 1000);
  EXPECT_EQ(Content(piped.err.get()), "");

  Terminal long_copy("");
  long_copy.ui.CopyProgress(500, 1000);
  long_copy.ui.CopyProgress(501, 1000);  // same percentage: not drawn again
  long_copy.ui.ShowMessage("Failed to Copy Project!");
  const std::string half = "\rCopying [" + std::string(20, '#') + std::string(20, ' ') + "]  50%";
  EXPECT_EQ(Content(long_copy.err.get()), half + "\nFailed to Copy Project!\n");

  Terminal done("");
  done.ui.CopyProgress(1000, 1000);
  done.ui.ShowResult("Finished!");
  EXPECT_EQ(Content(done.err.get()), "\rCopying [" + std::string(40, '#') + "] 100%\nFinished!\n");
}

}  // namespace
}  // namespace kelvandor::cli
