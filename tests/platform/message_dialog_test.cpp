// The message dialog: layout in pixels, default and cancel buttons, the
// copied text, placement, and showing it through the scripted dialog service.
#include "platform/gui/message_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include "platform/errors.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {
namespace {

const QString kOk = QStringLiteral("确定(&O)");
const QString kOpenError = QStringLiteral(
    "/tmp/boot.asm 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！");

int ButtonWidth(const TMessageDialog& dialog, const QString& caption) {
  return std::max(80, QFontMetrics(dialog.font()).horizontalAdvance(caption) + 20);
}

QImage StandardIcon(QStyle::StandardPixmap which) {
  return QApplication::style()->standardIcon(which).pixmap(32, 32).toImage();
}

// Shows the dialog without a modal loop and sends it a key to its focus.
void Press(TMessageDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget* target = dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
  QTest::keyClick(target, key, modifiers);
}

TEST(MessageDialogTest, ThreeLineInfoBoxSizesLabelAndCentresItsButton) {
  TScriptedDialogs dialogs;
  int message_height = 0;
  dialogs.form_scripts.push_back([&](QDialog& form) {
    auto& dialog = dynamic_cast<TMessageDialog&>(form);
    EXPECT_EQ(dialog.windowTitle(), QGuiApplication::applicationDisplayName());
    const QFontMetrics metrics(dialog.font());
    const QRect label = dialog.Message()->geometry();
    message_height = label.height();
    EXPECT_EQ(label.topLeft(), QPoint(64, 16));
    // Three lines high, the empty middle one included, and wide enough for
    // the longest line.
    EXPECT_GE(label.height(), 3 * metrics.height());
    EXPECT_LT(label.height(), 4 * metrics.height());
    EXPECT_GE(label.width(), metrics.horizontalAdvance(
                                 QStringLiteral("可能该文档不存在或被其它程序以独占方式打开！")));
    EXPECT_EQ(dialog.Message()->text().count(QLatin1Char('\r')), 0);

    EXPECT_EQ(dialog.Icon()->geometry(), QRect(16, 16, 32, 32));
    EXPECT_FALSE(dialog.Icon()->pixmap().isNull());
    EXPECT_EQ(dialog.Icon()->pixmap().toImage(), StandardIcon(QStyle::SP_MessageBoxInformation));

    EXPECT_EQ(dialog.Buttons().size(), 1u);
    QPushButton* ok = dialog.Buttons()[0];
    EXPECT_EQ(ok->text(), kOk);
    EXPECT_EQ(dialog.DefaultButton(), ok);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dialog.CancelButton(), nullptr);
    const int width = ButtonWidth(dialog, kOk);
    EXPECT_EQ(ok->geometry(),
              QRect((dialog.width() - width) / 2, 16 + label.height() + 15, width, 23));
    // The label is wider than the button, so it decides the width.
    EXPECT_EQ(dialog.size(), QSize(label.width() + 48 + 32, 16 + label.height() + 23 + 31));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    return 1;
  });
  ShowInfoMessage(kOpenError);
  EXPECT_EQ(dialogs.form_titles.size(), 1u);
  EXPECT_GT(message_height, 32);
}

