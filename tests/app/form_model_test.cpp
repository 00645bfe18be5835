#include "app/form_model.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/cli_options.h"
#include "app/cli/cli_run.h"
#include "app/configuration.h"
#include "app/form_layout.h"
#include "core/rename_error.h"
#include "families/family_kind.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uv5_samples.h"
#include "workflow/input_analysis.h"
#include "workflow/rename_workflow.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::CrLf;
using ::kelvandor::testing::CurrentDirGuard;
using ::kelvandor::testing::FaultyFileSystem;
using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::MakeDirs;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteFile;

const std::string kSep = SeparatorString();
const EditState kTypeable{"", false, FieldColour::kWhite};
const EditState kDisplayOnly{"", true, FieldColour::k3DLight};

// The look of a field, without its text.
EditState Look(EditState edit) {
  edit.text.clear();
  return edit;
}

class FormModelTest : public ::testing::Test {
 protected:
  FormModelTest() { MakeDirs(exe_dir_); }

  // A copy of a sample project as tmp/work/<name>; returns its folder.
  std::string CopyExample(const std::string& example, const std::string& name) {
    const std::string dir = tmp_ / ("work/" + name);
    MakeDirs(tmp_ / "work");
    EXPECT_TRUE(CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + example, dir));
    return dir;
  }
  std::string Blinky() { return CopyExample("blinky", "blinky"); }

  void WriteConfig(const std::vector<std::string>& lines) {
    WriteFile(ConfigFilePath(exe_dir_), CrLf(lines));
  }

  // A load as from a drop, with the focus elsewhere beforehand.
  void Load(const std::string& path) {
    c_.focus = "Button_Rename";
    model_.WMDropFiles({path});
  }

  TempDir tmp_;
  std::string exe_dir_ = tmp_ / "bin";
  RecordingUi ui_;
  FaultyFileSystem file_system_;
  FormModel model_{ui_, 0, file_system_};
  FormControls& c_ = model_.controls();
  AppState& s_ = model_.state();
};

TEST_F(FormModelTest, StartsWithTheControlsAsTheWindowOpens) {
  EXPECT_EQ(c_.Edit_Old_Path, (EditState{"", false, FieldColour::k3DLight}));
  EXPECT_EQ(c_.Edit_Old_Dir, (EditState{"", false, FieldColour::k3DLight}));
  for (const EditState* e :
       {&c_.Edit_Old_Wsp, &c_.Edit_Old_Prj, &c_.Edit_Old_UVProj, &c_.Edit_Old_EWW}) {
    EXPECT_EQ(*e, kDisplayOnly);
  }
  EXPECT_EQ(c_.Edit_New_Path, (EditState{"", true, FieldColour::kWindow}));
  EXPECT_EQ(c_.Edit_New_Dir, (EditState{"", true, FieldColour::kWindow}));
  EXPECT_EQ(c_.Edit_New_WspPrj, (EditState{"", false, FieldColour::kWindow}));
  EXPECT_EQ(c_.CheckBox_CleanUp, (CheckBoxState{true, true}));
  for (const CheckBoxState* b :
       {&c_.CheckBox_CopyProject, &c_.CheckBox_RenameFolder, &c_.CheckBox_Backup}) {
    EXPECT_EQ(*b, (CheckBoxState{false, true}));
  }
  EXPECT_TRUE(c_.Button_Rename.enabled && c_.Button_CleanOnly.enabled && c_.Button1.enabled);
}

TEST_F(FormModelTest, FormCreateWithoutConfigurationKeepsTheDefaults) {
  model_.FormCreate(exe_dir_);
  EXPECT_EQ(s_.ExeDir, exe_dir_);
  EXPECT_TRUE(c_.CheckBox_CleanUp.ticked);
  EXPECT_FALSE(c_.CheckBox_CopyProject.ticked || c_.CheckBox_RenameFolder.ticked);
  EXPECT_EQ(s_.ConfigNewPath, "");
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(FormModelTest, FormCreateAppliesTheConfiguration) {
  WriteConfig({"NewPath=/new/", "RenameFolder=1", "CopyProject=1", "CleanUp=0"});
  model_.FormCreate(exe_dir_);
  EXPECT_EQ(s_.ConfigNewPath, "/new/");
  EXPECT_TRUE(s_.ConfigRenameFolder && s_.ConfigCopyProject);
  EXPECT_TRUE(c_.CheckBox_RenameFolder.ticked);
  EXPECT_FALSE(c_.CheckBox_CopyProject.ticked);
  EXPECT_FALSE(c_.CheckBox_CleanUp.ticked);
  // The tick ran the box's handler on the still empty fields; "Copy
  // Project" was not ticked, so the path field keeps its first look.
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);
  EXPECT_EQ(c_.Edit_New_Path, (EditState{"", true, FieldColour::kWindow}));
}

TEST_F(FormModelTest, FormCreateTicksCopyProjectWhenOnlyThatIsConfigured) {
  WriteConfig({"CopyProject=1"});
  model_.FormCreate(exe_dir_);
  EXPECT_TRUE(c_.CheckBox_CopyProject.ticked);
  EXPECT_EQ(Look(c_.Edit_New_Path), kTypeable);
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);
}

