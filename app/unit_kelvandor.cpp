#include "app/unit_kelvandor.h"

#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/qt_user_interface.h"

namespace kelvandor {
namespace {

// Geometry of the rows, in pixels of the client area.
constexpr int kMargin = 8;
constexpr int kGroupWidth = kWindowWidth - 2 * kMargin;
constexpr int kRowHeight = 21;
constexpr int kRowStep = 24;
constexpr int kFirstRow = 24;
constexpr int kLabelX = 10;
constexpr int kFieldX = 84;
constexpr int kFieldRight = kGroupWidth - 10;
constexpr int kSpeedButtonSize = 25;
constexpr int kSpeedButtonX = kFieldRight - kSpeedButtonSize;
constexpr int kHalfFieldWidth = 170;
constexpr int kSecondLabelX = 268;
constexpr int kSecondFieldX = 306;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 25;

int RowY(int row) { return kFirstRow + row * kRowStep; }

void AddLabel(QWidget* parent, const char* name, const char* text, int x, int y, int width) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(x, y, width, kRowHeight);
}

QToolButton* NewSpeedButton(QWidget* parent, int x, int y) {
  auto* button = new QToolButton(parent);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setAutoRaise(true);
  button->setGeometry(x, y, kSpeedButtonSize, kSpeedButtonSize);
  return button;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/kelvandor/icons/%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

TForm1::TForm1(WindowStart start, UserInterface* ui, QWidget* parent)
    : QWidget(parent),
      start_(std::move(start)),
      own_ui_(ui ? nullptr : std::make_unique<QtUserInterface>(this)),
      model_(ui ? *ui : *own_ui_, start_.unzip_wait_ms) {
  setWindowTitle(QString::fromLatin1(kWindowCaption));
  setWindowIcon(ProgramIcon());
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(kWindowWidth, kWindowHeight);
  window_colour_ = palette().color(QPalette::Base);
  BuildControls();
  WriteBack();  // the widgets start as the model's controls
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  FormCreate();
}

TForm1::~TForm1() = default;

QLineEdit* TForm1::AddEdit(QWidget* parent, const char* name, int x, int y, int width,
                           EditState FormControls::*field) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(x, y, width, kRowHeight);
  edits_.push_back({edit, field, QString()});
  return edit;
}

QCheckBox* TForm1::AddCheckBox(QWidget* parent, const char* name, const char* caption, int x, int y,
                               int width, CheckBoxState FormControls::*field, bool has_handler) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(x, y, width, kRowHeight);
  check_boxes_.push_back({box, field, has_handler});
  return box;
}

void TForm1::AddButton(QAbstractButton* button, const char* name, ButtonState FormControls::*field,
                       void (TForm1::*handler)()) {
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QAbstractButton::clicked, this, handler);
  buttons_.push_back({button, field});
}

