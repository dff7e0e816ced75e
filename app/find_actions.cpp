#include "app/find_actions.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <algorithm>

#include "app/find_bar.h"
#include "app/go_to_line_dialog.h"
#include "app/main_window.h"
#include "document/control/src_editor.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"

namespace torvane {

QMenu* EditMenu(TFAsmEd& window) {
  if (window.E1 == nullptr) {
    window.E1 = new QMenu(QStringLiteral("编辑(&E)"), &window);
    window.E1->setObjectName(QStringLiteral("E1"));
    window.menuBar()->insertMenu(window.H1->menuAction(), window.E1);
  }
  return window.E1;
}

TFindActions::TFindActions(TFAsmEd& window) : QObject(&window), window_(window) {
  Bar = new TFindBar(*window.SrcEditor1, window.Splitter1);
  window.Splitter1->addWidget(Bar);  // last and hidden until it is opened
  Bar->hide();
  Bar->OnShowChange = [this](bool shown) { PlaceBar(shown); };

  QMenu* menu = EditMenu(window);
  // Our items come first; items already there follow after a separator.
  QAction* before = menu->actions().isEmpty() ? nullptr : menu->actions().first();
  auto add = [&](const char* name, const QString& caption, const QKeySequence& key,
                 void (TFindActions::*handler)()) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    menu->insertAction(before, action);
    connect(action, &QAction::triggered, this,
            [this, handler] { RunGuarded(&window_, [this, handler] { (this->*handler)(); }); });
    return action;
  };
  Find = add("Find1", QStringLiteral("查找"), QKeySequence(Qt::CTRL | Qt::Key_F),
             &TFindActions::FindClick);
  FindNext = add("FindNext1", QStringLiteral("查找下一个"), QKeySequence(Qt::Key_F3),
                 &TFindActions::FindNextClick);
  FindPrevious = add("FindPrevious1", QStringLiteral("查找上一个"),
                     QKeySequence(Qt::SHIFT | Qt::Key_F3), &TFindActions::FindPreviousClick);
  Replace = add("Replace1", QStringLiteral("替换"), QKeySequence(Qt::CTRL | Qt::Key_H),
                &TFindActions::ReplaceClick);
  GoToLine = add("GoToLine1", QStringLiteral("转到行"), QKeySequence(Qt::CTRL | Qt::Key_G),
                 &TFindActions::GoToLineClick);
  if (before != nullptr) {
    menu->insertSeparator(before);
  }
  Bar->SetWindowKeys({Find->shortcut(), FindNext->shortcut(), FindPrevious->shortcut(),
                      Replace->shortcut(), GoToLine->shortcut()});
}

void TFindActions::FindClick() {
  Bar->Open(false);
}

void TFindActions::ReplaceClick() {
  Bar->Open(true);
}

void TFindActions::FindNextClick() {
  Repeat(false);
}

void TFindActions::FindPreviousClick() {
  Repeat(true);
}

void TFindActions::Repeat(bool backward) {
  // Nothing to repeat yet: ask what to find.
  if (Bar->FindEdit->text().isEmpty()) {
    Bar->Open(false);
    return;
  }
  // With the bar closed its line cannot say that nothing matched.
  if (!Bar->FindNext(backward) && Bar->isHidden()) {
    Dialogs().Beep();
  }
}

void TFindActions::GoToLineClick() {
  TSrcEditor& editor = *window_.SrcEditor1;
  TSrcEditModel& model = editor.Model();
  // Numbers as the gutter shows them, lines of collapsed blocks counted.
  const int count = editor.LastShownLineNumber();
  const int line = AskLineNumber(&window_, model.ToExpandedPos(model.CaretPos()).Line, count);
  if (line != 0) {
    model.SetCaretAndDeselect(model.FromExpandedPos({1, line}));
  }
  window_.FocusEditor();
}

void TFindActions::PlaceBar(bool shown) {
  QSplitter& splitter = *window_.Splitter1;
  QWidget* editor = window_.SrcEditor1;
  QWidget* pane = window_.Memo1;
  const QList<int> sizes = splitter.sizes();
  auto size_of = [&](QWidget* w) { return w->isHidden() ? 0 : sizes.value(splitter.indexOf(w)); };
  const int editor_height = size_of(editor);
  const int bar_height = size_of(Bar);
  const int pane_height = size_of(pane);
  // The bar brings a handle of its own along.
  const int handle = splitter.handleWidth();
  if (shown) {
    const int new_handle = Bar->isHidden() ? handle : 0;
    if (splitter.indexOf(Bar) != 1) {
      splitter.insertWidget(1, Bar);
    }
    Bar->show();
    const int height = Bar->sizeHint().height();
    Bar->setFixedHeight(height);
    splitter.setSizes(
        {std::max(editor_height + bar_height - height - new_handle, 0), height, pane_height});
    return;
  }
  Bar->hide();
  splitter.addWidget(Bar);
  splitter.setSizes({editor_height + bar_height + handle, pane_height, 0});
}

}  // namespace torvane