TEST_F(FormModelTest, LoadOfAFolderProposesTheOldLocationInPlace) {
  model_.FormCreate(exe_dir_);
  const std::string project = Blinky();
  c_.CheckBox_Backup.ticked = true;
  Load(project);
  EXPECT_FALSE(s_.LastFailure.failed());
  EXPECT_EQ(model_.project().project_dir, project);
  EXPECT_EQ(c_.Edit_Old_Path.text, tmp_ / "work" + kSep);
  EXPECT_EQ(c_.Edit_New_Path.text, c_.Edit_Old_Path.text);
  EXPECT_EQ(c_.Edit_New_Dir.text, "blinky");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "blinky");
  EXPECT_EQ(Look(c_.Edit_New_Path), kDisplayOnly);
  EXPECT_EQ(Look(c_.Edit_New_Dir), kDisplayOnly);
  EXPECT_EQ(c_.CheckBox_Backup, (CheckBoxState{false, true}));
  EXPECT_TRUE(c_.Button_Rename.enabled);
  EXPECT_EQ(c_.focus, kFocusAfterLoad);
}

TEST_F(FormModelTest, ModeSwitchesFollowTheClickHandlers) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  const std::string proposed_path = c_.Edit_New_Path.text;

  // Through the handler dispatch both windows use.
  RunHandler(model_, Handler::CheckBox_RenameFolderClick, true);
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);
  EXPECT_EQ(Look(c_.Edit_New_Path), kDisplayOnly);
  c_.Edit_New_WspPrj.text = "pump";
  RunHandler(model_, Handler::Edit_New_WspPrjKeyUp, false);
  EXPECT_EQ(c_.Edit_New_Dir.text, "pump");

  // Copy while renaming: the typed name is kept aside, the proposals return.
  RunHandler(model_, Handler::CheckBox_CopyProjectClick, true);
  EXPECT_FALSE(c_.CheckBox_RenameFolder.ticked);
  EXPECT_EQ(s_.proposals.preferred_new_name, "pump");
  EXPECT_EQ(c_.Edit_New_Dir.text, "blinky");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "blinky");
  EXPECT_EQ(Look(c_.Edit_New_Path), kTypeable);
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);

  // Rename while copying: the typed path is kept aside, the name comes back.
  c_.Edit_New_Path.text = "/elsewhere/";
  model_.SetRenameFolderTicked(true);
  EXPECT_FALSE(c_.CheckBox_CopyProject.ticked);
  EXPECT_EQ(s_.proposals.preferred_new_path, "/elsewhere/");
  EXPECT_EQ(c_.Edit_New_Path.text, proposed_path);
  EXPECT_EQ(Look(c_.Edit_New_Path), kDisplayOnly);
  EXPECT_EQ(c_.Edit_New_Dir.text, "pump");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "pump");
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);

  // Back to in place.
  c_.Edit_New_WspPrj.text = "valve";
  model_.SetRenameFolderTicked(false);
  EXPECT_EQ(s_.proposals.preferred_new_name, "valve");
  EXPECT_EQ(c_.Edit_New_Dir.text, "blinky");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "blinky");
  EXPECT_EQ(Look(c_.Edit_New_Dir), kDisplayOnly);
}

TEST_F(FormModelTest, TickToTheCurrentStateChangesNothing) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  model_.SetRenameFolderTicked(true);
  c_.Edit_New_Dir.text = "typed";
  c_.Edit_New_WspPrj.text = "other";
  const FormControls before = c_;
  const AppState state_before = s_;
  model_.SetRenameFolderTicked(true);
  model_.SetCopyProjectTicked(false);
  EXPECT_EQ(c_.Edit_New_Dir, before.Edit_New_Dir);
  EXPECT_EQ(c_.Edit_New_WspPrj, before.Edit_New_WspPrj);
  EXPECT_EQ(c_.Edit_New_Path, before.Edit_New_Path);
  EXPECT_EQ(s_.proposals.preferred_new_name, state_before.proposals.preferred_new_name);
  EXPECT_EQ(s_.proposals.preferred_new_path, state_before.proposals.preferred_new_path);
}

TEST_F(FormModelTest, DirectoryFollowsTheNameOnlyInRenameFolderMode) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  c_.Edit_New_WspPrj.text = "abc";
  model_.Edit_New_WspPrjKeyUp();
  EXPECT_EQ(c_.Edit_New_Dir.text, "blinky");
  model_.SetCopyProjectTicked(true);
  c_.Edit_New_WspPrj.text = "abc";
  model_.Edit_New_WspPrjKeyUp();
  EXPECT_EQ(c_.Edit_New_Dir.text, "blinky");
}

// Where the IDE names the folder after the project ("NAME.X"), a copy's
// folder follows the name by its rule too.
TEST_F(FormModelTest, ConventionalFolderFollowsTheNameInCopyAndRenameFolderMode) {
  model_.FormCreate(exe_dir_);
  Load(CopyExample("mplab-blink/blink.X", "blink.X"));
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "blink");
  c_.Edit_New_WspPrj.text = "pump";
  model_.Edit_New_WspPrjKeyUp();
  EXPECT_EQ(c_.Edit_New_Dir.text, "blink.X");
  model_.SetCopyProjectTicked(true);
  c_.Edit_New_WspPrj.text = "pump";
  model_.Edit_New_WspPrjKeyUp();
  EXPECT_EQ(c_.Edit_New_Dir.text, "pump.X");
  model_.SetRenameFolderTicked(true);
  c_.Edit_New_WspPrj.text = "valve";
  model_.Edit_New_WspPrjKeyUp();
  EXPECT_EQ(c_.Edit_New_Dir.text, "valve.X");
}

