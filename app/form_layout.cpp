#include "app/form_layout.h"

#include <array>

namespace kelvandor {
namespace {

using C = FormControls;
using K = ControlKind;

// The rows of both groups: a label column, then fields; a second label
// column in the middle for the half-width fields.
constexpr int kMargin = 8;
constexpr int kGroupWidth = kWindowWidth - 2 * kMargin;
constexpr int kRowHeight = 21;
constexpr int kLabelX = 10;
constexpr int kLabelWidth = 74;
constexpr int kFieldX = kLabelX + kLabelWidth;
constexpr int kFieldRight = kGroupWidth - 10;
constexpr int kSpeedButtonSize = 25;
constexpr int kSpeedButtonX = kFieldRight - kSpeedButtonSize;
constexpr int kHalfFieldWidth = 170;
constexpr int kSecondLabelX = 268;
constexpr int kSecondFieldX = 306;
constexpr int kNewFieldWidth = kSpeedButtonX - 6 - kFieldX;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

constexpr int RowY(int row) { return 24 + row * 24; }

constexpr int kOldTop = 4;
constexpr int kOldHeight = RowY(5) + 4;
constexpr int kNewTop = kOldTop + kOldHeight + 3;
constexpr int kNewHeight = RowY(4);
constexpr int kBottomY = kWindowHeight - kMargin - kButtonHeight;
constexpr int kButtonStep = kButtonWidth + 8;
constexpr int kRightButtonX = kWindowWidth - kMargin - kButtonWidth;

// Designated initialisers would read better, but GCC 12 warns about every
// field they leave to its default.
constexpr ControlLayout Row(std::string_view name, K kind, std::string_view caption, int x, int y,
                            int width, int height, std::string_view group) {
  ControlLayout row;
  row.name = name;
  row.kind = kind;
  row.caption = caption;
  row.x = x;
  row.y = y;
  row.width = width;
  row.height = height;
  row.group = group;
  return row;
}

constexpr ControlLayout Group(std::string_view name, std::string_view caption, int y, int height) {
  return Row(name, K::kGroup, caption, kMargin, y, kGroupWidth, height, {});
}

constexpr ControlLayout Label(std::string_view name, std::string_view caption, int x, int y,
                              int width, std::string_view group) {
  return Row(name, K::kLabel, caption, x, y, width, kRowHeight, group);
}

constexpr ControlLayout Edit(std::string_view name, int x, int y, int width, std::string_view group,
                             EditState C::*field, Handler handler = Handler::kNone) {
  ControlLayout row = Row(name, K::kEdit, {}, x, y, width, kRowHeight, group);
  row.edit = field;
  row.handler = handler;
  return row;
}

constexpr ControlLayout CheckBox(std::string_view name, std::string_view caption, int x, int y,
                                 int width, std::string_view group, CheckBoxState C::*field,
                                 Handler handler = Handler::kNone, std::string_view hint = {}) {
  ControlLayout row = Row(name, K::kCheckBox, caption, x, y, width, kRowHeight, group);
  row.check_box = field;
  row.handler = handler;
  row.hint = hint;
  return row;
}

constexpr ControlLayout SpeedButton(std::string_view name, int y, std::string_view group,
                                    ButtonState C::*field, Handler handler) {
  ControlLayout row =
      Row(name, K::kSpeedButton, {}, kSpeedButtonX, y, kSpeedButtonSize, kSpeedButtonSize, group);
  row.button = field;
  row.handler = handler;
  return row;
}

constexpr ControlLayout Button(std::string_view name, std::string_view caption, char shortcut,
                               int x, ButtonState C::*field, Handler handler) {
  ControlLayout row = Row(name, K::kButton, caption, x, kBottomY, kButtonWidth, kButtonHeight, {});
  row.button = field;
  row.handler = handler;
  row.shortcut = shortcut;
  return row;
}

constexpr ControlLayout WithShortcut(ControlLayout row, char shortcut) {
  row.shortcut = shortcut;
  return row;
}

constexpr std::string_view kOld = "GroupBox_Old";
constexpr std::string_view kNew = "GroupBox_New";

constexpr std::array kLayout = {
    Group(kOld, "Old", kOldTop, kOldHeight),
    Label("Label_Old_Path", "Path", kLabelX, RowY(0), kLabelWidth, kOld),
    Edit("Edit_Old_Path", kFieldX, RowY(0), kFieldRight - kFieldX, kOld, &C::Edit_Old_Path),
    Label("Label_Old_Dir", "Directory", kLabelX, RowY(1), kLabelWidth, kOld),
    Edit("Edit_Old_Dir", kFieldX, RowY(1), kFieldRight - kFieldX, kOld, &C::Edit_Old_Dir),
    Label("Label_Old_Wsp", "WSP", kLabelX, RowY(2), kLabelWidth, kOld),
    Edit("Edit_Old_Wsp", kFieldX, RowY(2), kHalfFieldWidth, kOld, &C::Edit_Old_Wsp),
    Label("Label_Old_Prj", "PRJ", kSecondLabelX, RowY(2), kSecondFieldX - kSecondLabelX, kOld),
    Edit("Edit_Old_Prj", kSecondFieldX, RowY(2), kHalfFieldWidth, kOld, &C::Edit_Old_Prj),
    SpeedButton("SpeedButton_OpenInput", RowY(2) - 2, kOld, &C::SpeedButton_OpenInput,
                Handler::SpeedButton_OpenInputClick),
    Label("Label_Old_UVProj", "UVPROJ", kLabelX, RowY(3), kLabelWidth, kOld),
    Edit("Edit_Old_UVProj", kFieldX, RowY(3), kHalfFieldWidth, kOld, &C::Edit_Old_UVProj),
    Label("Label_Old_EWW", "EWW", kSecondLabelX, RowY(3), kSecondFieldX - kSecondLabelX, kOld),
    Edit("Edit_Old_EWW", kSecondFieldX, RowY(3), kHalfFieldWidth, kOld, &C::Edit_Old_EWW),
    Label("Label_Old_Found", "Found", kLabelX, RowY(4), kLabelWidth, kOld),
    Edit("Edit_Old_Found", kFieldX, RowY(4), kFieldRight - kFieldX, kOld, &C::Edit_Old_Found),

    Group(kNew, "New", kNewTop, kNewHeight),
    Label("Label_New_Path", "Path", kLabelX, RowY(0), kLabelWidth, kNew),
    Edit("Edit_New_Path", kFieldX, RowY(0), kNewFieldWidth, kNew, &C::Edit_New_Path),
    SpeedButton("SpeedButton_OpenNewDir", RowY(0) - 2, kNew, &C::SpeedButton_OpenNewDir,
                Handler::SpeedButton_OpenNewDirClick),
    Label("Label_New_Dir", "Directory", kLabelX, RowY(1), kLabelWidth, kNew),
    Edit("Edit_New_Dir", kFieldX, RowY(1), kNewFieldWidth, kNew, &C::Edit_New_Dir),
    Label("Label_New_WspPrj", "Projectname", kLabelX, RowY(2), kLabelWidth, kNew),
    Edit("Edit_New_WspPrj", kFieldX, RowY(2), 200, kNew, &C::Edit_New_WspPrj,
         Handler::Edit_New_WspPrjKeyUp),
    WithShortcut(CheckBox("CheckBox_CopyProject", "Copy Project", 300, RowY(2), 110, kNew,
                          &C::CheckBox_CopyProject, Handler::CheckBox_CopyProjectClick),
                 'y'),
    WithShortcut(CheckBox("CheckBox_RenameFolder", "Rename Folder", 415, RowY(2), 116, kNew,
                          &C::CheckBox_RenameFolder, Handler::CheckBox_RenameFolderClick),
                 'F'),
    WithShortcut(
        CheckBox("CheckBox_CleanUp", "CleanUp", 455, RowY(3) - 3, 76, kNew, &C::CheckBox_CleanUp,
                 Handler::kNone, "Will clean the subfolders: ABS, LST, OBJ and OPT"),
        'U'),

    Button("Button_Rename", "Rename", 'R', kMargin, &C::Button_Rename, Handler::Button_RenameClick),
    Button("Button_Preview", "Preview", 'P', kMargin + kButtonStep, &C::Button_Preview,
           Handler::Button_PreviewClick),
    WithShortcut(CheckBox("CheckBox_Backup", "Backup Project Files", kMargin + 2 * kButtonStep + 6,
                          kBottomY + 2, 130, {}, &C::CheckBox_Backup),
                 'B'),
    Button("Button_CleanOnly", "Clean-Only", 'O', kRightButtonX - 2 * kButtonStep,
           &C::Button_CleanOnly, Handler::Button1Click_CleanUpProject),
    Button("Button1", "Save Config", 'S', kRightButtonX - kButtonStep, &C::Button1,
           Handler::Button1Click_SaveConfig),
    Button("Button_Close", "Close", 'C', kRightButtonX, &C::Button_Close,
           Handler::Button_CloseClick),
};

}  // namespace

std::span<const ControlLayout> FormLayout() { return kLayout; }

const ControlLayout* FindControl(std::string_view name) {
  for (const ControlLayout& control : kLayout) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

ClientRect ClientRectOf(const ControlLayout& control) {
  ClientRect rect{control.x, control.y, control.width, control.height};
  if (const ControlLayout* group = control.group.empty() ? nullptr : FindControl(control.group)) {
    rect.x += group->x;
    rect.y += group->y;
  }
  return rect;
}

std::string CaptionWithShortcut(const ControlLayout& control) {
  std::string out;
  bool marked = control.shortcut == 0;
  for (const char c : control.caption) {
    if (c == '&') {
      out += "&&";
      continue;
    }
    if (!marked && c == control.shortcut) {
      out += '&';
      marked = true;
    }
    out += c;
  }
  return out;
}

void RunHandler(FormModel& model, Handler handler, bool ticked) {
  switch (handler) {
    case Handler::kNone:
    case Handler::Button_CloseClick:
      return;
    case Handler::SpeedButton_OpenInputClick:
      return model.SpeedButton_OpenInputClick();
    case Handler::SpeedButton_OpenNewDirClick:
      return model.SpeedButton_OpenNewDirClick();
    case Handler::Edit_New_WspPrjKeyUp:
      return model.Edit_New_WspPrjKeyUp();
    case Handler::CheckBox_CopyProjectClick:
      return model.SetCopyProjectTicked(ticked);
    case Handler::CheckBox_RenameFolderClick:
      return model.SetRenameFolderTicked(ticked);
    case Handler::Button_RenameClick:
      return model.Button_RenameClick();
    case Handler::Button_PreviewClick:
      return model.Button_PreviewClick();
    case Handler::Button1Click_CleanUpProject:
      return model.Button1Click_CleanUpProject();
    case Handler::Button1Click_SaveConfig:
      return model.Button1Click_SaveConfig();
  }
}

}  // namespace kelvandor
