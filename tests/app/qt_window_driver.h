#pragma once

// Drives the Qt window as the user would: drops as drag events, typed keys
// and mouse clicks on the widgets the layout table names. What the window
// would show goes to a RecordingUi.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "app/qt_user_interface.h"
#include "app/unit_kelvandor.h"
#include "tests/app/window_workflow_suite.h"

namespace kelvandor::testing {

class QtWindowDriver : public WindowDriver {
 public:
  void Open(CommandLine command_line = {}) {
    window_ = std::make_unique<TForm1>(Start(std::move(command_line)), &ui_);
    window_->show();
    QApplication::processEvents();
  }

  void Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls.push_back(QUrl::fromLocalFile(FromBytes(path)));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QApplication::sendEvent(window_.get(), &drop);
  }

  // Replaces the text of an edit field as typing would.
  void Type(const char* name, const std::string& text) {
    auto* edit = Find<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, FromBytes(text));
  }
  void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }

  std::string Text(const char* name) { return ToBytes(Find<QLineEdit>(name)->text()); }
  bool Checked(const char* name) { return Find<QCheckBox>(name)->isChecked(); }
  bool Enabled(const char* name) { return Find(name)->isEnabled(); }
  bool Focused(const char* name) { return window_->focusWidget() == Find(name); }
  bool Closed() { return !window_->isVisible(); }
  FormModel& model() { return window_->model(); }

  std::optional<BuiltControl> Built(const ControlLayout& row) {
    QWidget* widget = window_->findChild<QWidget*>(FromBytes(row.name));
    if (!widget) return std::nullopt;
    BuiltControl built;
    const QPoint at = widget->mapTo(window_.get(), QPoint(0, 0));
    built.place = {at.x(), at.y(), widget->width(), widget->height()};
    built.hint = ToBytes(widget->toolTip());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      built.kind = ControlKind::kGroup;
      built.caption = ToBytes(group->title());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      built.caption = ToBytes(label->text());
    } else if (qobject_cast<QLineEdit*>(widget)) {
      built.kind = ControlKind::kEdit;
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      built.caption = ToBytes(button->text());
      built.kind = qobject_cast<QCheckBox*>(widget)     ? ControlKind::kCheckBox
                   : qobject_cast<QPushButton*>(widget) ? ControlKind::kButton
                   : button->icon().isNull()            ? ControlKind::kLabel
                                                        : ControlKind::kSpeedButton;
    }
    return built;
  }
  ClientRect Pixels(ClientRect rect) { return rect; }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  std::unique_ptr<TForm1> window_;
};

}  // namespace kelvandor::testing