TEST_F(FormModelTest, ConfiguredModeIsTickedAtEveryLoad) {
  WriteConfig({"RenameFolder=1"});
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  // Already ticked at creation: the load itself runs no handler, the mode
  // styling still applies.
  EXPECT_TRUE(c_.CheckBox_RenameFolder.ticked);
  EXPECT_EQ(Look(c_.Edit_New_Dir), kTypeable);
  model_.SetCopyProjectTicked(true);
  Load(CopyExample("valve", "valve"));
  EXPECT_TRUE(c_.CheckBox_RenameFolder.ticked);
  EXPECT_FALSE(c_.CheckBox_CopyProject.ticked);
  EXPECT_EQ(c_.Edit_New_Dir.text, "valve");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "valve");
}

struct FamilyCase {
  const char* example;
  const char* name;
  bool wsp_prj, eww, uvproj;
  const char* found;  // what Edit_Old_Found says
};

class FormModelFamilyTest : public FormModelTest,
                            public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(FormModelFamilyTest, LoadEnablesRenameAndProposesTheName) {
  const FamilyCase& f = GetParam();
  model_.FormCreate(exe_dir_);
  Load(CopyExample(f.example, f.name));
  EXPECT_FALSE(s_.LastFailure.failed());
  EXPECT_EQ(model_.project().Has(FamilyKind::kWspPrj), f.wsp_prj);
  EXPECT_EQ(model_.project().Has(FamilyKind::kIar), f.eww);
  EXPECT_EQ(model_.project().Has(FamilyKind::kKeilUv4), f.uvproj);
  EXPECT_EQ(c_.Edit_New_Dir.text, f.name);
  EXPECT_FALSE(c_.Edit_New_WspPrj.text.empty());
  EXPECT_EQ(c_.Edit_Old_Found.text, f.found);
  EXPECT_TRUE(c_.Button_Rename.enabled && c_.Button_Preview.enabled);
  EXPECT_TRUE(c_.CheckBox_CopyProject.enabled && c_.CheckBox_RenameFolder.enabled);
  EXPECT_EQ(c_.focus, kFocusAfterLoad);
  EXPECT_TRUE(ui_.shown.empty());
}

// The preview is what kelvandor-cli's --dry-run prints with the same values,
// and its "Rename" leaves the tree the command line's run leaves.
TEST_P(FormModelFamilyTest, PreviewIsTheDryRunAndItsRenameTheCommandLineRun) {
  const FamilyCase& f = GetParam();
  CurrentDirGuard cwd;
  const std::string project = CopyExample(f.example, f.name);
  const std::string new_path = tmp_ / "new";
  const std::string target = tmp_ / "new/pump";
  cli::Options options{.command = cli::Command::kRename,
                       .source = project,
                       .to = new_path,
                       .dir = "pump",
                       .name = "pump",
                       .mode = RenameMode::kCopy};
  const auto run_cli = [&](bool dry_run) {
    options.dry_run = dry_run;
    RecordingUi cli_ui;
    std::FILE* out = std::tmpfile();
    cli::RunCommand(options, cli_ui, NativeFileSystem(), {.out = out, .err = out});
    std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text;
  };
  const std::string dry_run = run_cli(true);

  model_.FormCreate(exe_dir_);
  Load(project);
  model_.SetCopyProjectTicked(true);
  c_.Edit_New_Path.text = new_path;
  c_.Edit_New_Dir.text = "pump";
  c_.Edit_New_WspPrj.text = "pump";
  ui_.preview_answers = {true};
  model_.Button_PreviewClick();
  ASSERT_EQ(ui_.previews.size(), 1u);
  EXPECT_EQ(ui_.previews[0].title, "Kelvandor - Preview");
  EXPECT_EQ(ui_.previews[0].text, dry_run);
  EXPECT_TRUE(ui_.previews[0].can_run);
  // A sample's warnings come first.
  ASSERT_FALSE(ui_.shown.empty());
  EXPECT_EQ(ui_.shown.back(), (Shown{"Result", "Finished!"}));
  ASSERT_EQ(ui_.details.size(), 1u);
  EXPECT_NE(ui_.details[0].find("Files copied: "), std::string::npos);
  const auto from_window = testing::Snapshot(target);

  ASSERT_TRUE(RemoveTree(tmp_ / "new"));
  run_cli(false);
  EXPECT_EQ(testing::Snapshot(target), from_window);
  EXPECT_EQ(testing::Snapshot(project),
            testing::Snapshot(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + f.example));
}