TEST(MessageDialogTest, ButtonRowWidthsAndCentring) {
  const QString wide = QStringLiteral("全部保存并且退出程序然后重新开始(&A)");
  const QStringList captions{QStringLiteral("是(&Y)"), wide, QStringLiteral("取消")};
  TMessageDialog dialog(QStringLiteral("x"), mdkQuestion, captions, 0, 2);
  const auto& buttons = dialog.Buttons();
  ASSERT_EQ(buttons.size(), 3u);
  // A one-line message keeps the 32-pixel minimum height.
  EXPECT_EQ(dialog.Message()->height(), 32);
  EXPECT_EQ(dialog.Message()->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_EQ(buttons[0]->width(), 80);
  EXPECT_GT(ButtonWidth(dialog, wide), 80);
  EXPECT_EQ(buttons[1]->width(), ButtonWidth(dialog, wide));
  EXPECT_EQ(buttons[2]->width(), 80);
  const int row = 80 + 3 + buttons[1]->width() + 3 + 80;
  // The buttons decide the width here: the row plus 16 on either side.
  EXPECT_EQ(dialog.width(), row + 32);
  EXPECT_EQ(dialog.height(), 16 + 32 + 23 + 31);
  // Placed 4 apart, although the row was measured with 3.
  EXPECT_EQ(buttons[0]->x(), (dialog.width() - row) / 2);
  EXPECT_EQ(buttons[1]->x(), buttons[0]->x() + 80 + 4);
  EXPECT_EQ(buttons[2]->x(), buttons[1]->x() + buttons[1]->width() + 4);
  for (QPushButton* button : buttons) {
    EXPECT_EQ(button->y(), 16 + 32 + 15);
    EXPECT_EQ(button->height(), 23);
  }
  EXPECT_EQ(dialog.Icon()->pixmap().toImage(), StandardIcon(QStyle::SP_MessageBoxQuestion));
}

TEST(MessageDialogTest, KindsPickIconsFromTheirLowSevenBits) {
  const QStringList ok{kOk};
  EXPECT_EQ(TMessageDialog(QString(), mdkWarning, ok, 0, -1).Icon()->pixmap().toImage(),
            StandardIcon(QStyle::SP_MessageBoxWarning));
  EXPECT_EQ(TMessageDialog(QString(), 0x80 | mdkError, ok, 0, -1).Icon()->pixmap().toImage(),
            StandardIcon(QStyle::SP_MessageBoxCritical));
  EXPECT_TRUE(TMessageDialog(QString(), mdkNone, ok, 0, -1).Icon()->pixmap().isNull());
  // Kinds past the icons have none rather than reading past the table.
  EXPECT_TRUE(TMessageDialog(QString(), 0x7F, ok, 0, -1).Icon()->pixmap().isNull());
  EXPECT_TRUE(TMessageDialog(QString(), -1, ok, 0, -1).Icon()->pixmap().isNull());
  // No buttons at all still gives a usable box.
  TMessageDialog empty(QString(), mdkNone, {}, 0, 0);
  EXPECT_TRUE(empty.Buttons().empty());
  EXPECT_EQ(empty.width(), 48 + 32 + empty.Message()->width());
}

TEST(MessageDialogTest, DefaultAndCancelButtonsAndTheirKeys) {
  const QStringList captions{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"),
                             QStringLiteral("取消")};
  {
    TMessageDialog dialog(QStringLiteral("保存?"), mdkQuestion, captions, 1, 2);
    EXPECT_EQ(dialog.DefaultButton(), dialog.Buttons()[1]);
    EXPECT_FALSE(dialog.Buttons()[0]->isDefault());
    EXPECT_EQ(dialog.CancelButton(), dialog.Buttons()[2]);
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.Buttons()[1]);
    Press(dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);

    dialog.show();
    Press(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 3);

    dialog.show();
    dialog.Buttons()[0]->click();
    EXPECT_EQ(dialog.result(), 1);
  }
  {
    // The same index for both makes a default button and no cancel button.
    TMessageDialog dialog(QStringLiteral("?"), mdkQuestion, captions, 0, 0);
    EXPECT_EQ(dialog.DefaultButton(), dialog.Buttons()[0]);
    EXPECT_EQ(dialog.CancelButton(), nullptr);
  }
  {
    // Without a cancel button Escape does nothing; the title bar's close
    // button still ends the dialog, with the cancel result.
    TMessageDialog dialog(QStringLiteral("!"), mdkInformation, {kOk}, 0, -1);
    dialog.show();
    dialog.setResult(-5);
    Press(dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), -5);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), mrCancel);
  }
}

