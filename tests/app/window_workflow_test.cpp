// The rename workflow and the clean-up driven end to end through the real
// window: a dropped project, the New fields typed, the buttons clicked, and
// the resulting folders checked on disk.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/configuration.h"
#include "app/qt_user_interface.h"
#include "app/unit_kelvandor.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_budget.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::CrLf;
using ::kelvandor::testing::CurrentDirGuard;
using ::kelvandor::testing::ListTree;
using ::kelvandor::testing::MakeDirs;
using ::kelvandor::testing::ReadFile;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteBudget;
using ::kelvandor::testing::WriteFile;

const std::string kSep = SeparatorString();

class WindowWorkflowTest : public ::testing::Test {
 protected:
  void Open() { window_ = std::make_unique<TForm1>(WindowStart{exe_dir_, {}, 0, {}}, &ui_); }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // A copy of a sample project below the test's folder.
  std::string Sample(const std::string& name) {
    MakeDirs(tmp_ / "work");
    const std::string dir = tmp_ / ("work/" + name);
    EXPECT_TRUE(CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + name, dir));
    return dir;
  }

  void Drop(const std::string& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(FromBytes(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QApplication::sendEvent(window_.get(), &drop);
  }

  void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }

  // Replaces the text of an edit field as typing would.
  void Type(const char* name, const std::string& text) {
    auto* edit = Find<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, FromBytes(text));
  }

  std::string Text(const char* name) { return ToBytes(Find<QLineEdit>(name)->text()); }

  TempDir tmp_;
  CurrentDirGuard cwd_;
  std::string exe_dir_ = tmp_ / "bin";
  RecordingUi ui_;
  std::unique_ptr<TForm1> window_;
};

TEST_F(WindowWorkflowTest, TypicalCopyOfBlinkyToPump) {
  const std::string blinky = Sample("blinky");
  const std::vector<std::string> old_tree = ListTree(blinky);
  Open();
  Drop(blinky);
  Click("CheckBox_CopyProject");
  Type("Edit_New_Path", tmp_ / "new");  // without the final separator
  Type("Edit_New_Dir", "pump");
  Type("Edit_New_WspPrj", "pump");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_EQ(Text("Edit_New_Path"), tmp_ / "new" + kSep);
  EXPECT_FALSE(ui_.busy);
  EXPECT_EQ(CurrentDir(), tmp_ / "work");
  EXPECT_EQ(ListTree(blinky), old_tree);

  const std::string pump = tmp_ / "new/pump";
  EXPECT_EQ(ListTree(pump),
            (std::vector<std::string>{"ABS/", "ABS/blinky.hex", "ABS/pump.mhx", "LST/", "OBJ/",
                                      "OPT/", "pump.prj", "pump.wsp", "src/", "src/led.c",
                                      "src/led.h", "src/main.c"}));
  const std::string wsp = ReadFile(pump + kSep + "pump.wsp");
  EXPECT_NE(wsp.find("\r\nWSP=" + pump + kSep + "\r\n"), std::string::npos) << wsp;
  EXPECT_NE(wsp.find("\r\nFILE-0=pump.prj\r\n"), std::string::npos) << wsp;
  EXPECT_NE(wsp.find("\r\n[SubPrj-pump.prj]\r\n"), std::string::npos) << wsp;
  const std::string prj = ReadFile(pump + kSep + "pump.prj");
  EXPECT_NE(prj.find("PRJ=" + pump + kSep + "\r\n"), std::string::npos) << prj;
  EXPECT_NE(prj.find("ABS\\pump.abs\r\n"), std::string::npos) << prj;
  EXPECT_EQ(ReadFile(pump + kSep + "ABS" + kSep + "pump.mhx"),
            ReadFile(blinky + kSep + "ABS" + kSep + "blinky.mhx"));
}

TEST_F(WindowWorkflowTest, RenameFolderOfTheExampleLayoutFollowsTheName) {
  const std::string sensor = Sample("sensor");
  Open();
  Drop(sensor);
  Click("CheckBox_RenameFolder");
  Type("Edit_New_WspPrj", "probe");
  EXPECT_EQ(Text("Edit_New_Dir"), "probe");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_FALSE(DirectoryExists(sensor));
  const std::string probe = tmp_ / "work/probe";
  for (const char* file :
       {"example/IAR/probe.eww", "example/IAR/probe.ewp", "example/IAR/probe.ewd",
        "example/IAR/probe.dep", "example/ARM/probe.uvproj", "example/ARM/probe.uvopt"}) {
    EXPECT_TRUE(FileExists(tmp_ / ("work/probe/" + std::string(file)))) << file;
  }
  EXPECT_FALSE(FileExists(tmp_ / "work/probe/example/IAR/sensor.eww"));
  EXPECT_FALSE(FileExists(tmp_ / "work/probe/example/IAR/sensor.ewp.bak"));
  EXPECT_NE(ReadFile(probe + kSep + "example" + kSep + "IAR" + kSep + "probe.eww")
                .find("    <path>$WS_DIR$\\probe.ewp</path>\r\n"),
            std::string::npos);
}

TEST_F(WindowWorkflowTest, InPlaceWithBackupKeepsTheBackups) {
  const std::string motor = Sample("motor");
  Open();
  Drop(motor);
  Click("CheckBox_Backup");
  Type("Edit_New_WspPrj", "engine");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  for (const char* ext : {".eww", ".ewp", ".ewd", ".dep"}) {
    EXPECT_TRUE(FileExists(motor + kSep + "engine" + ext)) << ext;
    EXPECT_TRUE(FileExists(motor + kSep + "motor" + ext + ".bak")) << ext;
    EXPECT_FALSE(FileExists(motor + kSep + "motor" + ext)) << ext;
  }
}

