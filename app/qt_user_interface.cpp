#include "app/qt_user_interface.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>

#include "platform/file_system.h"

namespace kelvandor {
namespace {

void ShowBox(QWidget* parent, std::string_view caption, std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, FromBytes(caption), FromBytes(text), QMessageBox::Ok,
                  parent);
  box.exec();
}

bool AskYesNo(QWidget* parent, std::string_view question) {
  QMessageBox box(QMessageBox::Question, FromBytes(kConfirmCaption), FromBytes(question),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

QString FromBytes(std::string_view bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToBytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

FolderDialog::FolderDialog(QWidget* parent, std::string_view start_folder) : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::ShowDirsOnly);
  setFileMode(QFileDialog::Directory);
  setDirectory(FromBytes(DirectoryExists(start_folder) ? std::string(start_folder) : CurrentDir()));
}

QString FolderDialog::ChosenFolder() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : QDir::cleanPath(files.first());
}

void FolderDialog::accept() {
  const QString folder = ChosenFolder();
  if (folder.isEmpty()) return;
  const QFileInfo info(folder);
  if (info.isDir()) {
    QFileDialog::accept();
    return;
  }
  if (info.exists()) return;  // a file is no folder to choose
  if (!AskYesNo(this, "The specified directory does not exist. Create it?")) return;
  QDialog::accept();
}

QtUserInterface::QtUserInterface(QWidget* window) : window_(window) {}

QtUserInterface::~QtUserInterface() {
  if (busy_depth_ > 0) QApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowMessage(std::string_view text) { ShowBox(window_, kAppTitle, text); }

void QtUserInterface::ShowResult(std::string_view text) { ShowBox(window_, kResultCaption, text); }

bool QtUserInterface::Confirm(std::string_view question) { return AskYesNo(window_, question); }

std::optional<std::string> QtUserInterface::ChooseFolder(std::string_view start_folder) {
  FolderDialog dialog(window_, start_folder);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::string folder = ToBytes(QDir::toNativeSeparators(dialog.ChosenFolder()));
  MakeDirectories(folder);
  return folder;
}

void QtUserInterface::SetBusy(bool busy) {
  if (busy) {
    if (busy_depth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_depth_ > 0 && --busy_depth_ == 0) {
    QApplication::restoreOverrideCursor();
  }
  if (window_) window_->repaint();
}

void QtUserInterface::CopyProgress(std::uint64_t done, std::uint64_t total) {
  if (total == 0 || done >= total) {
    progress_.reset();
    return;
  }
  if (!progress_) {
    // Shows itself only once the copy has taken a second and is not about
    // to end.
    progress_ = std::make_unique<QProgressDialog>(window_);
    progress_->setWindowTitle(FromBytes(kAppTitle));
    progress_->setLabelText(QStringLiteral("Copying the project ..."));
    progress_->setCancelButton(nullptr);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(1000);
    progress_->setRange(0, 1000);
    progress_->setValue(0);
  }
  progress_->setValue(static_cast<int>(done * 1000 / total));
}

}  // namespace kelvandor
