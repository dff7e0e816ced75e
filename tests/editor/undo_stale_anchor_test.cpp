// Undo after caret placements that move only the active end.
#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"

namespace torvane::testing {
namespace {

TEST(UndoAfterCaretPlacement, TypingAfterSetCaretPosUndoesToTheStart) {
  TEditorFixture f({"a", "b"});
  f.model.SetCaretPos({2, 2});
  f.Type("c");
  f.model.SetCaretPos({1, 1});
  f.Type("xy");
  const std::string typed = f.Text();
  f.Cmd(ecUndo);
  f.Cmd(ecUndo);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "a\r\nb") << "after typing: " << typed;
  f.Cmd(ecRedo);
  f.Cmd(ecRedo);
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), typed);
}

}  // namespace
}  // namespace torvane::testing