TEST(MessageDialogTest, CtrlCCopiesTheBoxAndOtherChordsDoNot) {
  TScriptedDialogs dialogs;
  QClipboard* clipboard = QGuiApplication::clipboard();
  dialogs.form_scripts.push_back([&](QDialog& form) {
    auto& dialog = dynamic_cast<TMessageDialog&>(form);
    form.show();
    clipboard->setText(QStringLiteral("before"));
    Press(dialog, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    Press(dialog, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    Press(dialog, Qt::Key_C);
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
    EXPECT_EQ(dialogs.beeps, 0);
    Press(dialog, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(form.isVisible());
    Press(dialog, Qt::Key_Return);
    return form.result();
  });
  const QString display_name = QGuiApplication::applicationDisplayName();
  QGuiApplication::setApplicationDisplayName(QStringLiteral("torvane"));
  ShowInfoMessage(kOpenError);
  QGuiApplication::setApplicationDisplayName(display_name);
  EXPECT_EQ(clipboard->text(), QStringLiteral("---------------------------\r\n"
                                              "torvane\r\n"
                                              "---------------------------\r\n"
                                              "/tmp/boot.asm 文档打开时出错\r\n"
                                              "\r\n"
                                              "可能该文档不存在或被其它程序以独占方式打开！\r\n"
                                              "---------------------------\r\n"
                                              "确定(O)   \r\n"
                                              "---------------------------\r\n"));
  EXPECT_TRUE(dialogs.messages.empty());

  // Every "&" goes, and each caption is followed by three blanks.
  TMessageDialog dialog(QStringLiteral("m"), mdkNone,
                        {QStringLiteral("&Yes"), QStringLiteral("A&&B"), QString()}, 0, -1);
  dialog.setWindowTitle(QStringLiteral("t"));
  const QString rule = QStringLiteral("---------------------------\r\n");
  EXPECT_EQ(dialog.DialogText(),
            rule + "t\r\n" + rule + "m\r\n" + rule + "Yes   AB      \r\n" + rule);
}

// A clipboard that will not open.
class TLockedClipboardDialog : public TMessageDialog {
 public:
  using TMessageDialog::TMessageDialog;

 protected:
  void PutOnClipboard(const QString&) override { throw ESrcError("Cannot open clipboard"); }
};

TEST(MessageDialogTest, ClipboardFailureIsShownAndTheDialogStaysOpen) {
  TScriptedDialogs dialogs;
  TLockedClipboardDialog dialog(QStringLiteral("m"), mdkError, {kOk}, 0, -1);
  EXPECT_THROW(dialog.CopyDialogText(), ESrcError);
  dialog.show();
  Press(dialog, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(dialogs.beeps, 2);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Cannot open clipboard"));
  EXPECT_TRUE(dialog.isVisible());
}

TEST(MessageDialogTest, PlacementAndHelp) {
  TScriptedDialogs dialogs;
  const QStringList captions{QStringLiteral("是"), QStringLiteral("帮助")};
  QPoint placed;
  QSize size;
  QPushButton* help = nullptr;
  auto record = [&](QDialog& form) {
    auto& dialog = dynamic_cast<TMessageDialog&>(form);
    placed = dialog.pos();
    size = dialog.frameGeometry().size();
    help = dialog.HelpButton();
    if (help != nullptr) {
      EXPECT_EQ(help, dialog.Buttons()[1]);
      EXPECT_EQ(dialog.HelpFile(), QStringLiteral("asm.hlp"));
      EXPECT_EQ(dialog.HelpContext(), 7);
    }
    return 2;
  };
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

  dialogs.form_scripts.push_back(record);
  EXPECT_EQ(ShowMessageDialog(QStringLiteral("m"), QStringLiteral("t"), mdkQuestion, captions, 0,
                              -1, QStringLiteral("asm.hlp"), 7, 1, 120, 45),
            2);
  EXPECT_EQ(placed, QPoint(120, 45));
  EXPECT_NE(help, nullptr);

  dialogs.form_scripts.push_back(record);
  ShowMessageDialog(QStringLiteral("m"), QStringLiteral("t"), mdkQuestion, captions, 0, -1,
                    QStringLiteral("asm.hlp"), 7, 2, -1, -1);
  EXPECT_EQ(placed, QPoint(screen.x() + (screen.width() - size.width()) / 2,
                           screen.y() + (screen.height() - size.height()) / 2));
  EXPECT_EQ(help, nullptr);

  // One coordinate given: it is kept, the other stays centred.
  dialogs.form_scripts.push_back(record);
  ShowMessageDialog(QStringLiteral("m"), QStringLiteral("t"), mdkQuestion, captions, 0, -1,
                    QString(), 0, 256, 30, -1);
  EXPECT_EQ(placed, QPoint(30, screen.y() + (screen.height() - size.height()) / 2));
  EXPECT_EQ(help, nullptr);
}

}  // namespace
}  // namespace torvane
