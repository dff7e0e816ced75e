// File dialog components, filter conversion and the default error box guard.
#include "platform/gui/dialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/errors.h"
#include "platform/gui/error_box.h"
#include "platform/gui/file_dialog.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {
namespace {

TEST(DialogsTest, FiltersAndDefaultExtensions) {
  // Patterns the description already shows are not repeated.
  EXPECT_EQ(ToNameFilters(QStringLiteral("汇编语言源程序(*.asm)|*.asm")),
            QStringList{QStringLiteral("汇编语言源程序 (*.asm)")});
  EXPECT_EQ(
      ToNameFilters(QStringLiteral("Source (*.asm;*.s)|*.asm;*.s|Text (plain)|*.txt")),
      (QStringList{QStringLiteral("Source (*.asm *.s)"), QStringLiteral("Text (plain) (*.txt)")}));
  EXPECT_EQ(ToNameFilters(QStringLiteral("Programs|*.exe;*.com|All|*")),
            (QStringList{QStringLiteral("Programs (*.exe *.com)"), QStringLiteral("All (*)")}));
  EXPECT_TRUE(ToNameFilters(QString()).isEmpty());
  EXPECT_EQ(PlainExtension(QStringLiteral("*.asm")), QStringLiteral("asm"));
  EXPECT_EQ(PlainExtension(QStringLiteral("*.exe;*.com")), QStringLiteral("exe"));
  EXPECT_EQ(PlainExtension(QStringLiteral(".lst")), QStringLiteral("lst"));
  EXPECT_EQ(PlainExtension(QStringLiteral("*.*")), QString());
  EXPECT_EQ(PlainExtension(QString()), QString());
}

TEST(DialogsTest, FileDialogPassesItsPropertiesAndKeepsTheChoice) {
  TScriptedDialogs dialogs;
  TSaveDialog dialog;
  dialog.Title = QStringLiteral("保存汇编语言源程序文件");
  dialog.Filter = QStringLiteral("汇编语言源程序(*.asm)|*.asm");
  dialog.DefaultExt = QStringLiteral("*.asm");
  dialog.FileName = QStringLiteral("boot.asm");
  dialogs.file_answers = {QStringLiteral("/tmp/a b.asm"), std::nullopt};
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/a b.asm"));
  ASSERT_EQ(dialogs.file_requests.size(), 1u);
  EXPECT_TRUE(dialogs.file_requests[0].save);
  EXPECT_EQ(dialogs.file_requests[0].title, dialog.Title);
  EXPECT_EQ(dialogs.file_requests[0].file_name, QStringLiteral("boot.asm"));
  EXPECT_EQ(dialogs.file_requests[0].default_ext, QStringLiteral("*.asm"));
  // Cancelling keeps the previous name.
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/a b.asm"));
}

TEST(DialogsTest, GuardShowsTheErrorAndSkipsTheRestOfTheHandler) {
  TScriptedDialogs dialogs;
  bool rest_ran = false;
  RunGuarded(nullptr, [&] {
    throw ESrcError(
        FormatMessage("Cannot open file \"%s\". %s", "/t/boot.log", "No such file or directory"));
    rest_ran = true;
  });
  EXPECT_FALSE(rest_ran);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            QStringLiteral("Cannot open file \"/t/boot.log\". No such file or directory"));
  EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
  EXPECT_EQ(dialogs.messages[0].buttons, TMsgButtons::Ok);
  RunGuarded(nullptr, [] { throw 42; });
  EXPECT_EQ(dialogs.LastMessage(), QStringLiteral("Unknown error"));
  RunGuarded(nullptr, [] {});
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

}  // namespace
}  // namespace torvane