INSTANTIATE_TEST_SUITE_P(
    Families, FormModelFamilyTest,
    ::testing::Values(
        FamilyCase{"blinky", "blinky", true, false, false,
                   "WSP/PRJ: workspace blinky.wsp, project blinky.prj"},
        FamilyCase{"motor", "motor", false, true, false, "IAR: workspace motor.eww, project motor"},
        FamilyCase{"valve", "valve", false, false, true, "Keil: project valve.uvproj"},
        FamilyCase{"sensor", "sensor", false, true, true,
                   "IAR: workspace sensor.eww, project sensor (example/IAR/); Keil: project "
                   "sensor.uvproj (example/ARM/)"},
        // The first family found at the top hides the ones below "example".
        FamilyCase{"gateway", "gateway", true, false, false,
                   "WSP/PRJ: workspace gateway.wsp, project gateway.prj"},
        FamilyCase{"conveyor", "conveyor", false, true, false,
                   "IAR: workspace Project.eww, project conveyor (EWARM/)"},
        FamilyCase{"heater", "heater", false, false, true,
                   "Keil: project heater.uvprojx (MDK-ARM/); generator file heater.ioc"},
        FamilyCase{"drive", "drive", false, false, false,
                   "Eclipse: drive, sub-projects CM4, CM7; generator file drive.ioc"},
        FamilyCase{"fan", "fan", false, false, true, "Keil: project fan.uvprojx"},
        FamilyCase{"LED", "LED", false, false, true, "Keil: project LED.uvproj"},
        FamilyCase{"CC2530", "CC2530", false, true, false,
                   "IAR: workspace CC2530.eww, project CC2530"},
        FamilyCase{"boiler", "boiler", false, true, false,
                   "IAR: workspace Project.eww, project boiler (EWARM/)"},
        FamilyCase{"meter", "meter", false, false, false, "Eclipse: meter"},
        FamilyCase{"probe", "probe", false, false, false, "Eclipse: probe"},
        FamilyCase{"relay", "relay", false, false, false, "Eclipse: relay"},
        FamilyCase{"servo", "servo", false, false, false,
                   "Eclipse: servo, sub-projects CM4, CM7; generator file servo.ioc"},
        FamilyCase{"scale", "scale", false, false, false, "Eclipse: scale"},
        FamilyCase{"sprinkler", "sprinkler", false, false, true, "Keil: project sprinkler.uvprojx"},
        FamilyCase{"src", "src", true, false, false, "WSP/PRJ: workspace src.wsp, project src.prj"},
        FamilyCase{"tank", "tank", false, false, true,
                   "Keil: project tank.uvproj (Project/RVMDK(uv4)/)"},
        FamilyCase{"beacon", "beacon", false, false, false,
                   "Eclipse: beacon; generator file beacon.ioc"},
        FamilyCase{"mplab-blink/blink.X", "blink.X", false, false, false, "MPLAB X: project blink"},
        FamilyCase{"mplab-harmony/dosing", "dosing", false, false, false,
                   "MPLAB X: project dosing (firmware/dosing.X/)"},
        FamilyCase{"cmake-blinky", "cmake-blinky", false, false, false,
                   "CMake: project lumen; generator file lumen.ioc"},
        // One generator file for the three families that share it.
        FamilyCase{"cmake-mixed", "cmake-mixed", false, true, false,
                   "IAR: workspace mix.eww, project mix (EWARM/); Eclipse: mix; generator file "
                   "mix.ioc; CMake: project mix"}),
    [](const ::testing::TestParamInfo<FamilyCase>& row) {
      return testing::TestNamePart(row.param.example);
    });

// The IAR field shows the workspace, which may be named otherwise than the
// project; the rename still takes the project's name from its ".ewp".
TEST_F(FormModelTest, IarFieldShowsTheWorkspaceAndTheRenameTakesTheProject) {
  model_.FormCreate(exe_dir_);
  const std::string dir = CopyExample("conveyor", "conveyor");
  Load(dir);
  EXPECT_EQ(c_.Edit_Old_EWW.text, "Project");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "conveyor");
  c_.Edit_New_WspPrj.text = "pump";
  c_.CheckBox_CleanUp.ticked = false;
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  const std::string ewarm = dir + kSep + "EWARM" + kSep;
  EXPECT_TRUE(FileExists(ewarm + "pump.ewp") && FileExists(ewarm + "Project.eww"));
  EXPECT_NE(ReadFile(ewarm + "Project.eww").find("$WS_DIR$\\pump.ewp"), std::string::npos);
}

// An Eclipse project's name stands in the PRJ field, the only old field it
// has; the rename takes it from there.
TEST_F(FormModelTest, EclipseNameStandsInThePrjField) {
  model_.FormCreate(exe_dir_);
  const std::string dir = CopyExample("beacon", "board");
  Load(dir);
  EXPECT_EQ(c_.Edit_Old_Prj.text, "beacon");
  EXPECT_EQ(c_.Edit_Old_Wsp.text + c_.Edit_Old_UVProj.text + c_.Edit_Old_EWW.text, "");
  EXPECT_EQ(c_.Edit_New_WspPrj.text, "beacon");
  c_.Edit_New_WspPrj.text = "lamp";
  c_.CheckBox_CleanUp.ticked = false;
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(dir + kSep + "lamp.ioc"));
  EXPECT_NE(ReadFile(dir + kSep + ".project").find("<name>lamp</name>"), std::string::npos);
}

