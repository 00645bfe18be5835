#include "app/qt_user_interface.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QWidget>

#include "app/report_text.h"
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

QTextCharFormat LineFormat(ReportLine kind) {
  QTextCharFormat format;
  switch (kind) {
    case ReportLine::kPlain:
      break;
    case ReportLine::kFileName:
      format.setFontWeight(QFont::Bold);
      break;
    case ReportLine::kHunk:
      format.setForeground(QColor(0x00, 0x60, 0x90));
      break;
    case ReportLine::kAdded:
      format.setForeground(QColor(0x00, 0x70, 0x00));
      break;
    case ReportLine::kRemoved:
      format.setForeground(QColor(0xB0, 0x00, 0x00));
      break;
  }
  return format;
}

}  // namespace

PreviewDialog::PreviewDialog(QWidget* parent, std::string_view title, std::string_view text,
                             bool can_run)
    : QDialog(parent) {
  setWindowTitle(FromBytes(title));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  auto* view = new QPlainTextEdit(this);
  view->setObjectName(QStringLiteral("PreviewText"));
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Project files indent by tabs; at the default stops a deep line starts
  // beyond the view.
  view->setTabStopDistance(4 * view->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  QTextCursor cursor(view->document());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    cursor.insertText(FromBytes(line), LineFormat(KindOfLine(line)));
    if (!text.empty()) cursor.insertBlock();
  }
  view->moveCursor(QTextCursor::Start);
  layout->addWidget(view);
  auto* buttons = new QDialogButtonBox(this);
  if (can_run) {
    buttons->addButton(QStringLiteral("&Rename"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("PreviewRename"));
  }
  buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("PreviewClose"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(760, 520);
}

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

bool QtUserInterface::ShowPreview(std::string_view title, std::string_view text, bool can_run) {
  PreviewDialog dialog(window_, title, text, can_run);
  return dialog.exec() == QDialog::Accepted && can_run;
}

void QtUserInterface::ShowRunResult(std::string_view text, std::string_view details) {
  // The box closes at every button; after the details it shows again.
  for (;;) {
    QMessageBox box(QMessageBox::NoIcon, FromBytes(kResultCaption), FromBytes(text),
                    QMessageBox::Ok, window_);
    QPushButton* more = box.addButton(QStringLiteral("&Details"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() != more) return;
    ShowPreview(kDetailsTitle, details, false);
  }
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
