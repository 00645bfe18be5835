#pragma once

// The window's controls and the rename workflow and clean-up driven end to
// end, written once for every window. A driver derives from WindowDriver and
// opens the window, drops paths, types into and clicks its controls by their
// names in the layout table and reads them back:
//   void Open(CommandLine command_line = {});
//   void Drop(const std::vector<std::string>& paths);
//   void Type(const char* name, const std::string& text);
//   void Click(const char* name);
//   std::string Text(const char* name);
//   bool Checked(const char* name);  Enabled(name);  Focused(name);
//   bool Closed();
//   FormModel& model();
//   std::optional<BuiltControl> Built(const ControlLayout& row);
//   ClientRect Pixels(ClientRect at_96_dpi);

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/configuration.h"
#include "app/form_layout.h"
#include "app/window_start.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {

inline void PrintTo(const ClientRect& rect, std::ostream* out) {
  *out << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
}

namespace testing {

// A control as the window made it: its kind, caption and hint, and its place
// in the client area.
struct BuiltControl {
  ControlKind kind = ControlKind::kLabel;
  std::string caption;
  std::string hint;
  ClientRect place;
};

class WindowDriver {
 public:
  // A copy of the sample project `name` as tmp/work/<name>.
  std::string Sample(const std::string& name) {
    MakeDirs(tmp_ / "work");
    EXPECT_TRUE(CopyTree(Example(name), tmp_ / ("work/" + name)));
    return tmp_ / ("work/" + name);
  }
  static std::string Example(const std::string& name) {
    return std::string(KELVANDOR_EXAMPLES_DIR) + Separator() + name;
  }
  std::string Read(const std::string& relative) { return ReadFile(tmp_ / relative); }

  TempDir tmp_;
  CurrentDirGuard cwd_;
  std::string exe_dir_ = tmp_ / "bin";
  RecordingUi ui_;
  // Every change the window makes goes through it.
  FaultyFileSystem file_system_;