// A run stopped with the ".project" set aside: the load rolls it back first
// and then shows the project as it was.
TEST_F(FormModelTest, LoadCompletesAnInterruptedRunFirst) {
  model_.FormCreate(exe_dir_);
  const std::string dir = CopyExample("beacon", "board");
  const std::string project = dir + kSep + ".project";
  ASSERT_TRUE(RenameNoReplace(project, project + ".kvprev"));
  WriteFile(project + ".kvtmp", "<projectDescription/>");
  WriteFile(dir + kSep + ".kelvandor-journal",
            "kelvandor-journal\t1\ntemp\t.project.kvtmp\nmove\t.project\t.project.kvprev\n"
            "move\t.project.kvtmp\t.project\n");
  Load(dir);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{std::string(kRolledBackText)}));
  EXPECT_EQ(c_.Edit_Old_Prj.text, "beacon");
  EXPECT_TRUE(c_.Button_Rename.enabled);
  EXPECT_EQ(ListTree(dir), ListTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + "beacon"));
}

TEST_F(FormModelTest, LoadThatFindsNothingDisablesRenameAndKeepsTheBoxes) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  model_.SetCopyProjectTicked(true);
  c_.CheckBox_Backup.ticked = true;
  const std::string missing = tmp_ / "nothing";
  Load(missing);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Input File not found!"}}));
  EXPECT_EQ(s_.LastFailure, Failure(AnalysisError::kNoProject));
  EXPECT_EQ(c_.Edit_Old_Path.text, missing);
  EXPECT_EQ(c_.Edit_Old_Found.text, "");
  EXPECT_FALSE(c_.Button_Rename.enabled || c_.Button_Preview.enabled);
  EXPECT_TRUE(c_.CheckBox_CopyProject.ticked);
  EXPECT_TRUE(c_.CheckBox_Backup.ticked);
  EXPECT_EQ(c_.focus, kFocusAfterLoad);
}

TEST_F(FormModelTest, InputOfSeveralProjectsListsThemAsFound) {
  model_.FormCreate(exe_dir_);
  Load(CopyExample("station", "station"));
  EXPECT_EQ(s_.LastFailure, Failure(AnalysisError::kSeveralProjects));
  EXPECT_EQ(c_.Edit_Old_Found.text, "Several projects: sensor" + kSep + "sensor.ewp, radio" + kSep +
                                        "Project" + kSep + "radio.ewp");
  EXPECT_FALSE(c_.Button_Rename.enabled || c_.Button_Preview.enabled);
}

// Only builds with libarchive can unpack archives.
#ifdef KELVANDOR_HAVE_LIBARCHIVE
TEST_F(FormModelTest, ArchiveLocksCopyModeAndTheNextLoadUnlocksIt) {
  WriteConfig({"NewPath=/target/"});
  model_.FormCreate(exe_dir_);
  const std::string zip = tmp_ / "in/demo.zip";
  WriteFile(zip, ReadFile(KELVANDOR_DEMO_ARCHIVE));
  Load(zip);
  EXPECT_FALSE(s_.LastFailure.failed());
  EXPECT_TRUE(model_.project().from_archive);
  EXPECT_EQ(model_.project().temp_dir, TempDirFor(exe_dir_));
  EXPECT_TRUE(DirectoryExists(model_.project().temp_dir + kSep + "blinky"));
  EXPECT_EQ(c_.CheckBox_CopyProject, (CheckBoxState{true, false}));
  EXPECT_EQ(c_.CheckBox_RenameFolder, (CheckBoxState{false, false}));
  EXPECT_EQ(c_.CheckBox_Backup, (CheckBoxState{false, false}));
  EXPECT_FALSE(c_.Button_CleanOnly.enabled);
  EXPECT_EQ(c_.Edit_New_Path.text, "/target/");
  EXPECT_EQ(Look(c_.Edit_New_Path), kTypeable);
  EXPECT_EQ(c_.focus, kFocusAfterLoad);

  Load(Blinky());
  EXPECT_FALSE(model_.project().from_archive);
  EXPECT_FALSE(DirectoryExists(model_.project().temp_dir));
  EXPECT_TRUE(c_.CheckBox_CopyProject.enabled && c_.CheckBox_RenameFolder.enabled);
  EXPECT_EQ(c_.CheckBox_Backup, (CheckBoxState{false, true}));
  EXPECT_TRUE(c_.Button_CleanOnly.enabled);
}

TEST_F(FormModelTest, FormCloseRemovesTheUnpackedArchive) {
  model_.FormCreate(exe_dir_);
  const std::string zip = tmp_ / "demo.zip";
  WriteFile(zip, ReadFile(KELVANDOR_DEMO_ARCHIVE));
  Load(zip);
  ASSERT_TRUE(DirectoryExists(model_.project().temp_dir));
  model_.FormClose();
  EXPECT_FALSE(DirectoryExists(model_.project().temp_dir));
  EXPECT_TRUE(FileExists(zip));
}
#endif

TEST_F(FormModelTest, CommandLineIsHandledAtTheFirstActivationOnly) {
  model_.FormCreate(exe_dir_);
  const std::string project = Blinky();
  EXPECT_EQ(model_.FormActivate({{project}, "/"}), AfterActivate::kStayOpen);
  EXPECT_EQ(model_.project().project_dir, project);
  EXPECT_EQ(model_.FormActivate({{tmp_ / "missing"}, "/"}), AfterActivate::kStayOpen);
  EXPECT_EQ(model_.FormActivate({{"clean", project}, "/"}), AfterActivate::kStayOpen);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(model_.project().project_dir, project);
}

