#pragma once

// The main window, TForm1, drawn with the Windows API.
//
// A path arrives from the command line (FormActivate), from a drop from the
// shell (WMDropFiles) or from the folder button of group "Old". Every
// handler copies the controls into FormModel, runs the model's handler and
// shows the model's controls again; the controls themselves come from the
// shared layout table, exactly as in the Qt window. The model's NewInput
// unpacks an archive, classifies the project, fills the Old fields and
// proposes the New ones; "Rename" hands the New fields to the rename
// workflow, "Clean-Only" and the command word "clean" run the clean-up
// alone. Whatever the core shows goes through Win32UserInterface.
//
// Text crosses into the model as bytes of the ANSI code page. A dropped,
// chosen or command-line path that the code page cannot hold is taken by its
// short (8.3) name; where the file system has none, the window says so and
// loads nothing.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "app/form_layout.h"
#include "app/form_model.h"
#include "app/window_start.h"
#include "platform/user_interface.h"

namespace kelvandor::win32 {

class Win32UserInterface;

class TForm1 {
 public:
  // `ui` replaces the window's own dialogs (tests); without it the window
  // uses Win32UserInterface. Creates the window hidden and runs FormCreate.
  explicit TForm1(WindowStart start, UserInterface* ui = nullptr);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  HWND window() const { return window_; }
  // The tooltip control that shows the controls' hints.
  HWND tooltip() const { return tooltip_; }
  FormModel& model() { return model_; }
  // The control of the layout table called `name`, or nullptr.
  HWND Control(std::string_view name) const;
  // True once the window was closed (and destroyed).
  bool closed() const { return window_ == nullptr; }

  // Shows the window centred; the command line is handled as soon as the
  // messages are next processed.
  void Show(int show_command = SW_SHOWNORMAL);
  // Shows the window and processes messages until it is closed.
  int Run(int show_command = SW_SHOWNORMAL);

  void FormActivate();
  void WMDropFiles(const std::vector<std::wstring>& paths);

 private:
  struct Bound {
    const ControlLayout* layout = nullptr;
    HWND control = nullptr;
    std::wstring shown;  // an edit's text as last written, to keep the model's bytes
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void BuildControls();
  // Places every control, sets the font and sizes the window for `dpi`.
  void Layout(int dpi);
  void Centre();
  const Bound* BoundTo(HWND control) const;
  void Command(const Bound& bound);
  LRESULT FieldColours(HDC dc, HWND control);
  void Close();

  void Gather();
  void WriteBack();
  // Gathers the controls, runs `call` on the model and writes them back.
  template <typename Call>
  void Mapped(Call&& call);

  WindowStart start_;
  std::unique_ptr<Win32UserInterface> own_ui_;
  UserInterface& ui_;
  FormModel model_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND last_focus_ = nullptr;
  std::vector<Bound> controls_;
  struct Resources;
  std::unique_ptr<Resources> resources_;
  bool activated_ = false;
};

}  // namespace kelvandor::win32
