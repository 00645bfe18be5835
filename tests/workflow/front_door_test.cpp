#include "workflow/front_door.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "families/family_kind.h"
#include "tests/support/param_label.h"

namespace kelvandor {
namespace {

using testing::PrintTo;

struct PlanCase {
  std::string label;
  bool from_archive;
  RenameMode mode;
  std::optional<std::string> given_dir;
  bool backup;
  // The plan's mode, folder name and backup.
  RenameMode plan_mode;
  std::string plan_dir;
  bool plan_backup;
  // An MPLAB X project in the project folder of this name, proposed.
  const char* mplab_dir = nullptr;
};

class PlanRenameTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanRenameTest, AppliesTheArchiveAndFolderRules) {
  const PlanCase& c = GetParam();
  Project project;
  project.from_archive = c.from_archive;
  if (c.mplab_dir != nullptr) {
    project.old_dir = c.mplab_dir;
    project.Add(FamilyKind::kMplab);
  }
  const RenameRequest request{.mode = c.mode,
                              .new_path = "/work/",
                              .new_name = "Beacon",
                              .new_dir = c.given_dir,
                              .proposed_dir = c.mplab_dir != nullptr ? c.mplab_dir : "blinky",
                              .clean_up = false,
                              .backup = c.backup};
  const RenamePlan plan = PlanRename(project, request);
  EXPECT_EQ(plan, (RenamePlan{.new_path = "/work/",
                              .new_dir = c.plan_dir,
                              .new_name = "Beacon",
                              .mode = c.plan_mode,
                              .clean_up = false,
                              .backup = c.plan_backup}));
  // The workflow applies the archive rule to any plan it is given.
  EXPECT_EQ(WithArchiveRule(project, plan), plan);
}

constexpr auto kInPlace = RenameMode::kInPlace;
constexpr auto kCopy = RenameMode::kCopy;
constexpr auto kRenameFolder = RenameMode::kRenameFolder;

INSTANTIATE_TEST_SUITE_P(
    Table, PlanRenameTest,
    ::testing::Values(PlanCase{"InPlaceKeepsTheFolder", false, kInPlace, std::nullopt, true,
                               kInPlace, "blinky", true},
                      PlanCase{"CopyToTheProposedFolder", false, kCopy, std::nullopt, false, kCopy,
                               "blinky", false},
                      PlanCase{"CopyToAGivenFolder", false, kCopy, "out", true, kCopy, "out", true},
                      PlanCase{"FolderFollowsTheName", false, kRenameFolder, std::nullopt, false,
                               kRenameFolder, "Beacon", false},
                      PlanCase{"GivenFolderOverTheName", false, kRenameFolder, "out", false,
                               kRenameFolder, "out", false},
                      PlanCase{"ArchiveInPlaceIsCopied", true, kInPlace, std::nullopt, false, kCopy,
                               "blinky", false},
                      PlanCase{"ArchiveIsNeverBackedUp", true, kCopy, std::nullopt, true, kCopy,
                               "blinky", false},
                      PlanCase{"ArchiveFolderKeepsItsName", true, kRenameFolder, std::nullopt, true,
                               kCopy, "blinky", false},
                      PlanCase{"MplabInPlaceKeepsTheFolder", false, kInPlace, std::nullopt, false,
                               kInPlace, "blink.X", false, "blink.X"},
                      PlanCase{"MplabCopyFollowsTheName", false, kCopy, std::nullopt, false, kCopy,
                               "Beacon.X", false, "blink.X"},
                      PlanCase{"MplabFolderFollowsTheName", false, kRenameFolder, std::nullopt,
                               false, kRenameFolder, "Beacon.X", false, "blink.X"},
                      PlanCase{"MplabGivenFolderOverTheName", false, kCopy, "out", false, kCopy,
                               "out", false, "blink.X"},
                      PlanCase{"MplabArchiveCopyFollowsTheName", true, kRenameFolder, std::nullopt,
                               false, kCopy, "Beacon.X", false, "blink.X"},
                      PlanCase{"MplabCopyWithoutTheConvention", false, kCopy, std::nullopt, false,
                               kCopy, "plain", false, "plain"},
                      PlanCase{"MplabFolderWithoutTheConvention", false, kRenameFolder,
                               std::nullopt, false, kRenameFolder, "Beacon", false, "plain"}),
    testing::ParamLabel{});

// Only a family whose IDE cannot build under the name refuses it.
TEST(RefusedNameTest, OnlyTheFamilyThatCannotBuildRefuses) {
  Project project;
  project.Add(FamilyKind::kEclipse);
  EXPECT_EQ(RefusedName(project, "Lab 11"), "");
  project.Add(FamilyKind::kMplab);
  EXPECT_NE(RefusedName(project, "Lab 11"), "");
  EXPECT_EQ(RefusedName(project, "Lab_11"), "");
}

TEST(RenameResultTextTest, SaysHowTheRenameEnded) {
  EXPECT_EQ(RenameResultText(Failure()), "Finished!");
  EXPECT_EQ(RenameResultText(RenameError::kNone), "Finished!");
  EXPECT_EQ(RenameResultText(RenameError::kTargetKept), "Finished with ERROR(s)");
  EXPECT_EQ(kCleanedText, "Cleaned!");
}

}  // namespace
}  // namespace kelvandor