TEST_F(FormModelTest, RelativeCommandLinePathIsTakenFromTheStartFolder) {
  model_.FormCreate(exe_dir_);
  const std::string project = Blinky();
  // Taken as the command-line program takes it (a "." and a final separator).
  model_.FormActivate({{"." + kSep + "work" + kSep + "blinky" + kSep}, tmp_.path()});
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(model_.project().project_dir, project);
}

TEST_F(FormModelTest, CleanLoadsCleansAndCloses) {
  model_.FormCreate(exe_dir_);
  const std::string project = Blinky();
  ASSERT_TRUE(FileExists(project + kSep + "OBJ" + kSep + "main.obj"));
  EXPECT_EQ(model_.FormActivate({{"clean", "work" + kSep + "blinky", "ignored"}, tmp_.path()}),
            AfterActivate::kClose);
  EXPECT_EQ(model_.project().project_dir, project);
  EXPECT_FALSE(FileExists(project + kSep + "OBJ" + kSep + "main.obj"));
  EXPECT_TRUE(FileExists(project + kSep + "blinky.prj"));
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(FormModelTest, CleanAloneLoadsTheEmptyPathAndCloses) {
  model_.FormCreate(exe_dir_);
  EXPECT_EQ(model_.FormActivate({{"clean"}, tmp_.path()}), AfterActivate::kClose);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
}

TEST_F(FormModelTest, CapitalCleanIsAPath) {
  model_.FormCreate(exe_dir_);
  const std::string project = Blinky();
  EXPECT_EQ(model_.FormActivate({{"Clean", project}, tmp_.path()}), AfterActivate::kStayOpen);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
  EXPECT_EQ(c_.Edit_Old_Path.text, tmp_ / "Clean");
  EXPECT_TRUE(FileExists(project + kSep + "OBJ" + kSep + "main.obj"));
}

TEST_F(FormModelTest, DropLoadsTheFirstItemOnly) {
  model_.FormCreate(exe_dir_);
  const std::string first = Blinky();
  const std::string second = CopyExample("valve", "valve");
  model_.WMDropFiles({first, second, tmp_ / "missing"});
  EXPECT_EQ(model_.project().project_dir, first);
  EXPECT_TRUE(ui_.shown.empty());
  model_.WMDropFiles({});
  EXPECT_EQ(model_.project().project_dir, first);
}

TEST_F(FormModelTest, OpenInputStartsAtTheOldProjectAndLoadsTheChoice) {
  model_.FormCreate(exe_dir_);
  const std::string first = Blinky();
  Load(first);
  const std::string second = CopyExample("motor", "motor");
  ui_.folder_answers = {second, std::nullopt};
  model_.SpeedButton_OpenInputClick();
  EXPECT_EQ(ui_.folder_starts, (std::vector<std::string>{first}));
  EXPECT_EQ(model_.project().project_dir, second);
  model_.SpeedButton_OpenInputClick();  // Cancel
  EXPECT_EQ(model_.project().project_dir, second);
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(FormModelTest, OpenNewDirSetsTheNewPathEvenWhenReadOnly) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  ASSERT_TRUE(c_.Edit_New_Path.read_only);
  const std::string start = c_.Edit_New_Path.text;
  ui_.folder_answers = {"/chosen", std::nullopt};
  model_.SpeedButton_OpenNewDirClick();
  EXPECT_EQ(c_.Edit_New_Path.text, "/chosen");
  model_.SpeedButton_OpenNewDirClick();  // Cancel
  EXPECT_EQ(c_.Edit_New_Path.text, "/chosen");
  EXPECT_EQ(ui_.folder_starts, (std::vector<std::string>{start, "/chosen"}));
}

TEST_F(FormModelTest, SavedConfigurationIsReadAtTheNextStart) {
  model_.FormCreate(exe_dir_);
  Load(Blinky());
  model_.SetRenameFolderTicked(true);
  c_.CheckBox_CleanUp.ticked = false;
  model_.Button1Click_SaveConfig();
  const std::string saved_path = c_.Edit_New_Path.text;
  EXPECT_EQ(ReadFile(ConfigFilePath(exe_dir_)),
            CrLf({"\\\\PublicIni=", "NewPath=" + saved_path, "RenameFolder=1", "CopyProject=0",
                  "CleanUp=0"}));
  EXPECT_TRUE(ui_.shown.empty());

  RecordingUi next_ui;
  FormModel next(next_ui, 0);
  next.FormCreate(exe_dir_);
  EXPECT_EQ(next.state().ConfigNewPath, saved_path);
  EXPECT_TRUE(next.controls().CheckBox_RenameFolder.ticked);
  EXPECT_FALSE(next.controls().CheckBox_CopyProject.ticked);
  EXPECT_FALSE(next.controls().CheckBox_CleanUp.ticked);
}

// As an installed program uses them: the configuration in the user's
// folder, made on the first save, and archives in a folder of its own;
// nothing beside the program is read or written.
TEST_F(FormModelTest, ConfigurationAndArchivesGoWhereTheLocationsSay) {
  const FileLocations where{tmp_ / "home/.config/kelvandor/Kelvandor.ini", tmp_ / "private"};
  MakeDirs(where.temp_base);
  WriteConfig({"CopyProject=1"});
  model_.FormCreate(exe_dir_, where);
  EXPECT_FALSE(c_.CheckBox_CopyProject.ticked);
  model_.SetRenameFolderTicked(true);
  model_.Button1Click_SaveConfig();
  EXPECT_TRUE(ui_.shown.empty());

  RecordingUi next_ui;
  FormModel next(next_ui, 0);
  next.FormCreate(exe_dir_, where);
  EXPECT_TRUE(next.controls().CheckBox_RenameFolder.ticked);
#ifdef KELVANDOR_HAVE_LIBARCHIVE
  const std::string zip = tmp_ / "demo.zip";
  WriteFile(zip, ReadFile(KELVANDOR_DEMO_ARCHIVE));
  next.WMDropFiles({zip});
  EXPECT_EQ(next.project().temp_dir, TempDirFor(where.temp_base));
  EXPECT_TRUE(DirectoryExists(next.project().temp_dir + kSep + "blinky"));
  next.FormClose();
  EXPECT_FALSE(DirectoryExists(next.project().temp_dir));
#endif
  EXPECT_EQ(ListTree(exe_dir_), (std::vector<std::string>{"Kelvandor.ini"}));
}

TEST_F(FormModelTest, CleanOnlyBeforeAnyLoadStillReportsCleaned) {
  model_.FormCreate(exe_dir_);
  model_.Button1Click_CleanUpProject();
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));
}

