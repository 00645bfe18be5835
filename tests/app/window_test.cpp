#include "app/unit_kelvandor.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/configuration.h"
#include "app/qt_user_interface.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::CrLf;
using ::kelvandor::testing::MakeDirs;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteFile;

const std::string kSep = SeparatorString();

// Runs `step` on the next modal dialog of type T once it is open.
template <typename T>
void WhenModal(std::function<void(T*)> step) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, step] {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      step(dialog);
    }
  });
  poll->start();
}

class WindowTest : public ::testing::Test {
 protected:
  void Open(CommandLine command_line = {}) {
    window_ = std::make_unique<TForm1>(WindowStart{exe_dir_, std::move(command_line), 0, {}}, &ui_);
  }
  template <typename T = QWidget>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Text(const char* edit) { return Find<QLineEdit>(edit)->text(); }
  QColor Base(const char* edit) { return Find<QLineEdit>(edit)->palette().color(QPalette::Base); }

  std::string Blinky() {
    const std::string dir = tmp_ / "work/blinky";
    MakeDirs(tmp_ / "work");
    EXPECT_TRUE(CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + kSep + "blinky", dir));
    return dir;
  }

  void Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls.push_back(QUrl::fromLocalFile(FromBytes(p)));
    mime.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QApplication::sendEvent(window_.get(), &drop);
  }

  TempDir tmp_;
  std::string exe_dir_ = tmp_ / "bin";
  RecordingUi ui_;
  std::unique_ptr<TForm1> window_;
};

TEST_F(WindowTest, ControlsHaveTheirNamesCaptionsAndPlaces) {
  Open();
  EXPECT_EQ(window_->windowTitle(),
            QStringLiteral("Kelvandor for Orlinth Microcontroller Projects V2.1.03"));
  EXPECT_EQ(window_->minimumSize(), QSize(563, 305));
  EXPECT_EQ(window_->maximumSize(), QSize(563, 305));
  // The icon of the desktop entry, in every size the icon theme gets.
  const QList<QSize> icon_sizes = window_->windowIcon().availableSizes();
  EXPECT_EQ(icon_sizes.size(), 8);
  EXPECT_TRUE(icon_sizes.contains(QSize(16, 16)) && icon_sizes.contains(QSize(256, 256)));
  EXPECT_FALSE(window_->windowIcon().pixmap(QSize(48, 48)).isNull());

  const struct {
    const char* name;
    const char* caption;  // nullptr for edit fields and speed buttons
  } controls[] = {
      {"Edit_Old_Path", nullptr},
      {"Edit_Old_Dir", nullptr},
      {"Edit_Old_Wsp", nullptr},
      {"Edit_Old_Prj", nullptr},
      {"Edit_Old_UVProj", nullptr},
      {"Edit_Old_EWW", nullptr},
      {"SpeedButton_OpenInput", nullptr},
      {"Edit_New_Path", nullptr},
      {"SpeedButton_OpenNewDir", nullptr},
      {"Edit_New_Dir", nullptr},
      {"Edit_New_WspPrj", nullptr},
      {"CheckBox_CopyProject", "Copy Project"},
      {"CheckBox_RenameFolder", "Rename Folder"},
      {"CheckBox_CleanUp", "CleanUp"},
      {"CheckBox_Backup", "Backup Project Files"},
      {"Button_Rename", "Rename"},
      {"Button_CleanOnly", "Clean-Only"},
      {"Button1", "Save Config"},
      {"Button_Close", "Close"},
  };
  const QRect client = window_->rect();
  for (const auto& c : controls) {
    QWidget* w = Find(c.name);
    if (!w) continue;
    const QRect box(w->mapTo(window_.get(), QPoint(0, 0)), w->size());
    EXPECT_TRUE(client.contains(box)) << c.name;
    if (c.caption) {
      auto* button = qobject_cast<QAbstractButton*>(w);
      ASSERT_NE(button, nullptr) << c.name;
      EXPECT_EQ(button->text(), QString::fromLatin1(c.caption));
    }
  }
  EXPECT_EQ(Find("CheckBox_CleanUp")->toolTip(),
            QStringLiteral("Will clean the subfolders: ABS, LST, OBJ and OPT"));
  EXPECT_TRUE(Find<QCheckBox>("CheckBox_CleanUp")->isChecked());

  // Old above New above the bottom row, which runs left to right.
  const auto at = [&](const char* name) { return Find(name)->mapTo(window_.get(), QPoint()); };
  const auto top = [&](const char* name) { return at(name).y(); };
  const auto left = [&](const char* name) { return at(name).x(); };
  EXPECT_LT(top("Edit_Old_EWW"), top("Edit_New_Path"));
  EXPECT_LT(top("CheckBox_CleanUp"), top("Button_Rename"));
  EXPECT_EQ(top("Edit_New_WspPrj"), top("CheckBox_CopyProject"));
  EXPECT_LT(left("Edit_New_WspPrj"), left("CheckBox_CopyProject"));
  EXPECT_LT(left("CheckBox_CopyProject"), left("CheckBox_RenameFolder"));
  EXPECT_LT(left("Edit_Old_Prj"), left("SpeedButton_OpenInput"));
  EXPECT_LT(left("Edit_New_Path"), left("SpeedButton_OpenNewDir"));
  const char* bottom[] = {"Button_Rename", "CheckBox_Backup", "Button_CleanOnly", "Button1",
                          "Button_Close"};
  for (int i = 1; i < 5; ++i) EXPECT_LT(left(bottom[i - 1]), left(bottom[i])) << bottom[i];

  EXPECT_EQ(Base("Edit_Old_Wsp"), QColor(0xE3, 0xE3, 0xE3));
  EXPECT_TRUE(Find<QLineEdit>("Edit_Old_Wsp")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_WspPrj")->isReadOnly());
}

TEST_F(WindowTest, DropLoadsTheFirstItemAndFocusesTheName) {
  Open();
  const std::string project = Blinky();
  Drop({project, tmp_ / "work", tmp_ / "bin"});
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(Text("Edit_Old_Dir"), QStringLiteral("blinky"));
  EXPECT_EQ(Text("Edit_New_WspPrj"), QStringLiteral("blinky"));
  EXPECT_EQ(window_->focusWidget(), Find("Edit_New_WspPrj"));
  EXPECT_TRUE(Find("Button_Rename")->isEnabled());
}

TEST_F(WindowTest, DroppedPathIsNeverCut) {
  Open();
  const std::string long_path = tmp_ / std::string(300, 'x');
  Drop({long_path});
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
  EXPECT_EQ(Text("Edit_Old_Path"), FromBytes(long_path));
  EXPECT_FALSE(Find("Button_Rename")->isEnabled());
}

TEST_F(WindowTest, ConfiguredTickAndUserClicksSwitchModes) {
  WriteFile(ConfigFilePath(exe_dir_), CrLf({"RenameFolder=1"}));
  Open();
  EXPECT_TRUE(Find<QCheckBox>("CheckBox_RenameFolder")->isChecked());
  Drop({Blinky()});
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_Dir")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Dir"), QColor(Qt::white));

  QTest::mouseClick(Find<QCheckBox>("CheckBox_CopyProject"), Qt::LeftButton);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox_CopyProject")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox_RenameFolder")->isChecked());
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Path"), QColor(Qt::white));

  QTest::mouseClick(Find<QCheckBox>("CheckBox_CopyProject"), Qt::LeftButton);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox_CopyProject")->isChecked());
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Dir")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Dir"), QColor(0xE3, 0xE3, 0xE3));
}

