// The close prompt: Escape or closing the box keeps the window and the text;
// only No discards.
#include <QPlainTextEdit>

#include "app/main_window.h"
#include "app_fixture.h"

namespace torvane {
namespace {

TEST(ClosePromptTest, OnlyAnExplicitNoDiscards) {
  TScriptedDialogs dialogs;
  TFAsmEd window;
  window.show();
  TypeText(*window.SrcEditor1, QStringLiteral("db 1"));
  // The box was dismissed (Escape, title-bar button): nothing is decided.
  dialogs.message_answers.push_back(mrCancel);
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(EditorText(*window.SrcEditor1), QStringLiteral("db 1"));
  EXPECT_TRUE(window.SrcEditor1->Modified());
  EXPECT_TRUE(dialogs.file_requests.empty());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].captions,
            (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));
  EXPECT_EQ(dialogs.messages[0].buttons, TMsgButtons::YesNo);

  // Through the menu the same; then No closes.
  dialogs.message_answers.push_back(mrCancel);
  window.X1->trigger();
  EXPECT_TRUE(window.isVisible());
  dialogs.message_answers.push_back(mrNo);
  EXPECT_TRUE(window.close());
  EXPECT_EQ(dialogs.messages.size(), 3u);
}

}  // namespace
}  // namespace torvane