class FormModelRenameTest : public FormModelTest {
 protected:
  void SetUp() override {
    model_.FormCreate(exe_dir_);
    Load(Blinky());
    model_.SetCopyProjectTicked(true);
    c_.Edit_New_Path.text = tmp_ / "new";  // no final separator
    c_.Edit_New_Dir.text = "pump";
    c_.Edit_New_WspPrj.text = "pump";
  }
  CurrentDirGuard cwd_;
};

TEST_F(FormModelRenameTest, CopyReportsFinishedAndShowsTheCompletedPath) {
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown.back(), (Shown{"Result", "Finished!"}));
  EXPECT_EQ(c_.Edit_New_Path.text, tmp_ / "new" + kSep);
  EXPECT_FALSE(s_.LastFailure.failed());
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.prj"));
}

TEST_F(FormModelRenameTest, DeclinedReplacementReportsErrors) {
  MakeDirs(tmp_ / "new/pump");
  ui_.confirm_answers = {false};
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown.back(), (Shown{"Result", "Finished with ERROR(s)"}));
  EXPECT_EQ(s_.LastFailure, Failure(RenameError::kTargetKept));
  EXPECT_EQ(c_.Edit_New_Path.text, tmp_ / "new" + kSep);
}

// "Close" changes nothing; "Rename" runs the plan with the answer it was
// planned with, without asking again.
TEST_F(FormModelRenameTest, PreviewRunsThePlanWithItsPlannedAnswer) {
  WriteFile(tmp_ / "new/pump/keep.txt", "mine");
  ui_.preview_answers = {false, true};
  model_.Button_PreviewClick();
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/keep.txt"));
  model_.Button_PreviewClick();
  ASSERT_EQ(ui_.previews.size(), 2u);
  EXPECT_NE(ui_.previews[1].text.find(
                "Question: \"Project already exist - Delete ?\" - planned as if answered Yes\n"),
            std::string::npos);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_FALSE(FileExists(tmp_ / "new/pump/keep.txt"));
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.prj"));
}

// A plan that would fail says so and offers no "Rename"; nothing else shows.
TEST_F(FormModelRenameTest, PreviewOfAFailingPlanOffersNoRename) {
  c_.Edit_New_Path.text = tmp_ / "work";
  c_.Edit_New_Dir.text = "blinky";  // the project's own folder
  ui_.preview_answers = {true};
  model_.Button_PreviewClick();
  ASSERT_EQ(ui_.previews.size(), 1u);
  EXPECT_FALSE(ui_.previews[0].can_run);
  EXPECT_NE(ui_.previews[0].text.find("Refused: error "), std::string::npos);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(testing::Snapshot(tmp_ / "work/blinky"),
            testing::Snapshot(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + "blinky"));
}

// The uVision 5 samples renamed in each mode, checked file by file.
enum class Mode { kInPlace, kCopy, kRenameFolder };

struct Uv5Case {
  std::string label;
  std::string sample;
  Mode mode = Mode::kInPlace;
  testing::Uv5Outcome outcome;
};

class FormModelUv5Test : public FormModelTest, public ::testing::WithParamInterface<Uv5Case> {
 protected:
  CurrentDirGuard cwd_;
};

