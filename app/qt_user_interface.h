#pragma once

// UserInterface with real dialogs: message boxes, the Yes/No question, the
// busy cursor, a progress dialog for long copies and the folder dialog.

#include <memory>
#include <optional>
#include <string>

#include <QDialog>
#include <QFileDialog>
#include <QPointer>
#include <QString>

#include "platform/user_interface.h"

class QProgressDialog;
class QWidget;

namespace kelvandor {

// Program strings are bytes in the local 8-bit encoding (the ANSI code page on
// Windows, UTF-8 elsewhere); QString only lives in the window.
QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);

// The folder dialog: opens at the start folder (or the current folder when
// that is no folder) and also accepts a typed folder that does not exist yet,
// after the user agreed to create it. No help button.
class FolderDialog : public QFileDialog {
  Q_OBJECT

 public:
  FolderDialog(QWidget* parent, std::string_view start_folder);

  // The chosen folder once the dialog was accepted. Creating it is the
  // caller's part.
  QString ChosenFolder() const;

  void accept() override;
};

// The dialog of ShowPreview, resizable; exec() gives QDialog::Accepted for
// "Rename".
class PreviewDialog : public QDialog {
  Q_OBJECT

 public:
  PreviewDialog(QWidget* parent, std::string_view title, std::string_view text, bool can_run);
};

class QtUserInterface : public UserInterface {
 public:
  // `window` is the parent of the dialogs and is repainted with the cursor.
  explicit QtUserInterface(QWidget* window);
  ~QtUserInterface() override;
  QtUserInterface(const QtUserInterface&) = delete;
  QtUserInterface& operator=(const QtUserInterface&) = delete;

  void ShowMessage(std::string_view text) override;
  void ShowResult(std::string_view text) override;
  bool Confirm(std::string_view question) override;
  std::optional<std::string> ChooseFolder(std::string_view start_folder) override;
  void SetBusy(bool busy) override;
  void CopyProgress(std::uint64_t done, std::uint64_t total) override;
  bool ShowPreview(std::string_view title, std::string_view text, bool can_run) override;
  void ShowRunResult(std::string_view text, std::string_view details) override;

 private:
  QPointer<QWidget> window_;
  int busy_depth_ = 0;
  std::unique_ptr<QProgressDialog> progress_;
};

}  // namespace kelvandor
