#include "app/unit_kelvandor.h"

#include <map>
#include <string_view>
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

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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
      model_(ui ? *ui : *own_ui_, start_.unzip_wait_ms, start_.FileSystemToUse()) {
  setWindowTitle(Latin1(kWindowCaption));
  setWindowIcon(ProgramIcon());
  setFont(QFont(Latin1(kWindowFontName), kWindowFontPoints));
  setFixedSize(kWindowWidth, kWindowHeight);
  window_colour_ = palette().color(QPalette::Base);
  BuildControls();
  WriteBack();  // the widgets start as the model's controls
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  const auto connect_handler = [this](QAbstractButton* button, Handler handler) {
    if (handler == Handler::kNone) return;
    connect(button, &QAbstractButton::clicked, this,
            [this, handler](bool checked) { Handle(handler, checked); });
  };

  std::map<std::string_view, QWidget*> groups;
  for (const ControlLayout& row : FormLayout()) {
    QWidget* parent = row.group.empty() ? this : groups.at(row.group);
    const QString caption = Latin1(CaptionWithShortcut(row));
    QWidget* widget = nullptr;
    switch (row.kind) {
      case ControlKind::kGroup:
        widget = groups[row.name] = new QGroupBox(caption, parent);
        break;
      case ControlKind::kLabel:
        widget = new QLabel(caption, parent);
        break;
      case ControlKind::kEdit: {
        auto* edit = new QLineEdit(parent);
        if (row.handler == Handler::Edit_New_WspPrjKeyUp) edit->installEventFilter(this);
        edits_.push_back({edit, row.edit, QString()});
        widget = edit;
        break;
      }
      case ControlKind::kCheckBox: {
        auto* box = new QCheckBox(caption, parent);
        connect_handler(box, row.handler);
        check_boxes_.push_back({box, row.check_box, row.handler != Handler::kNone});
        widget = box;
        break;
      }
      case ControlKind::kButton:
        widget = new QPushButton(caption, parent);
        break;
      case ControlKind::kSpeedButton: {
        auto* button = new QToolButton(parent);
        button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        button->setAutoRaise(true);
        widget = button;
        break;
      }
    }
    widget->setObjectName(Latin1(row.name));
    widget->setGeometry(row.x, row.y, row.width, row.height);
    if (!row.hint.empty()) widget->setToolTip(Latin1(row.hint));
    if (row.button) {
      auto* button = static_cast<QAbstractButton*>(widget);
      connect_handler(button, row.handler);
      buttons_.push_back({button, row.button});
    }
  }
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
  // A Close answered Yes during the run closes the window once it ended.
  if (model_.CloseAfterRun()) QTimer::singleShot(0, this, &QWidget::close);
}

void TForm1::FormCreate() {
  setAcceptDrops(true);
  Run([&] { model_.FormCreate(start_.exe_dir, start_.locations); });
}

void TForm1::FormActivate() {
  // Later activations, also those when one of the handler's own message
  // boxes closes, leave the model and the widgets alone.
  if (activated_) return;
  activated_ = true;
  AfterActivate after = AfterActivate::kStayOpen;
  Run([&] { after = model_.FormActivate(start_.command_line); });
  if (after == AfterActivate::kClose) close();
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths) {
  Run([&] { model_.WMDropFiles(paths); });
}

void TForm1::Handle(Handler handler, bool ticked) {
  if (handler == Handler::Button_CloseClick) {
    close();
    return;
  }
  Run([&] { RunHandler(model_, handler, ticked); });
}

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
  if (!model_.FormCloseQuery()) {
    event->ignore();
    return;
  }
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
    Handle(Handler::Edit_New_WspPrjKeyUp);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvandor
