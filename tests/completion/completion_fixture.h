// A shown offscreen editor with a completion proposal attached to it, and
// helpers to type into the editor and into the proposal's window.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>

#include "completion/completion_proposal.h"
#include "completion/proposal_form.h"
#include "view/src_edit.h"

namespace torvane {

class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(500, 300);
    edit.show();
    edit.activateWindow();
    edit.setFocus();
    // Activation arrives through the event loop; the focus tests need it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
    proposal.ItemList() = {"mov", "movsb", "movzx", "add", "and"};
    proposal.SetEditor(&edit);
  }
  void TearDown() override { proposal.CancelProposal(); }

  void SetText(const char* line, int caret_char) {
    edit.Lines().ClearLines();
    edit.Lines().AppendLine(line);
    edit.SetCaretPos({caret_char, 1});
  }
  std::string Line(int line = 1) { return std::string(edit.Model().LineText(line)); }
  QWidget& Form() { return proposal.Form(); }
  void FormKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(&proposal.Form(), key, mods);
  }
  void FormType(const char* text) { QTest::keyClicks(&proposal.Form(), text); }
  void OpenList() { QTest::keyClick(&edit, Qt::Key_Space, Qt::ControlModifier); }

  TSrcEdit edit;
  TSrcCompletionProposal proposal;
};

}  // namespace torvane