TEST_P(FormModelUv5Test, RenamesTheSampleFileByFile) {
  const Uv5Case& u = GetParam();
  model_.FormCreate(exe_dir_);
  const std::string project = CopyExample(u.sample, u.sample);
  Load(project);
  ASSERT_FALSE(s_.LastFailure.failed());
  EXPECT_TRUE(model_.project().Has(FamilyKind::kKeilUv4) &&
              model_.project().Has(FamilyKind::kKeilUv5));
  EXPECT_EQ(c_.Edit_Old_UVProj.text, u.sample);
  EXPECT_EQ(c_.Edit_New_WspPrj.text, u.sample);
  std::string target = project;
  if (u.mode == Mode::kCopy) {
    model_.SetCopyProjectTicked(true);
    c_.Edit_New_Path.text = tmp_ / "new";
    c_.Edit_New_Dir.text = "pump";
    target = tmp_ / "new/pump";
  } else if (u.mode == Mode::kRenameFolder) {
    model_.SetRenameFolderTicked(true);
    c_.Edit_New_Dir.text = "pump";
    target = tmp_ / "work/pump";
  }
  c_.Edit_New_WspPrj.text = "pump";
  c_.CheckBox_CleanUp.ticked = u.outcome.cleaned;
  c_.CheckBox_Backup.ticked = u.outcome.backup;
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_EQ(testing::FilesBelow(target), testing::RenamedUv5Sample(u.sample, "pump", u.outcome));
  if (u.mode == Mode::kCopy) {
    EXPECT_EQ(testing::FilesBelow(project),
              testing::FilesBelow(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + u.sample));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, FormModelUv5Test,
    ::testing::Values(Uv5Case{"HeaterInPlace", "heater", Mode::kInPlace, {true, false}},
                      Uv5Case{"HeaterCopy", "heater", Mode::kCopy, {true, false}},
                      Uv5Case{"HeaterRenameFolder", "heater", Mode::kRenameFolder, {true, false}},
                      Uv5Case{"HeaterBackupNoCleanUp", "heater", Mode::kCopy, {false, true}},
                      Uv5Case{"FanInPlace", "fan", Mode::kInPlace, {true, false}},
                      Uv5Case{"FanCopy", "fan", Mode::kCopy, {true, false}},
                      Uv5Case{"FanRenameFolder", "fan", Mode::kRenameFolder, {true, false}},
                      Uv5Case{"FanBackupAndCleanUp", "fan", Mode::kInPlace, {true, true}}),
    testing::ParamLabel());

// A Close while the copy of a rename is under way, as the window passes it
// on while it shows the progress.
class ClosingUi : public RecordingUi {
 public:
  void CopyProgress(std::uint64_t done, std::uint64_t total) override {
    RecordingUi::CopyProgress(done, total);
    if (model != nullptr && done < total && !closed) {
      closed = true;
      may_close = model->FormCloseQuery();
    }
  }
  FormModel* model = nullptr;
  bool closed = false;
  bool may_close = true;
};

TEST(FormModelCloseTest, CloseDuringARunAsksAndYesStopsItAndClosesAfterwards) {
  TempDir tmp_dir;
  CurrentDirGuard cwd;
  for (const bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "yes" : "no");
    const std::string tmp = tmp_dir / (stop ? "yes" : "no");
    const std::string project = tmp + "/work/blinky";
    MakeDirs(tmp + "/work");
    ASSERT_TRUE(CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + "blinky", project));
    ClosingUi ui;
    FormModel model(ui, 0);
    EXPECT_TRUE(model.FormCloseQuery());  // nothing runs: no question
    model.WMDropFiles({project});
    model.SetCopyProjectTicked(true);
    model.controls().Edit_New_Path.text = tmp + "/new";
    model.controls().Edit_New_Dir.text = "pump";
    model.controls().Edit_New_WspPrj.text = "pump";
    ui.model = &model;
    ui.confirm_answers = {stop};

    model.Button_RenameClick();

    EXPECT_TRUE(ui.closed);
    EXPECT_FALSE(ui.may_close);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.front(), (Shown{"Confirm", std::string(kStopRunQuestion)}));
    EXPECT_EQ(model.CloseAfterRun(), stop);
    if (stop) {
      // The copy stopped part-way is removed, as any failed copy.
      EXPECT_EQ(ui.shown.back(), (Shown{"Result", "Finished with ERROR(s)"}));
      EXPECT_FALSE(AnythingExists(tmp + "/new/pump"));
    } else {
      EXPECT_EQ(ui.shown.back(), (Shown{"Result", "Finished!"}));
      EXPECT_TRUE(FileExists(tmp + "/new/pump/pump.prj"));
    }
    EXPECT_EQ(ListTree(project), ListTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + "blinky"));
  }
}

TEST_F(FormModelRenameTest, RaisedIoErrorIsShownAndTheModelStaysUsable) {
  file_system_.set_space(0);
  model_.Button_RenameClick();
  file_system_.set_space(-1);
  EXPECT_EQ(ui_.shown.back(), (Shown{"Kelvandor", "Disk full"}));
  for (const Shown& shown : ui_.shown) EXPECT_NE(shown.caption, "Result");
  EXPECT_EQ(c_.Edit_New_Path.text, tmp_ / "new" + kSep);

  ui_.shown.clear();
  ui_.confirm_answers = {true};
  model_.Button_RenameClick();
  EXPECT_EQ(ui_.shown.back(), (Shown{"Result", "Finished!"}));
}

}  // namespace
}  // namespace kelvandor
