// The window's state during an assembler run and its restoration.
#include "app/assembly_progress.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/process_runner.h"

namespace torvane {

TAssemblyProgress::TAssemblyProgress(QMainWindow& window, QWidget& editor, QPlainTextEdit& pane,
                                     QPushButton& cancel_button)
    : window_(window), editor_(editor), pane_(pane), cancel_button_(cancel_button) {}

TAssemblyProgress::~TAssemblyProgress() {
  if (child_ == nullptr) {
    return;
  }
  qApp->removeEventFilter(this);
  QObject::disconnect(&cancel_button_, nullptr, this, nullptr);
  cancel_button_.hide();
  for (const QPointer<QAction>& action : disabled_actions_) {
    if (action) {
      action->setEnabled(true);
    }
  }
  editor_.setEnabled(true);
  if (editor_had_focus_) {
    editor_.setFocus();
  }
  pane_.setPlainText(pane_text_);
}

void TAssemblyProgress::Attach(TChildProcess& child, const QString& source_name) {
  child_ = &child;
  pane_text_ = pane_.toPlainText();
  pane_.setPlainText(
      QStringLiteral("正在编译 %1 ……\n按 Esc 键或“取消”按钮可停止编译。").arg(source_name));
  // The document must stay what was saved and is being assembled, and no
  // command may start a second run or close the window meanwhile.
  editor_had_focus_ = editor_.hasFocus();
  editor_.setEnabled(false);
  for (QAction* menu : window_.menuBar()->actions()) {
    if (menu->menu() == nullptr) {
      continue;
    }
    for (QAction* action : menu->menu()->actions()) {
      if (action->isEnabled() && !action->isSeparator()) {
        action->setEnabled(false);
        disabled_actions_.emplace_back(action);
      }
    }
  }
  const QRect area = pane_.viewport()->geometry();
  cancel_button_.adjustSize();
  cancel_button_.move(area.right() - cancel_button_.width() - 4, area.top() + 4);
  cancel_button_.show();
  cancel_button_.raise();
  cancel_button_.setFocus();
  QObject::connect(&cancel_button_, &QPushButton::clicked, this, &TAssemblyProgress::Cancel);
  qApp->installEventFilter(this);
}

void TAssemblyProgress::Cancel() {
  if (child_ != nullptr) {
    child_->Cancel();
  }
}

bool TAssemblyProgress::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) {
    return false;
  }
  auto* widget = static_cast<QWidget*>(watched);
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && widget->window() == &window_) {
    Cancel();
    return true;
  }
  // The editor's own input filters would see these before the disabled
  // widget turns them away.
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return widget == &editor_ || editor_.isAncestorOf(widget);
    default:
      return false;
  }
}

}  // namespace torvane
