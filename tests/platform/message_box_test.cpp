// The real message box of the dialog service, driven without a modal loop:
// a Yes/No question says No only when No is clicked; Escape and the title-bar
// button leave it unanswered.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "platform/gui/dialogs.h"

namespace torvane {
namespace {

TMessageRequest Question() {
  TMessageRequest request;
  request.caption = QStringLiteral("退出系统");
  request.text = QStringLiteral("保存吗？");
  request.icon = TMsgIcon::Question;
  request.buttons = TMsgButtons::YesNo;
  request.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
  return request;
}

QPushButton* ButtonWithText(QMessageBox& box, const QString& text) {
  for (QAbstractButton* button : box.buttons()) {
    if (button->text() == text) {
      return qobject_cast<QPushButton*>(button);
    }
  }
  return nullptr;
}

TEST(MessageBoxTest, OnlyAClickOnNoAnswersNo) {
  {
    auto box = BuildMessageBox(Question());
    box->show();
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(MessageBoxAnswer(*box), mrCancel);
  }
  {
    auto box = BuildMessageBox(Question());
    box->show();
    box->close();  // the title-bar button
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(MessageBoxAnswer(*box), mrCancel);
  }
  for (const auto& [caption, answer] :
       {std::pair{QStringLiteral("否(&N)"), int{mrNo}}, {QStringLiteral("是(&Y)"), int{mrYes}}}) {
    auto box = BuildMessageBox(Question());
    box->show();
    // Only the two captioned buttons can be seen.
    int visible = 0;
    for (QAbstractButton* button : box->buttons()) {
      visible += button->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(visible, 2);
    QPushButton* button = ButtonWithText(*box, caption);
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(MessageBoxAnswer(*box), answer);
  }
  // A box with OK alone still closes with Escape, as OK.
  TMessageRequest info;
  info.text = QStringLiteral("x");
  auto box = BuildMessageBox(info);
  box->show();
  QTest::keyClick(box.get(), Qt::Key_Escape);
  EXPECT_EQ(MessageBoxAnswer(*box), mrOk);
}

}  // namespace
}  // namespace torvane