TEST_F(WindowWorkflowTest, ArchiveIsCopiedToTheConfiguredPathAndTempDirGoesOnClose) {
  WriteFile(ConfigFilePath(exe_dir_), CrLf({"NewPath=" + tmp_ / "out" + kSep}));
  Open();
  Drop(KELVANDOR_DEMO_ARCHIVE);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox_CopyProject")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox_CopyProject")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button_CleanOnly")->isEnabled());
  Type("Edit_New_Dir", "demo");
  Type("Edit_New_WspPrj", "demo");
  Click("Button_Rename");

  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(tmp_ / "out/demo/demo.wsp"));
  EXPECT_TRUE(FileExists(tmp_ / "out/demo/demo.prj"));
  const std::string temp_dir = window_->model().project().temp_dir;
  ASSERT_TRUE(DirectoryExists(temp_dir));
  window_->close();
  EXPECT_FALSE(DirectoryExists(temp_dir));
}

TEST_F(WindowWorkflowTest, ArchiveIsNeverCopiedIntoTheTemporaryFolder) {
  Open();
  Drop(KELVANDOR_DEMO_ARCHIVE);  // no configured path: the proposal is the temporary folder
  const std::string temp_dir = window_->model().project().temp_dir;
  const std::vector<std::string> unpacked = ListTree(temp_dir);
  for (const char* dir : {"blinky", "pump"}) {
    ui_.shown.clear();
    Type("Edit_New_Dir", dir);
    Click("Button_Rename");
    EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Copy Project!"},
                                             {"Result", "Finished with ERROR(s)"}}))
        << dir;
    EXPECT_EQ(window_->model().state().LastFailure, Failure(RenameError::kCopy)) << dir;
    EXPECT_EQ(ListTree(temp_dir), unpacked) << dir;
  }
}

TEST_F(WindowWorkflowTest, ExistingTargetIsKeptOnNoAndReplacedOnYes) {
  const std::string blinky = Sample("blinky");
  WriteFile(tmp_ / "new/pump/keep.txt", "mine");
  Open();
  Drop(blinky);
  Click("CheckBox_CopyProject");
  Type("Edit_New_Path", tmp_ / "new" + kSep);
  Type("Edit_New_Dir", "pump");
  Type("Edit_New_WspPrj", "pump");

  ui_.confirm_answers = {false};
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                           {"Result", "Finished with ERROR(s)"}}));
  EXPECT_EQ(window_->model().state().LastFailure, Failure(RenameError::kTargetKept));
  EXPECT_EQ(ListTree(tmp_ / "new/pump"), (std::vector<std::string>{"keep.txt"}));

  ui_.shown.clear();
  ui_.confirm_answers = {true};
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"},
                                           {"Result", "Finished!"}}));
  EXPECT_FALSE(FileExists(tmp_ / "new/pump/keep.txt"));
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.wsp"));
}

TEST_F(WindowWorkflowTest, CopyOntoTheProjectItselfAsksNothingAndDeletesNothing) {
  const std::string blinky = Sample("blinky");
  const std::vector<std::string> old_tree = ListTree(blinky);
  Open();
  Drop(blinky);
  Click("CheckBox_CopyProject");  // the proposed target is the project's own folder
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Copy Project!"},
                                           {"Result", "Finished with ERROR(s)"}}));
  EXPECT_EQ(window_->model().state().LastFailure, Failure(RenameError::kCopy));
  EXPECT_EQ(ListTree(blinky), old_tree);
}

TEST_F(WindowWorkflowTest, RewriterFailureIsShownAndTheWindowStaysUsable) {
  const std::string valve = Sample("valve");
  const std::string old_uvproj = ReadFile(valve + kSep + "valve.uvproj");
  Open();
  Drop(valve);
  Type("Edit_New_WspPrj", "tap");
  {
    WriteBudget budget(16);
    Click("Button_Rename");
  }
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Disk full"}}));
  EXPECT_FALSE(ui_.busy);
  EXPECT_EQ(CurrentDir(), tmp_ / "work");
  // Nothing lost: the project file is still there under one of its names.
  const bool kept = (FileExists(valve + kSep + "valve.uvproj") &&
                     ReadFile(valve + kSep + "valve.uvproj") == old_uvproj) ||
                    (FileExists(valve + kSep + "valve.uvproj.bak") &&
                     ReadFile(valve + kSep + "valve.uvproj.bak") == old_uvproj);
  EXPECT_TRUE(kept);

  ui_.shown.clear();
  Drop(valve);
  Type("Edit_New_WspPrj", "tap");
  Click("Button_Rename");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Finished!"}}));
  EXPECT_TRUE(FileExists(valve + kSep + "tap.uvproj"));
}

TEST_F(WindowWorkflowTest, CleanOnlyRenamesTheKeptImagesAfterTheTypedName) {
  const std::string valve = Sample("valve");
  Open();
  Drop(valve);
  Type("Edit_New_WspPrj", "tap");
  Click("Button_CleanOnly");
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));
  EXPECT_TRUE(FileExists(valve + kSep + "valve.uvproj"));  // project files keep their names
  EXPECT_TRUE(FileExists(valve + kSep + "output" + kSep + "release" + kSep + "tap.hex"));
  EXPECT_FALSE(FileExists(valve + kSep + "output" + kSep + "release" + kSep + "valve.hex"));
  EXPECT_TRUE(FileExists(valve + kSep + "output" + kSep + "debug" + kSep + "valve.hex"));
  EXPECT_FALSE(FileExists(valve + kSep + "valve.uvgui.anna"));
  EXPECT_FALSE(FileExists(valve + kSep + "valve_Release.dep"));
}

}  // namespace
}  // namespace kelvandor
