// The settings dialog and the About box: layout, the settings file they
// write (or do not), and a write that fails.
#include <sys/stat.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/about_dialog.h"
#include "app/options_dialog.h"
#include "app/settings.h"
#include "app_fixture.h"
#include "tests/support/small_filesystem.h"

namespace torvane {
namespace {

class OptionsDialogTest : public AppTest {
 protected:
  void SetUp() override { SettingsDirectory = Dir(); }
};

TEST_F(OptionsDialogTest, LayoutAndCaptions) {
  TFOptions form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("选项设置"));
  EXPECT_EQ(form.size(), QSize(575, 251));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("Asm 编译器路径："));
  EXPECT_EQ(form.Button1->text(), QStringLiteral("…"));
  EXPECT_EQ(form.Button1->geometry(), QRect(455, 43, 31, 31));
  EXPECT_EQ(form.Button2->text(), QStringLiteral("确定(&O)"));
  EXPECT_EQ(form.Button2->geometry(), QRect(418, 200, 93, 31));
  EXPECT_EQ(form.Edit1->geometry().topLeft(), QPoint(93, 45));
  EXPECT_EQ(form.Edit1->width(), 353);
  EXPECT_FALSE(form.Label2->isVisibleTo(&form));
  EXPECT_FALSE(form.Edit2->isVisibleTo(&form));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("-fbin"));
  EXPECT_FALSE(form.Button2->isDefault());
  EXPECT_FALSE(form.Button2->autoDefault());
}

TEST_F(OptionsDialogTest, FirstRunCreatesTheFileWithAnEmptyValue) {
  int result = -1;
  dialogs_.form_scripts.push_back([](QDialog& form) {
    auto& options = static_cast<TFOptions&>(form);
    EXPECT_EQ(options.Edit1->text(), QString());
    QTest::mouseClick(options.Button2, Qt::LeftButton);
    return options.result();
  });
  result = ShowOptionsDialog(nullptr);
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(Get(Path("torvane.ini")), "[Options]\nComplier=\n");
}

TEST_F(OptionsDialogTest, OkWritesThePathUnquotedAndKeepsTheRestOfTheFile) {
  Put(Path("torvane.ini"), "; mine\r\n[Options]\r\nComplier=/usr/bin/nasm\r\nOther=1\r\n");
  dialogs_.form_scripts.push_back([](QDialog& form) {
    auto& options = static_cast<TFOptions&>(form);
    EXPECT_EQ(options.Edit1->text(), QStringLiteral("/usr/bin/nasm"));
    options.Edit1->setText(QStringLiteral("/opt/my tools/nasm"));
    QTest::mouseClick(options.Button2, Qt::LeftButton);
    return options.result();
  });
  ShowOptionsDialog(nullptr);
  EXPECT_EQ(Get(Path("torvane.ini")),
            "; mine\r\n[Options]\r\nComplier=/opt/my tools/nasm\r\nOther=1\r\n");
  EXPECT_EQ(ReadAssemblerPath(Dir()), "/opt/my tools/nasm");
}

TEST_F(OptionsDialogTest, BrowsingAndItsCancellation) {
  dialogs_.file_answers = {std::nullopt, QStringLiteral("/usr/bin/nasm")};
  dialogs_.form_scripts.push_back([this](QDialog& form) {
    auto& options = static_cast<TFOptions&>(form);
    options.Edit1->setText(QStringLiteral("typed"));
    QTest::mouseClick(options.Button1, Qt::LeftButton);  // cancelled
    EXPECT_EQ(options.Edit1->text(), QStringLiteral("typed"));
    QTest::mouseClick(options.Button1, Qt::LeftButton);
    EXPECT_EQ(options.Edit1->text(), QStringLiteral("/usr/bin/nasm"));
    const TFileDialogRequest& request = dialogs_.file_requests.front();
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.title, QString());
    EXPECT_EQ(ToNameFilters(request.filter), QStringList{QStringLiteral("所有文件 (*)")});
    EXPECT_EQ(request.default_ext, QString());
    EXPECT_EQ(request.file_name, QStringLiteral("nasm"));
    CloseWithTitleBarButton(form);
    return form.result();
  });
  EXPECT_EQ(ShowOptionsDialog(nullptr), mrCancel);
  EXPECT_FALSE(Exists(Path("torvane.ini")));  // closed without OK: nothing written
}

TEST_F(OptionsDialogTest, EnterAndEscapeDoNothing) {
  TFOptions form;
  form.show();
  QTest::keyClick(&form, Qt::Key_Escape);
  QTest::keyClick(form.Edit1, Qt::Key_Return);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(Exists(Path("torvane.ini")));
}

TEST_F(OptionsDialogTest, FailedWriteShowsTheErrorAndTheDialogStaysOpen) {
  ASSERT_EQ(mkdir(Path("ro").c_str(), 0755), 0);
  SmallFileSystem fs(Path("ro"), "size=64k");
  if (fs.RootWithoutMount()) {
    GTEST_SKIP() << "running as root without a way to mount a small tmpfs";
  }
  if (fs.mounted()) {
    ASSERT_TRUE(fs.MakeReadOnly());
  } else {
    ASSERT_EQ(chmod(Path("ro").c_str(), 0555), 0);
  }
  SettingsDirectory = Path("ro");
  TFOptions form;
  form.show();
  QTest::mouseClick(form.Button2, Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(dialogs_.LastMessage(),
            QStringLiteral("Unable to write to ") + QPath("ro/torvane.ini"));
  EXPECT_EQ(dialogs_.messages.back().icon, TMsgIcon::Error);
  chmod(Path("ro").c_str(), 0755);
}

TEST_F(OptionsDialogTest, AboutBoxLayout) {
  TFAbout form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("关于Torvane"));
  EXPECT_EQ(form.size(), QSize(436, 250));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("Torvane & Compiler 2011.11"));
  EXPECT_EQ(form.Image1->pos(), QPoint(20, 13));
  EXPECT_EQ(form.Image1->size(), QSize(49, 52));
  EXPECT_EQ(form.Button1->text(), QStringLiteral("确定(&O)"));
  EXPECT_EQ(form.Button1->geometry(), QRect(188, 185, 93, 31));
  for (const QLabel* label : {form.Label2, form.Label4, form.Label5}) {
    EXPECT_FALSE(label->text().isEmpty());
  }
  dialogs_.form_scripts.push_back([](QDialog& dialog) {
    auto& about = static_cast<TFAbout&>(dialog);
    EXPECT_EQ(FAbout, &about);
    QTest::mouseClick(about.Button1, Qt::LeftButton);
    return about.result();
  });
  EXPECT_EQ(ShowAboutDialog(nullptr), mrOk);
  EXPECT_EQ(FAbout, nullptr);
}

TEST_F(OptionsDialogTest, AboutTextsKeepTheirMarginFromTheEdge) {
  TFAbout form;
  for (const QLabel* label : {form.Label1, form.Label2, form.Label4, form.Label5}) {
    EXPECT_LE(label->geometry().right() + 1, form.width() - kAboutTextMargin)
        << label->text().toStdString();
    // A text wider than its room wraps instead of running on.
    EXPECT_TRUE(label->wordWrap());
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
  }
  EXPECT_EQ(form.Label2->pos(), QPoint(113, 39));
  EXPECT_LT(form.Label2->geometry().bottom(), form.Label4->y());
}

}  // namespace
}  // namespace torvane
