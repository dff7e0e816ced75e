// The 语法高亮 submenu of 查看: the assembly highlighter by default, NASM's on
// request, switched at run time with a repaint and kept in [View].
#include "app/highlighter_choice.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTest>

#include "app/main_window.h"
#include "app/settings.h"
#include "app/view_settings.h"
#include "app_fixture.h"
#include "highlight/asm_highlighter.h"
#include "highlight/nasm_highlighter.h"

namespace torvane {
namespace {

class HighlighterChoiceTest : public AppTest {
 protected:
  void Open() {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
    }
    window_.reset();
  }
  THighlighterChoice& Choice() { return *window_->HighlighterChoice1; }
  // Pixels drawn in the NASM highlighter's register colour (0x800080).
  int RegisterPixels() {
    const QImage image = window_->SrcEditor1->viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        count += qRed(p) > 100 && qGreen(p) < 40 && qBlue(p) > 100 ? 1 : 0;
      }
    }
    return count;
  }
  std::string Ini() { return Get(Path(kSettingsFileName)); }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(HighlighterChoiceTest, TheSubmenuEndsTheViewMenuAndTheAssemblyHighlighterIsTheDefault) {
  Open();
  const QList<QAction*> view = window_->ViewMenu->actions();
  ASSERT_GE(view.size(), 2);
  EXPECT_TRUE(view[view.size() - 2]->isSeparator());
  EXPECT_EQ(view.back()->menu(), Choice().Menu());
  EXPECT_EQ(view.back()->text(), QStringLiteral("语法高亮(&L)"));
  const QList<QAction*> items = Choice().Menu()->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0]->text(), QStringLiteral("x86 Assembly"));
  EXPECT_EQ(items[1]->text(), QStringLiteral("NASM"));
  EXPECT_TRUE(items[0]->isCheckable() && items[1]->isCheckable());
  EXPECT_TRUE(items[0]->isChecked());
  EXPECT_FALSE(items[1]->isChecked());
  EXPECT_EQ(window_->SrcEditor1->Highlighter(), window_->SrcAsmHighlighter1.get());
  // Reading the default wrote nothing.
  EXPECT_FALSE(Exists(Path(kSettingsFileName)));
}

TEST_F(HighlighterChoiceTest, SwitchingRepaintsWithTheNewColoursAndIsKeptInTheSettings) {
  const std::string original =
      "; my settings\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n\r\n[View]\r\nStatusBar=0\r\n";
  Put(Path(kSettingsFileName), original);
  Open();
  window_->SrcEditor1->Lines().SetAllText("\tmov eax, ebx\n\tpush ecx");
  QApplication::processEvents();
  EXPECT_EQ(RegisterPixels(), 0);
  PaintCounter counter;
  window_->SrcEditor1->viewport()->installEventFilter(&counter);

  Choice().NasmAction()->trigger();
  EXPECT_TRUE(Choice().NasmAction()->isChecked());
  EXPECT_FALSE(Choice().AsmAction()->isChecked());
  EXPECT_EQ(window_->SrcEditor1->Highlighter(), &Choice().NasmHighlighter());
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  EXPECT_GT(RegisterPixels(), 0);
  // Only the new key's line was added.
  std::string stored = Ini();
  EXPECT_EQ(ReadViewValue(Dir(), kHighlighterKey, ""), "NASM");
  const std::size_t at = stored.find("Highlighter=NASM");
  ASSERT_NE(at, std::string::npos);
  stored.erase(at, stored.find('\n', at) + 1 - at);
  EXPECT_EQ(stored, original);

  // The next window starts with NASM's; switching back is kept too.
  window_->SrcEditor1->viewport()->removeEventFilter(&counter);
  window_.reset();
  Open();
  EXPECT_TRUE(Choice().NasmAction()->isChecked());
  EXPECT_EQ(window_->SrcEditor1->Highlighter(), &Choice().NasmHighlighter());
  Choice().AsmAction()->trigger();
  EXPECT_EQ(window_->SrcEditor1->Highlighter(), window_->SrcAsmHighlighter1.get());
  EXPECT_EQ(ReadViewValue(Dir(), kHighlighterKey, ""), "x86 Assembly");
}

TEST_F(HighlighterChoiceTest, AnUnknownStoredValueMeansTheAssemblyHighlighter) {
  Put(Path(kSettingsFileName), "[View]\nHighlighter=nasm \n");
  Open();
  EXPECT_TRUE(Choice().AsmAction()->isChecked());
  EXPECT_EQ(window_->SrcEditor1->Highlighter(), window_->SrcAsmHighlighter1.get());
}

}  // namespace
}  // namespace torvane