 protected:
  WindowStart Start(CommandLine command_line) {
    return WindowStart{exe_dir_, std::move(command_line), 0, {}, &file_system_};
  }
};

template <typename Driver>
class WindowWorkflowTest : public ::testing::Test {};

TYPED_TEST_SUITE_P(WindowWorkflowTest);

TYPED_TEST_P(WindowWorkflowTest, ControlsFollowTheLayoutTable) {
  TypeParam w;
  w.Open();
  for (const ControlLayout& row : FormLayout()) {
    const std::optional<BuiltControl> built = w.Built(row);
    ASSERT_TRUE(built) << row.name;
    EXPECT_EQ(built->kind, row.kind) << row.name;
    EXPECT_EQ(built->caption, CaptionWithShortcut(row)) << row.name;
    EXPECT_EQ(built->hint, row.hint) << row.name;
    EXPECT_EQ(built->place, w.Pixels(ClientRectOf(row))) << row.name;
  }
  EXPECT_TRUE(w.Checked("CheckBox_CleanUp"));
}

TYPED_TEST_P(WindowWorkflowTest, TypicalCopyOfBlinkyToPumpByteForByte) {
  TypeParam w;
  const std::string blinky = w.Sample("blinky");
  w.Open();
  w.Drop({blinky});
  w.Click("CheckBox_CopyProject");
  w.Type("Edit_New_Path", w.tmp_ / "new");  // without the final separator
  w.Type("Edit_New_Dir", "pump");
  w.Type("Edit_New_WspPrj", "pump");
  w.Click("Button_Rename");

  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_EQ(w.Text("Edit_New_Path"), w.tmp_ / "new" + Separator());
  EXPECT_EQ(w.ui_.busy_changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(CurrentDir(), w.tmp_ / "work");
  EXPECT_EQ(Snapshot(blinky), Snapshot(w.Example("blinky")));

  const std::string pump = w.tmp_ / "new/pump";
  EXPECT_EQ(ListTree(pump),
            (std::vector<std::string>{"ABS/", "ABS/blinky.hex", "ABS/pump.mhx", "LST/", "OBJ/",
                                      "OPT/", "pump.prj", "pump.wsp", "src/", "src/led.c",
                                      "src/led.h", "src/main.c"}));
  const std::string folder_line = pump + Separator();
  EXPECT_EQ(w.Read("new/pump/pump.wsp"), CrLf({"[Workspace]", "Version=4.2", "WSP=" + folder_line,
                                               "FILE-0=pump.prj", "ActivePrj=pump.prj", "Layout=2",
                                               "", "[SubPrj-pump.prj]", "Open=1", "Target=Debug"}));
  EXPECT_EQ(w.Read("new/pump/pump.prj"),
            CrLf({"[Project]", "Version=4.2", "PRJ=" + folder_line, "Cpu=ORL16C62", "Memory=near",
                  "Stack=0x100", "", "[Files]", "F1=0 m ABS\\pump.abs", "F2=1 c src\\main.c",
                  "F3=1 c src\\led.c", "", "[Options]", "Include=D:\\work\\pump\\src",
                  "Output=D:\\work\\pump\\OBJ", "List=..\\pump\\LST", "Optimize=2"}));
  for (const std::string same : {"ABS/blinky.hex", "src/led.c", "src/led.h", "src/main.c"}) {
    EXPECT_EQ(w.Read("new/pump/" + same), w.Read("work/blinky/" + same)) << same;
  }
  EXPECT_EQ(w.Read("new/pump/ABS/pump.mhx"), w.Read("work/blinky/ABS/blinky.mhx"));
}

TYPED_TEST_P(WindowWorkflowTest, RenameFolderOfTheExampleLayoutFollowsTheName) {
  TypeParam w;
  const std::string sensor = w.Sample("sensor");
  w.Open();
  w.Drop({sensor});
  w.Click("CheckBox_RenameFolder");
  w.Type("Edit_New_WspPrj", "probe");
  EXPECT_EQ(w.Text("Edit_New_Dir"), "probe");
  w.Click("Button_Rename");

  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_FALSE(DirectoryExists(sensor));
  for (const std::string file : {"IAR/probe.eww", "IAR/probe.ewp", "IAR/probe.ewd", "IAR/probe.dep",
                                 "ARM/probe.uvproj", "ARM/probe.uvopt"}) {
    EXPECT_TRUE(FileExists(w.tmp_ / ("work/probe/example/" + file))) << file;
  }
  EXPECT_FALSE(FileExists(w.tmp_ / "work/probe/example/IAR/sensor.eww"));
  EXPECT_FALSE(FileExists(w.tmp_ / "work/probe/example/IAR/sensor.ewp.bak"));
  EXPECT_NE(
      w.Read("work/probe/example/IAR/probe.eww").find("    <path>$WS_DIR$\\probe.ewp</path>\r\n"),
      std::string::npos);
}

TYPED_TEST_P(WindowWorkflowTest, InPlaceWithBackupKeepsTheBackups) {
  TypeParam w;
  const std::string motor = w.Sample("motor");
  w.Open();
  w.Drop({motor});
  w.Click("CheckBox_Backup");
  w.Type("Edit_New_WspPrj", "engine");
  w.Click("Button_Rename");

  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  for (const std::string ext : {".eww", ".ewp", ".ewd", ".dep"}) {
    EXPECT_TRUE(FileExists(w.tmp_ / ("work/motor/engine" + ext))) << ext;
    EXPECT_TRUE(FileExists(w.tmp_ / ("work/motor/motor" + ext + ".bak"))) << ext;
    EXPECT_FALSE(FileExists(w.tmp_ / ("work/motor/motor" + ext))) << ext;
  }
}

TYPED_TEST_P(WindowWorkflowTest, ArchiveIsCopiedToTheConfiguredPathAndTempDirGoesOnClose) {
  TypeParam w;
  WriteFile(ConfigFilePath(w.exe_dir_), CrLf({"NewPath=" + w.tmp_ / "out" + Separator()}));
  w.Open();
  w.Drop({KELVANDOR_DEMO_ARCHIVE});
  EXPECT_TRUE(w.Checked("CheckBox_CopyProject"));
  EXPECT_FALSE(w.Enabled("CheckBox_CopyProject"));
  EXPECT_FALSE(w.Enabled("Button_CleanOnly"));
  EXPECT_EQ(w.Text("Edit_New_Path"), w.tmp_ / "out" + Separator());
  w.Type("Edit_New_Dir", "demo");
  w.Type("Edit_New_WspPrj", "demo");
  w.Click("Button_Rename");

  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(w.tmp_ / "out/demo/demo.wsp"));
  EXPECT_TRUE(FileExists(w.tmp_ / "out/demo/demo.prj"));
  const std::string temp_dir = w.model().project().temp_dir;
  ASSERT_TRUE(DirectoryExists(temp_dir));
  w.Click("Button_Close");
  EXPECT_TRUE(w.Closed());
  EXPECT_FALSE(DirectoryExists(temp_dir));
}

TYPED_TEST_P(WindowWorkflowTest, ArchiveIsNeverCopiedIntoTheTemporaryFolder) {
  TypeParam w;
  w.Open();
  w.Drop({KELVANDOR_DEMO_ARCHIVE});  // no configured path: the proposal is the temporary folder
  const std::string temp_dir = w.model().project().temp_dir;
  const std::vector<std::string> unpacked = ListTree(temp_dir);
  for (const char* dir : {"blinky", "pump"}) {
    w.ui_.shown.clear();
    w.Type("Edit_New_Dir", dir);
    w.Click("Button_Rename");
    EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Copy Project!"},
                                               {"Result", "Finished with ERROR(s)"}}))
        << dir;
    EXPECT_EQ(w.model().state().LastFailure, Failure(RenameError::kCopy)) << dir;
    EXPECT_EQ(ListTree(temp_dir), unpacked) << dir;
  }
}