TEST_F(WindowTest, KeyReleaseCopiesTheNameInRenameFolderModeOnly) {
  Open();
  Drop({Blinky()});
  auto* name = Find<QLineEdit>("Edit_New_WspPrj");
  name->clear();
  QTest::keyClicks(name, "abc");
  EXPECT_EQ(Text("Edit_New_Dir"), QStringLiteral("blinky"));

  QTest::mouseClick(Find<QCheckBox>("CheckBox_RenameFolder"), Qt::LeftButton);
  name->clear();
  QTest::keyClicks(name, "abc");
  EXPECT_EQ(Text("Edit_New_Dir"), QStringLiteral("abc"));
  EXPECT_EQ(window_->model().controls().Edit_New_WspPrj.text, "abc");
}

TEST_F(WindowTest, CleanOnlyShowsCleaned) {
  Open();
  QTest::mouseClick(Find<QPushButton>("Button_CleanOnly"), Qt::LeftButton);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Result", "Cleaned!"}}));
}

TEST_F(WindowTest, CommandLineIsHandledOnceAfterShowing) {
  Open({{tmp_ / "missing"}, tmp_.path()});
  window_->show();
  QApplication::processEvents();
  window_->activateWindow();
  QApplication::processEvents();
  window_->FormActivate();
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
}

TEST_F(WindowTest, CleanCommandClosesTheWindowWithoutResult) {
  const std::string project = Blinky();
  Open({{"clean", project}, tmp_.path()});
  window_->show();
  QApplication::processEvents();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_FALSE(FileExists(project + kSep + "OBJ" + kSep + "main.obj"));
}

TEST(FolderDialogTest, TypedMissingFolderIsCreatedAfterYes) {
  TempDir tmp;
  QtUserInterface ui(nullptr);
  const std::string wanted = tmp / "a/b";
  WhenModal<FolderDialog>([&](FolderDialog* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(FromBytes(wanted));
    WhenModal<QMessageBox>([](QMessageBox* question) {
      EXPECT_EQ(question->text(),
                QStringLiteral("The specified directory does not exist. Create it?"));
      question->button(QMessageBox::Yes)->click();
    });
    dialog->accept();
  });
  EXPECT_EQ(ui.ChooseFolder(tmp.path()), wanted);
  EXPECT_TRUE(DirectoryExists(wanted));
}

TEST(FolderDialogTest, NoKeepsTheDialogOpenAndCancelCreatesNothing) {
  TempDir tmp;
  QtUserInterface ui(nullptr);
  WhenModal<FolderDialog>([&](FolderDialog* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(FromBytes(tmp / "never"));
    WhenModal<QMessageBox>(
        [](QMessageBox* question) { question->button(QMessageBox::No)->click(); });
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
  });
  EXPECT_EQ(ui.ChooseFolder(tmp.path()), std::nullopt);
  EXPECT_FALSE(DirectoryExists(tmp / "never"));
}

}  // namespace
}  // namespace kelvandor
