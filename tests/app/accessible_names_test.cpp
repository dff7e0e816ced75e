// What a screen reader meets in the window: every control the keyboard can
// reach has a name (in Chinese where we give one), and Tab walks through
// each control of the find bar and of the dialogs.
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <vector>

#include "app/debug_panel.h"
#include "app/find_actions.h"
#include "app/find_bar.h"
#include "app/options_dialog.h"
#include "app/run_settings_dialog.h"
#include "app_fixture.h"

namespace torvane {
namespace {

QString NameOf(QWidget* widget) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
  return iface != nullptr ? iface->text(QAccessible::Name) : QString();
}

// The controls under `root` that Tab stops at, as shown now.
std::vector<QWidget*> TabStops(QWidget* root) {
  std::vector<QWidget*> stops;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    // (A spin box's own line edit hands its focus to the spin box.)
    if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisibleTo(root) && w->isEnabled() &&
        w->focusProxy() == nullptr &&
        qobject_cast<QAbstractSpinBox*>(w->parentWidget()) == nullptr) {
      stops.push_back(w);
    }
  }
  return stops;
}

void ExpectNamed(QWidget* root) {
  for (QWidget* w : TabStops(root)) {
    EXPECT_FALSE(NameOf(w).isEmpty())
        << w->metaObject()->className() << " " << w->objectName().toStdString();
  }
}

// Tab from `first` visits every stop under `root` before it comes back.
void ExpectTabReachesAll(QWidget* root, QWidget* first) {
  first->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(root->window()));
  std::vector<QWidget*> seen;
  for (int i = 0; i < 40 && QApplication::focusWidget() != nullptr; ++i) {
    QWidget* focus = QApplication::focusWidget();
    if (std::find(seen.begin(), seen.end(), focus) == seen.end()) {
      seen.push_back(focus);
    }
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  for (QWidget* w : TabStops(root)) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), w), seen.end())
        << w->metaObject()->className() << " " << w->objectName().toStdString();
  }
}

TEST_F(WindowTest, TheWindowsPartsHaveChineseNames) {
  EXPECT_EQ(NameOf(window_->SrcEditor1), QStringLiteral("源程序编辑器"));
  EXPECT_EQ(NameOf(window_->Memo1), QStringLiteral("输出窗格"));
  ExpectNamed(window_.get());
  window_->FindActions->ReplaceClick();
  TFindBar* bar = window_->FindActions->Bar;
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(NameOf(bar), QStringLiteral("查找栏"));
  EXPECT_EQ(NameOf(bar->FindEdit), QStringLiteral("查找"));
  EXPECT_EQ(NameOf(bar->ReplaceEdit), QStringLiteral("替换为"));
  ExpectNamed(bar);
  ExpectTabReachesAll(bar, bar->FindEdit);
}

TEST_F(AppTest, DialogsAndTheDebugPanelAreNamedAndReachableByTab) {
  TFOptions options(nullptr);
  options.show();
  ExpectNamed(&options);
  EXPECT_EQ(NameOf(options.Edit1), QStringLiteral("Asm 编译器路径"));
  ExpectTabReachesAll(&options, options.Edit1);
  options.hide();

  TFRunSettings run(TRunSettings{}, nullptr);
  run.show();
  ExpectNamed(&run);
  ExpectTabReachesAll(&run, run.QemuEdit);
  run.hide();

  TDebugPanel panel(nullptr);
  panel.show();
  EXPECT_EQ(NameOf(&panel), QStringLiteral("调试"));
  ExpectNamed(&panel);
}

}  // namespace
}  // namespace torvane