TYPED_TEST_P(WindowWorkflowTest, ExistingTargetIsKeptOnNoAndReplacedOnYes) {
  TypeParam w;
  const std::string blinky = w.Sample("blinky");
  WriteFile(w.tmp_ / "new/pump/keep.txt", "mine");
  w.Open();
  w.Drop({blinky});
  w.Click("CheckBox_CopyProject");
  w.Type("Edit_New_Path", w.tmp_ / "new" + Separator());
  w.Type("Edit_New_Dir", "pump");
  w.Type("Edit_New_WspPrj", "pump");

  w.ui_.confirm_answers = {false};
  w.Click("Button_Rename");
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                             {"Result", "Finished with ERROR(s)"}}));
  EXPECT_EQ(w.model().state().LastFailure, Failure(RenameError::kTargetKept));
  EXPECT_EQ(ListTree(w.tmp_ / "new/pump"), (std::vector<std::string>{"keep.txt"}));

  w.ui_.shown.clear();
  w.ui_.confirm_answers = {true};
  w.Click("Button_Rename");
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                             {"Result", "Finished!"}}));
  EXPECT_FALSE(FileExists(w.tmp_ / "new/pump/keep.txt"));
  EXPECT_TRUE(FileExists(w.tmp_ / "new/pump/pump.wsp"));
}

TYPED_TEST_P(WindowWorkflowTest, CopyOntoTheProjectItselfAsksNothingAndDeletesNothing) {
  TypeParam w;
  const std::string blinky = w.Sample("blinky");
  w.Open();
  w.Drop({blinky});
  w.Click("CheckBox_CopyProject");  // the proposed target is the project's own folder
  w.Click("Button_Rename");
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Copy Project!"},
                                             {"Result", "Finished with ERROR(s)"}}));
  EXPECT_EQ(w.model().state().LastFailure, Failure(RenameError::kCopy));
  EXPECT_EQ(Snapshot(blinky), Snapshot(w.Example("blinky")));
}

TYPED_TEST_P(WindowWorkflowTest, RewriterFailureIsShownAndTheWindowStaysUsable) {
  TypeParam w;
  const std::string valve = w.Sample("valve");
  const std::string uvproj = valve + Separator() + "valve.uvproj";
  w.Open();
  w.Drop({valve});
  w.Type("Edit_New_WspPrj", "tap");
  w.file_system_.set_space(16);
  w.Click("Button_Rename");
  w.file_system_.set_space(-1);
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Kelvandor", "Disk full"}}));
  EXPECT_FALSE(w.ui_.busy);
  EXPECT_EQ(CurrentDir(), w.tmp_ / "work");
  // Nothing lost: the project file is still there under one of its names.
  const std::string old = ReadFile(w.Example("valve") + Separator() + "valve.uvproj");
  EXPECT_TRUE((FileExists(uvproj) && ReadFile(uvproj) == old) ||
              (FileExists(uvproj + ".bak") && ReadFile(uvproj + ".bak") == old));

  w.ui_.shown.clear();
  w.Drop({valve});
  w.Type("Edit_New_WspPrj", "tap");
  w.Click("Button_Rename");
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(valve + Separator() + "tap.uvproj"));
}

