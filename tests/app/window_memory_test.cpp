// The window's memory and details end to end: [Window] written on close
// without touching other lines and read back at the next start (a missing
// section keeps the first run's size, a place off every screen falls back),
// and the status bar's character and column under word wrap.
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTest>

#include "app/main_window.h"
#include "app/status_bar.h"
#include "app_fixture.h"

namespace torvane {
namespace {

class WindowMemoryTest : public AppTest {
 protected:
  void TearDown() override { Close(); }
  void Start() {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void Close() {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
      window_->close();
      window_.reset();
    }
  }
  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(WindowMemoryTest, SizePlaceAndPaneAreKeptInTheirOwnSection) {
  const std::string others = "; mine\n[Options]\nComplier=/usr/bin/nasm\n[View]\nWordWrap=0\n";
  Put(Path("torvane.ini"), others);
  Start();
  EXPECT_EQ(window_->size(), QSize(622, 436));
  Close();
  EXPECT_EQ(Get(Path("torvane.ini")), others);  // left as the first run showed it

  Start();
  window_->resize(700, 520);
  window_->move(40, 30);
  QApplication::processEvents();
  window_->Splitter1->setSizes({300, 150});
  QApplication::processEvents();
  const int pane = window_->Memo1->height();
  const QPoint place = window_->pos();
  Close();
  EXPECT_EQ(Get(Path("torvane.ini")),
            others + "[Window]\nMaximized=0\nLeft=" + std::to_string(place.x()) +
                "\nTop=" + std::to_string(place.y()) +
                "\nWidth=700\nHeight=520\nPaneHeight=" + std::to_string(pane) + "\n");

  Start();
  EXPECT_EQ(window_->size(), QSize(700, 520));
  EXPECT_EQ(window_->pos(), place);
  EXPECT_EQ(window_->Memo1->height(), pane);
  // Maximised: the flag is kept, and the size the window comes back to.
  window_->showMaximized();
  QApplication::processEvents();
  Close();
  const std::string kept = Get(Path("torvane.ini"));
  EXPECT_NE(kept.find("Maximized=1\n"), std::string::npos);
  EXPECT_NE(kept.find("Width=700\nHeight=520\n"), std::string::npos);
  Start();
  EXPECT_TRUE(window_->isMaximized());
}

TEST_F(WindowMemoryTest, PlacesOffEveryScreenAndOddSizesFallBack) {
  Put(Path("torvane.ini"),
      "[Window]\nLeft=-30000\nTop=-30000\nWidth=5\nHeight=99999\nPaneHeight=-4\nMaximized=x\n");
  Start();
  EXPECT_EQ(window_->size(), QSize(622, 436));
  EXPECT_GT(window_->pos().x(), -30000);
  EXPECT_FALSE(window_->isMaximized());
  EXPECT_EQ(window_->Memo1->height(), 89);
  // A pane taller than the window leaves the editor room.
  Close();
  Put(Path("torvane.ini"), "[Window]\nWidth=640\nHeight=480\nPaneHeight=5000\n");
  Start();
  EXPECT_EQ(window_->size(), QSize(640, 480));
  EXPECT_GE(window_->SrcEditor1->height(), 20);
}

TEST_F(WindowMemoryTest, StatusBarCountsCharactersAndTheColumnInTheLineUnderWrap) {
  ScopedCodePage utf8("UTF-8");
  Start();
  window_->StatusBar1->trigger();
  TSrcEditor& editor = *window_->SrcEditor1;
  const QString line = QStringLiteral("; 中文注释") + QString(200, QChar('x'));
  TypeText(editor, line);
  // After "; 中文": four characters in, eight bytes.
  editor.SetCaretPos({1 + 2 + 6, 1});
  QStringList texts = window_->StatusBar->Texts();
  EXPECT_EQ(texts[0], QStringLiteral("行 1，字符 5"));
  EXPECT_EQ(texts[1], QStringLiteral("列 7"));  // two one-cell and two two-cell characters
  // Under word wrap the column stays the one in the line, on a later row too.
  window_->WordWrap1->trigger();
  editor.SetCaretPos({1 + 2 + 12 + 150, 1});
  ASSERT_GT(editor.Model().DisplayPos().Row, 1);
  texts = window_->StatusBar->Texts();
  EXPECT_EQ(texts[0], QStringLiteral("行 1，字符 157"));
  EXPECT_EQ(texts[1], QStringLiteral("列 161"));
  EXPECT_EQ(EditorStatusTexts(editor).Position, texts[0]);
}

}  // namespace
}  // namespace torvane