void TForm1::BuildControls() {
  using C = FormControls;

  auto* old_group = new QGroupBox(QStringLiteral("Old"), this);
  old_group->setObjectName(QStringLiteral("GroupBox_Old"));
  old_group->setGeometry(kMargin, 4, kGroupWidth, RowY(4) + 4);
  AddLabel(old_group, "Label_Old_Path", "Path", kLabelX, RowY(0), kFieldX - kLabelX);
  AddEdit(old_group, "Edit_Old_Path", kFieldX, RowY(0), kFieldRight - kFieldX, &C::Edit_Old_Path);
  AddLabel(old_group, "Label_Old_Dir", "Directory", kLabelX, RowY(1), kFieldX - kLabelX);
  AddEdit(old_group, "Edit_Old_Dir", kFieldX, RowY(1), kFieldRight - kFieldX, &C::Edit_Old_Dir);
  AddLabel(old_group, "Label_Old_Wsp", "WSP", kLabelX, RowY(2), kFieldX - kLabelX);
  AddEdit(old_group, "Edit_Old_Wsp", kFieldX, RowY(2), kHalfFieldWidth, &C::Edit_Old_Wsp);
  AddLabel(old_group, "Label_Old_Prj", "PRJ", kSecondLabelX, RowY(2),
           kSecondFieldX - kSecondLabelX);
  AddEdit(old_group, "Edit_Old_Prj", kSecondFieldX, RowY(2), kHalfFieldWidth, &C::Edit_Old_Prj);
  AddButton(NewSpeedButton(old_group, kSpeedButtonX, RowY(2) - 2), "SpeedButton_OpenInput",
            &C::SpeedButton_OpenInput, &TForm1::SpeedButton_OpenInputClick);
  AddLabel(old_group, "Label_Old_UVProj", "UVPROJ", kLabelX, RowY(3), kFieldX - kLabelX);
  AddEdit(old_group, "Edit_Old_UVProj", kFieldX, RowY(3), kHalfFieldWidth, &C::Edit_Old_UVProj);
  AddLabel(old_group, "Label_Old_EWW", "EWW", kSecondLabelX, RowY(3),
           kSecondFieldX - kSecondLabelX);
  AddEdit(old_group, "Edit_Old_EWW", kSecondFieldX, RowY(3), kHalfFieldWidth, &C::Edit_Old_EWW);

  const int new_top = old_group->geometry().bottom() + 4;
  auto* new_group = new QGroupBox(QStringLiteral("New"), this);
  new_group->setObjectName(QStringLiteral("GroupBox_New"));
  new_group->setGeometry(kMargin, new_top, kGroupWidth, RowY(4));
  const int new_field_width = kSpeedButtonX - 6 - kFieldX;
  AddLabel(new_group, "Label_New_Path", "Path", kLabelX, RowY(0), kFieldX - kLabelX);
  AddEdit(new_group, "Edit_New_Path", kFieldX, RowY(0), new_field_width, &C::Edit_New_Path);
  AddButton(NewSpeedButton(new_group, kSpeedButtonX, RowY(0) - 2), "SpeedButton_OpenNewDir",
            &C::SpeedButton_OpenNewDir, &TForm1::SpeedButton_OpenNewDirClick);
  AddLabel(new_group, "Label_New_Dir", "Directory", kLabelX, RowY(1), kFieldX - kLabelX);
  AddEdit(new_group, "Edit_New_Dir", kFieldX, RowY(1), new_field_width, &C::Edit_New_Dir);
  AddLabel(new_group, "Label_New_WspPrj", "Projectname", kLabelX, RowY(2), kFieldX - kLabelX);
  QLineEdit* name_edit =
      AddEdit(new_group, "Edit_New_WspPrj", kFieldX, RowY(2), 200, &C::Edit_New_WspPrj);
  name_edit->installEventFilter(this);
  QCheckBox* copy = AddCheckBox(new_group, "CheckBox_CopyProject", "Copy Project", 300, RowY(2),
                                110, &C::CheckBox_CopyProject, true);
  connect(copy, &QCheckBox::clicked, this, &TForm1::CheckBox_CopyProjectClick);
  QCheckBox* rename = AddCheckBox(new_group, "CheckBox_RenameFolder", "Rename Folder", 415, RowY(2),
                                  116, &C::CheckBox_RenameFolder, true);
  connect(rename, &QCheckBox::clicked, this, &TForm1::CheckBox_RenameFolderClick);
  QCheckBox* clean_up = AddCheckBox(new_group, "CheckBox_CleanUp", "CleanUp", 455, RowY(3) - 3, 76,
                                    &C::CheckBox_CleanUp, false);
  clean_up->setToolTip(QStringLiteral("Will clean the subfolders: ABS, LST, OBJ and OPT"));

  const int bottom_y = kWindowHeight - kMargin - kButtonHeight;
  const int step = kButtonWidth + 8;
  const int right_x = kWindowWidth - kMargin - kButtonWidth;
  auto* rename_button = new QPushButton(QStringLiteral("Rename"), this);
  rename_button->setGeometry(kMargin, bottom_y, kButtonWidth, kButtonHeight);
  AddButton(rename_button, "Button_Rename", &C::Button_Rename, &TForm1::Button_RenameClick);
  QCheckBox* backup =
      AddCheckBox(this, "CheckBox_Backup", "Backup Project Files", kMargin + kButtonWidth + 14,
                  bottom_y + 2, 150, &C::CheckBox_Backup, false);
  backup->setFixedHeight(kRowHeight);
  auto* clean_button = new QPushButton(QStringLiteral("Clean-Only"), this);
  clean_button->setGeometry(right_x - 2 * step, bottom_y, kButtonWidth, kButtonHeight);
  AddButton(clean_button, "Button_CleanOnly", &C::Button_CleanOnly,
            &TForm1::Button1Click_CleanUpProject);
  auto* save_button = new QPushButton(QStringLiteral("Save Config"), this);
  save_button->setGeometry(right_x - step, bottom_y, kButtonWidth, kButtonHeight);
  AddButton(save_button, "Button1", &C::Button1, &TForm1::Button1Click_SaveConfig);
  auto* close_button = new QPushButton(QStringLiteral("Close"), this);
  close_button->setGeometry(right_x, bottom_y, kButtonWidth, kButtonHeight);
  AddButton(close_button, "Button_Close", &C::Button_Close, &TForm1::Button_CloseClick);
}

