#include "app/unit_kelvandor.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/configuration.h"
#include "app/qt_user_interface.h"
#include "platform/file_system.h"
#include "tests/app/qt_window_driver.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using ::kelvandor::testing::CrLf;
using ::kelvandor::testing::QtWindowDriver;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteFile;

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

class WindowTest : public ::testing::Test, public QtWindowDriver {
 protected:
  QColor Base(const char* edit) { return Find<QLineEdit>(edit)->palette().color(QPalette::Base); }
};

// What the layout table leaves to the window: its title, size and icon, and
// the fields' colours.
TEST_F(WindowTest, TitleSizeIconAndFieldColours) {
  Open();
  EXPECT_EQ(ToBytes(window_->windowTitle()), kWindowCaption);
  EXPECT_EQ(window_->minimumSize(), QSize(kWindowWidth, kWindowHeight));
  EXPECT_EQ(window_->maximumSize(), QSize(kWindowWidth, kWindowHeight));
  // The icon of the desktop entry, in every size the icon theme gets.
  const QList<QSize> icon_sizes = window_->windowIcon().availableSizes();
  EXPECT_EQ(icon_sizes.size(), 8);
  EXPECT_TRUE(icon_sizes.contains(QSize(16, 16)) && icon_sizes.contains(QSize(256, 256)));
  EXPECT_FALSE(window_->windowIcon().pixmap(QSize(48, 48)).isNull());

  EXPECT_EQ(Base("Edit_Old_Wsp"), QColor(0xE3, 0xE3, 0xE3));
  EXPECT_TRUE(Find<QLineEdit>("Edit_Old_Wsp")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_WspPrj")->isReadOnly());
}

TEST_F(WindowTest, DroppedPathIsNeverCut) {
  Open();
  const std::string long_path = tmp_ / std::string(300, 'x');
  Drop({long_path});
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
  EXPECT_EQ(Text("Edit_Old_Path"), long_path);
  EXPECT_FALSE(Enabled("Button_Rename"));
}

TEST_F(WindowTest, ConfiguredTickAndUserClicksSwitchModes) {
  WriteFile(ConfigFilePath(exe_dir_), CrLf({"RenameFolder=1"}));
  Open();
  EXPECT_TRUE(Checked("CheckBox_RenameFolder"));
  Drop({Sample("blinky")});
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_Dir")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Dir"), QColor(Qt::white));

  Click("CheckBox_CopyProject");
  EXPECT_TRUE(Checked("CheckBox_CopyProject"));
  EXPECT_FALSE(Checked("CheckBox_RenameFolder"));
  EXPECT_FALSE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Path"), QColor(Qt::white));

  Click("CheckBox_CopyProject");
  EXPECT_FALSE(Checked("CheckBox_CopyProject"));
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Path")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>("Edit_New_Dir")->isReadOnly());
  EXPECT_EQ(Base("Edit_New_Dir"), QColor(0xE3, 0xE3, 0xE3));
}

TEST_F(WindowTest, KeyReleaseCopiesTheNameInRenameFolderModeOnly) {
  Open();
  Drop({Sample("blinky")});
  Type("Edit_New_WspPrj", "abc");
  EXPECT_EQ(Text("Edit_New_Dir"), "blinky");

  Click("CheckBox_RenameFolder");
  Type("Edit_New_WspPrj", "abc");
  EXPECT_EQ(Text("Edit_New_Dir"), "abc");
  EXPECT_EQ(window_->model().controls().Edit_New_WspPrj.text, "abc");
}

TEST_F(WindowTest, CommandLineIsHandledOnceAfterShowing) {
  Open({{tmp_ / "missing"}, tmp_.path()});
  window_->activateWindow();
  QApplication::processEvents();
  window_->FormActivate();
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Input File not found!"}));
}

// The real dialogs: the plan in a fixed-width font with "Rename" only when
// the plan can run, and the run's details from the result box.
TEST(PreviewDialogTest, RenameOnlyWhenThePlanCanRun) {
  QtUserInterface ui(nullptr);
  for (const bool can_run : {true, false}) {
    WhenModal<PreviewDialog>([can_run](PreviewDialog* dialog) {
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvandor - Preview"));
      const auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("PreviewText"));
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->toPlainText(), QStringLiteral("--- a/x.prj\n-old\n+new"));
      EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
      auto* rename = dialog->findChild<QPushButton*>(QStringLiteral("PreviewRename"));
      EXPECT_EQ(rename != nullptr, can_run);
      if (rename) {
        rename->click();
      } else {
        dialog->findChild<QPushButton*>(QStringLiteral("PreviewClose"))->click();
      }
    });
    EXPECT_EQ(ui.ShowPreview(kPreviewTitle, "--- a/x.prj\r\n-old\r\n+new\r\n", can_run), can_run);
  }
}

TEST(PreviewDialogTest, DetailsOfTheResultShowInThePreviewDialog) {
  QtUserInterface ui(nullptr);
  bool details_shown = false;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Result"));
    EXPECT_EQ(box->text(), QStringLiteral("Finished!"));
    WhenModal<PreviewDialog>([&](PreviewDialog* dialog) {
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvandor - Details"));
      details_shown = true;
      WhenModal<QMessageBox>([](QMessageBox* again) { again->button(QMessageBox::Ok)->click(); });
      dialog->reject();
    });
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("&Details")) button->click();
    }
  });
  ui.ShowRunResult("Finished!", "Files copied: 0 files, 0 B\n");
  EXPECT_TRUE(details_shown);
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