TYPED_TEST_P(WindowWorkflowTest, CleanOnlyRenamesTheKeptImagesAfterTheTypedName) {
  TypeParam w;
  const std::string valve = w.Sample("valve");
  w.Open();
  w.Click("Button_CleanOnly");  // nothing loaded: still the result
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));

  w.ui_.shown.clear();
  w.Drop({valve});
  w.Type("Edit_New_WspPrj", "tap");
  w.Click("Button_CleanOnly");
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));
  EXPECT_TRUE(FileExists(w.tmp_ / "work/valve/valve.uvproj"));  // project files keep their names
  EXPECT_TRUE(FileExists(w.tmp_ / "work/valve/output/release/tap.hex"));
  EXPECT_FALSE(FileExists(w.tmp_ / "work/valve/output/release/valve.hex"));
  EXPECT_TRUE(FileExists(w.tmp_ / "work/valve/output/debug/valve.hex"));
  EXPECT_FALSE(FileExists(w.tmp_ / "work/valve/valve.uvgui.anna"));
  EXPECT_FALSE(FileExists(w.tmp_ / "work/valve/valve_Release.dep"));
}

TYPED_TEST_P(WindowWorkflowTest, CleanCommandClosesTheWindowWithoutResult) {
  TypeParam w;
  const std::string project = w.Sample("blinky");
  w.Open({{"clean", project}, w.tmp_.path()});
  EXPECT_TRUE(w.Closed());
  EXPECT_TRUE(w.ui_.shown.empty());
  EXPECT_FALSE(FileExists(w.tmp_ / "work/blinky/OBJ/main.obj"));
  EXPECT_TRUE(FileExists(w.tmp_ / "work/blinky/blinky.prj"));
}

TYPED_TEST_P(WindowWorkflowTest, DropOfThreeLoadsTheFirstAndFocusesTheName) {
  TypeParam w;
  w.Open();
  w.Drop({w.Sample("blinky"), w.tmp_ / "work", w.tmp_ / "bin"});
  EXPECT_TRUE(w.ui_.shown.empty());
  EXPECT_EQ(w.Text("Edit_Old_Dir"), "blinky");
  EXPECT_EQ(w.Text("Edit_Old_Path"), w.tmp_ / "work" + Separator());
  EXPECT_EQ(w.Text("Edit_New_WspPrj"), "blinky");
  EXPECT_TRUE(w.Focused("Edit_New_WspPrj"));
  EXPECT_TRUE(w.Enabled("Button_Rename"));
}

// The window says what it found, and "Preview" shows the plan; its "Rename"
// runs it.
TYPED_TEST_P(WindowWorkflowTest, PreviewOfTheDualCoreSampleRunsFromItsRename) {
  TypeParam w;
  const std::string drive = w.Sample("drive");
  w.Open();
  w.Drop({w.tmp_ / "missing"});
  EXPECT_FALSE(w.Enabled("Button_Preview"));
  w.ui_.shown.clear();
  w.Drop({drive});
  EXPECT_EQ(w.Text("Edit_Old_Found"),
            "Eclipse: drive, sub-projects CM4, CM7; generator file drive.ioc");
  EXPECT_TRUE(w.Enabled("Button_Preview"));
  w.Type("Edit_New_WspPrj", "pump");
  w.ui_.preview_answers = {true};
  w.Click("Button_Preview");

  ASSERT_EQ(w.ui_.previews.size(), 1u);
  const std::string& plan = w.ui_.previews[0].text;
  EXPECT_TRUE(plan.starts_with("Dry run: nothing has been changed.\n")) << plan;
  EXPECT_NE(plan.find("+++ b/CM4/.project"), std::string::npos) << plan;
  EXPECT_EQ(w.ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(drive + Separator() + "pump.ioc"));
  EXPECT_NE(w.Read("work/drive/CM7/.project").find("<name>pump_CM7</name>"), std::string::npos);
}

REGISTER_TYPED_TEST_SUITE_P(
    WindowWorkflowTest, ControlsFollowTheLayoutTable, PreviewOfTheDualCoreSampleRunsFromItsRename,
    TypicalCopyOfBlinkyToPumpByteForByte, RenameFolderOfTheExampleLayoutFollowsTheName,
    InPlaceWithBackupKeepsTheBackups, ArchiveIsCopiedToTheConfiguredPathAndTempDirGoesOnClose,
    ArchiveIsNeverCopiedIntoTheTemporaryFolder, ExistingTargetIsKeptOnNoAndReplacedOnYes,
    CopyOntoTheProjectItselfAsksNothingAndDeletesNothing,
    RewriterFailureIsShownAndTheWindowStaysUsable, CleanOnlyRenamesTheKeptImagesAfterTheTypedName,
    CleanCommandClosesTheWindowWithoutResult, DropOfThreeLoadsTheFirstAndFocusesTheName);

}  // namespace testing
}  // namespace kelvandor