void TForm1::Gather() {
  FormControls& c = model_.controls();
  for (EditBinding& edit : edits_) {
    const QString text = edit.widget->text();
    if (text != edit.shown) (c.*edit.field).text = ToBytes(text);
  }
  for (const CheckBoxBinding& box : check_boxes_) {
    if (!box.has_handler) (c.*box.field).ticked = box.widget->isChecked();
  }
  const QWidget* focused = focusWidget();
  c.focus = focused ? ToBytes(focused->objectName()) : std::string();
}

void TForm1::WriteBack() {
  const FormControls& c = model_.controls();
  for (EditBinding& edit : edits_) {
    const EditState& state = c.*edit.field;
    const QSignalBlocker blocker(edit.widget);
    const QString text = FromBytes(state.text);
    if (edit.widget->text() != text) edit.widget->setText(text);
    edit.shown = text;
    edit.widget->setReadOnly(state.read_only);
    QPalette palette = edit.widget->palette();
    switch (state.colour) {
      case FieldColour::kWindow:
        palette.setColor(QPalette::Base, window_colour_);
        break;
      case FieldColour::kWhite:
        palette.setColor(QPalette::Base, Qt::white);
        break;
      case FieldColour::k3DLight:
        palette.setColor(QPalette::Base, QColor(k3DLightColour));
        break;
    }
    edit.widget->setPalette(palette);
  }
  for (const CheckBoxBinding& box : check_boxes_) {
    const QSignalBlocker blocker(box.widget);
    box.widget->setChecked((c.*box.field).ticked);
    box.widget->setEnabled((c.*box.field).enabled);
  }
  for (const ButtonBinding& button : buttons_) {
    button.widget->setEnabled((c.*button.field).enabled);
  }
  if (!c.focus.empty()) {
    QWidget* wanted = findChild<QWidget*>(FromBytes(c.focus));
    if (wanted && wanted != focusWidget()) wanted->setFocus(Qt::OtherFocusReason);
  }
}

template <typename Call>
void TForm1::Run(Call&& call) {
  Gather();
  std::forward<Call>(call)();
  WriteBack();
}

void TForm1::FormCreate() {
  setAcceptDrops(true);
  Run([&] { model_.FormCreate(start_.exe_dir, start_.locations); });
}

void TForm1::FormActivate() {
  AfterActivate after = AfterActivate::kStayOpen;
  Run([&] { after = model_.FormActivate(start_.command_line); });
  if (after == AfterActivate::kClose) close();
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
  Run([&] { model_.WMDropFiles(paths); });
}

void TForm1::SpeedButton_OpenInputClick() {
  Run([&] { model_.SpeedButton_OpenInputClick(); });
}

void TForm1::SpeedButton_OpenNewDirClick() {
  Run([&] { model_.SpeedButton_OpenNewDirClick(); });
}

void TForm1::Edit_New_WspPrjKeyUp() {
  Run([&] { model_.Edit_New_WspPrjKeyUp(); });
}

void TForm1::CheckBox_CopyProjectClick() {
  const bool ticked = findChild<QCheckBox*>(QStringLiteral("CheckBox_CopyProject"))->isChecked();
  Run([&] { model_.SetCopyProjectTicked(ticked); });
}

void TForm1::CheckBox_RenameFolderClick() {
  const bool ticked = findChild<QCheckBox*>(QStringLiteral("CheckBox_RenameFolder"))->isChecked();
  Run([&] { model_.SetRenameFolderTicked(ticked); });
}

void TForm1::Button_RenameClick() {
  Run([&] { model_.Button_RenameClick(); });
}

void TForm1::Button1Click_CleanUpProject() {
  Run([&] { model_.Button1Click_CleanUpProject(); });
}

void TForm1::Button1Click_SaveConfig() {
  Run([&] { model_.Button1Click_SaveConfig(); });
}

void TForm1::Button_CloseClick() { close(); }

void TForm1::FormClose() { model_.FormClose(); }

void TForm1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  // Some window systems never activate a window on their own; the model
  // handles the command line once, whichever comes first.
  QTimer::singleShot(0, this, &TForm1::FormActivate);
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(ToBytes(QDir::toNativeSeparators(url.toLocalFile())));
  }
  event->acceptProposedAction();
  WMDropFiles(paths);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease &&
      watched == findChild<QLineEdit*>(QStringLiteral("Edit_New_WspPrj"))) {
    Edit_New_WspPrjKeyUp();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvandor
