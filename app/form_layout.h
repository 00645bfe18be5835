#pragma once

// The arrangement of the main window, written once for every window that
// shows it: each control's name, kind, caption, hint, place and size, the
// group it sits in, the model field it shows and the handler it runs. The Qt
// window and the native Windows window both build their controls from this
// table and map them to FormModel by the same names.

#include <span>
#include <string>
#include <string_view>

#include "app/form_model.h"

namespace kelvandor {

inline constexpr std::string_view kWindowCaption =
    "Kelvandor for Orlinth Microcontroller Projects V2.1.03";
// The client area the table fills, in pixels at 96 dots per inch.
inline constexpr int kWindowWidth = 563;
inline constexpr int kWindowHeight = 329;
inline constexpr std::string_view kWindowFontName = "MS Sans Serif";
inline constexpr int kWindowFontPoints = 8;

enum class ControlKind { kGroup, kLabel, kEdit, kCheckBox, kButton, kSpeedButton };

// The handlers a control runs: on a click, or on a key release in the edit.
// Each window maps them to FormModel; a switch over them leaves none out.
enum class Handler {
  kNone,
  SpeedButton_OpenInputClick,
  SpeedButton_OpenNewDirClick,
  Edit_New_WspPrjKeyUp,
  CheckBox_CopyProjectClick,
  CheckBox_RenameFolderClick,
  Button_RenameClick,
  Button_PreviewClick,
  Button1Click_CleanUpProject,
  Button1Click_SaveConfig,
  Button_CloseClick,
};

struct ControlLayout {
  std::string_view name;
  ControlKind kind = ControlKind::kLabel;
  std::string_view caption;  // empty for edits and speed buttons
  std::string_view hint;     // shown while the pointer rests on the control
  // The letter of the caption that Alt takes the keyboard to; 0 for none.
  char shortcut = 0;
  // Place and size within the group (its top left corner is 0, 0), or within
  // the client area when `group` is empty.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string_view group;  // name of the group box that holds it, or empty
  // The model's state of the control; at most one is set.
  EditState FormControls::*edit = nullptr;
  CheckBoxState FormControls::*check_box = nullptr;
  ButtonState FormControls::*button = nullptr;
  Handler handler = Handler::kNone;
};

struct ClientRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ClientRect&) const = default;
};

// Every control, groups before what they hold, in the tab order.
std::span<const ControlLayout> FormLayout();

// The row of the control called `name`, or nullptr.
const ControlLayout* FindControl(std::string_view name);

// Where the control lies in the window's client area.
ClientRect ClientRectOf(const ControlLayout& control);

// The caption as a window sets it: "&" before the shortcut's letter, and
// "&&" for a "&" of the caption.
std::string CaptionWithShortcut(const ControlLayout& control);

// Runs the model's handler that `handler` names, for either window; `ticked`
// is the state a clicked check box has now. kNone and Button_CloseClick run
// nothing here: closing is the window's own.
void RunHandler(FormModel& model, Handler handler, bool ticked);

}  // namespace kelvandor
