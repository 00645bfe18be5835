#pragma once

// The main window, TForm1.
//
// A path arrives from the command line (FormActivate), from a drop onto the
// window (WMDropFiles) or from the folder button of group "Old". Every
// handler copies the widgets into FormModel, runs the model's handler and
// shows the model's controls again; the widgets themselves are made from the
// shared layout table (app/form_layout.h). The model's NewInput unpacks an archive,
// classifies the project, fills the Old fields and proposes the New ones.
// "Rename" hands the New fields to the rename workflow (copy, folder rename
// or in place; then the project-file rewriters and, with "CleanUp", the
// build-output clean-up); "Clean-Only" and the command word "clean" run the
// clean-up alone. Whatever the core shows goes through QtUserInterface.

#include <memory>
#include <string>
#include <vector>

#include <QColor>
#include <QIcon>
#include <QString>
#include <QWidget>

#include "app/form_layout.h"
#include "app/form_model.h"
#include "app/window_start.h"
#include "platform/user_interface.h"

class QAbstractButton;
class QCheckBox;
class QLineEdit;

namespace kelvandor {

class QtUserInterface;

// The desktop entry's name without ".desktop"; on Wayland it ties the window
// to the entry and so to the menu's icon.
inline constexpr const char* kDesktopFileName = "org.kelvandor.Kelvandor";
// The 3-D light colour of the fields that only display.
inline constexpr QRgb k3DLightColour = 0xFFE3E3E3;

// The program's icon in every size the icon theme installs.
QIcon ProgramIcon();

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `ui` replaces the window's own dialogs (tests); without it the window
  // uses QtUserInterface. Runs FormCreate.
  explicit TForm1(WindowStart start, UserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TForm1() override;

  FormModel& model() { return model_; }

  void FormActivate();
  void WMDropFiles(const std::vector<std::string>& paths);
  // Runs the handler of a control; `ticked` is the state of a clicked box.
  void Handle(Handler handler, bool ticked = false);

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct EditBinding {
    QLineEdit* widget = nullptr;
    EditState FormControls::*field = nullptr;
    QString shown;  // the text last written, to keep the model's bytes
  };
  struct CheckBoxBinding {
    QCheckBox* widget = nullptr;
    CheckBoxState FormControls::*field = nullptr;
    bool has_handler = false;  // its ticks go through the model's setter
  };
  struct ButtonBinding {
    QAbstractButton* widget = nullptr;
    ButtonState FormControls::*field = nullptr;
  };

  void FormCreate();
  void FormClose();
  // Makes the widgets of the shared layout table and binds them to the model.
  void BuildControls();
  void Gather();
  void WriteBack();
  template <typename Call>
  void Run(Call&& call);

  WindowStart start_;
  std::unique_ptr<QtUserInterface> own_ui_;
  FormModel model_;
  std::vector<EditBinding> edits_;
  std::vector<CheckBoxBinding> check_boxes_;
  std::vector<ButtonBinding> buttons_;
  QColor window_colour_;
  bool shown_once_ = false;
  bool activated_ = false;
};

}  // namespace kelvandor
