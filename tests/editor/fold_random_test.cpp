// Seeded random sequences of edits, collapses, expands, rescans, undo and
// redo on an editor with folding, mirrored on a plain editor without any:
// after every step the folded editor's expanded text equals the plain one,
// and undoing and redoing everything gives the original and edited bytes.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <random>

#include "tests/editor/editor_fixture.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

const char* const kLines[] = {"%macro m 1",   "%endmacro", "%if X",   "%endif",
                              "  {",          "  }",       "; { %if", "db \"}\"",
                              "\tmov eax, 1", "",          "x",       "  nop   "};

std::vector<std::string> RandomText(std::mt19937& rng) {
  std::vector<std::string> lines;
  const int n = 4 + static_cast<int>(rng() % 24);
  for (int i = 0; i < n; ++i) {
    lines.emplace_back(kLines[rng() % std::size(kLines)]);
  }
  return lines;
}

TBufferPos RandomPos(std::mt19937& rng, const TSrcEditModel& model) {
  const int line =
      1 + static_cast<int>(rng() % static_cast<unsigned>(std::max(model.LineCount(), 1)));
  const int length = static_cast<int>(model.LineText(line).size());
  return {1 + static_cast<int>(rng() % static_cast<unsigned>(length + 7)), line};
}

// The plain editor gets the folded one's caret and selection in expanded
// lines; a selection ending inside a collapsed header's mark covers the
// block, as an edit of the folded editor takes it.
void Mirror(TEditorFixture& f, TEditorFixture& p) {
  TSrcEditModel& m = f.model;
  const TSrcEditFolds& folds = m.Folds();
  bool covers_block = false;
  const auto expanded = [&](TBufferPos pos, bool is_end) {
    const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(pos.Line);
    if (is_end && header != nullptr &&
        pos.Char > static_cast<int>(folds.HeaderText(*header).size()) + 1) {
      covers_block = true;
      std::vector<std::string> block;
      folds.AppendExpandedLines(pos.Line, pos.Line, block);
      return TBufferPos{static_cast<int>(block.back().size()) + 1,
                        folds.ExpandedLineNumber(pos.Line) + static_cast<int>(block.size()) - 1};
    }
    return m.ToExpandedPos(pos);
  };
  const bool has_selection = m.HasSelection();
  const bool anchor_is_end = m.SelectionActiveEnd() < m.SelectionAnchor();
  const TBufferPos anchor = expanded(m.SelectionAnchor(), has_selection && anchor_is_end);
  const TBufferPos active = expanded(m.SelectionActiveEnd(), has_selection && !anchor_is_end);
  p.model.SetSelectionMode(m.SelectionMode());
  // Anchor and active end go across as they are: a column selection of no
  // width still types into every line between them.
  // When the selection covers a block the edit puts the caret on its active
  // end.
  p.model.PlaceCaretAndSelection(covers_block ? active : m.ToExpandedPos(m.CaretPos()), anchor,
                                 active);
}

const TSrcEditorCommand kEdits[] = {
    ecDeleteLastChar, ecDeleteChar, ecDeleteWord,    ecDeleteLastWord, ecDeleteBOL,
    ecDeleteEOL,      ecDeleteLine, ecLineBreak,     ecInsertLine,     ecTab,
    ecShiftTab,       ecPaste,      ecCut,           ecBlockIndent,    ecBlockUnindent,
    ecUpperCase,      ecToggleCase, ecLowerCaseBlock};

bool Guarded(TEditorFixture& f, TSrcEditorCommand command) {
  if (f.model.Folds().CollapsedHeaderAt(f.model.CaretLine()) == nullptr) {
    return false;
  }
  return (command >= ecEditCommandFirst && command <= ecEditCommandLast) || command == ecTab ||
         command == ecShiftTab || command == ecCut || command == ecPaste;
}

std::string Step(std::mt19937& rng, TEditorFixture& f, TEditorFixture& p) {
  TSrcEditModel& m = f.model;
  TSrcEditAllFoldRanges& ranges = m.Folds().Ranges();
  const int choice = static_cast<int>(rng() % 14);
  if (choice <= 2 && ranges.AllCount() > 0) {
    TSrcEditFoldRange& range = *ranges.AllRange(static_cast<int>(rng() % ranges.AllCount()));
    m.CollapseFold(range);
    return "collapse " + std::to_string(range.FirstLine);
  }
  if (choice == 3 && ranges.AllCount() > 0) {
    TSrcEditFoldRange& range = *ranges.AllRange(static_cast<int>(rng() % ranges.AllCount()));
    m.ExpandFold(range);
    return "expand " + std::to_string(range.FirstLine);
  }
  if (choice == 4) {
    if (rng() % 3 == 0) {
      m.ExpandAllFolds();
      return "expand all";
    }
    m.RescanFoldsKeepingCollapsed();
    return "rescan";
  }
  if (choice == 5) {
    const TBufferPos pos = RandomPos(rng, m);
    f.Caret(pos.Char, pos.Line);
    return FormatMessage("caret (%d,%d)", pos.Char, pos.Line);
  }
  if (choice == 6) {
    static constexpr TSrcSelectionMode kModes[] = {smNormal, smNormal, smLine, smColumn};
    m.SetSelectionMode(kModes[rng() % 4]);
    const TBufferPos a = RandomPos(rng, m);
    const TBufferPos b = RandomPos(rng, m);
    f.Select(a, b);
    return FormatMessage("select %d (%d,%d)-(%d,%d)", m.SelectionMode(), a.Char, a.Line, b.Char,
                         b.Line);
  }
  Mirror(f, p);
  if (choice == 7) {
    const char c = "a{}%; x"[rng() % 7];
    if (Guarded(f, ecChar)) {
      return "guarded char";
    }
    const std::string state = FormatMessage(
        " [f caret (%d,%d) mode %d | p caret (%d,%d) mode %d (%d,%d)-(%d,%d)]", m.CaretPos().Char,
        m.CaretPos().Line, m.SelectionMode(), p.model.CaretPos().Char, p.model.CaretPos().Line,
        p.model.SelectionMode(), p.model.SelectionAnchor().Char, p.model.SelectionAnchor().Line,
        p.model.SelectionActiveEnd().Char, p.model.SelectionActiveEnd().Line);
    f.Type(std::string(1, c));
    p.Type(std::string(1, c));
    return FormatMessage("type '%c'", c) + state;
  }
  if (choice == 8) {
    f.Cmd(ecUndo);
    p.Cmd(ecUndo);
    return "undo";
  }
  if (choice == 9) {
    f.Cmd(ecRedo);
    p.Cmd(ecRedo);
    return "redo";
  }
  if (choice == 10) {
    const std::string text = rng() % 2 == 0 ? "%endif\r\nq" : "{ z";
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
  }
  const TSrcEditorCommand command = kEdits[rng() % std::size(kEdits)];
  if (Guarded(f, command)) {
    return "guarded " + CommandToText(command);
  }
  const std::string before =
      FormatMessage(" [f sel %d opt %u mode %d | p sel %d opt %u mode %d]", f.model.HasSelection(),
                    f.model.Options().Mask(), f.model.SelectionMode(), p.model.HasSelection(),
                    p.model.Options().Mask(), p.model.SelectionMode());
  f.Cmd(command);
  p.Cmd(command);
  return CommandToText(command) + before;
}

TEST(FoldRandomTest, ExpandedTextFollowsAPlainEditorAndUndoIsExact) {
  std::mt19937 rng(20261207);
  int collapsed_edits = 0;
  for (int round = 0; round < 400; ++round) {
    const std::vector<std::string> lines = RandomText(rng);
    TEditorFixture f(lines);
    TEditorFixture p(lines);
    TSrcEditorOptions options = kDefaultEditorOptions;
    options.Exclude(eoAutoIndent).Exclude(eoSmartTabs).Exclude(eoTrimTrailingSpaces);
    if (rng() % 2 == 0) {
      options.Exclude(eoGroupUndo);
    }
    for (TEditorFixture* e : {&f, &p}) {
      e->model.ApplyOptions(options);
      e->editor.SetMaxUndo(100000);
    }
    test::AddNasmFoldRegions(f.model.CodeFolding().FoldRegions());
    f.model.CodeFolding().SetCaseSensitive(rng() % 2 == 0);
    f.model.CodeFolding().SetEnabled(true);
    const std::string original = p.Text();
    std::string trace;
    const int steps = 5 + static_cast<int>(rng() % 40);
    for (int i = 0; i < steps; ++i) {
      const bool folded = f.model.Folds().CollapsedCount() > 0;
      trace += Step(rng, f, p);
      trace += "\n  " + f.model.Folds().Dump() + "\n";
      trace += FormatMessage("  f (%d,%d)-(%d,%d) p (%d,%d)-(%d,%d)\n",
                             f.model.SelectionAnchor().Char, f.model.SelectionAnchor().Line,
                             f.model.SelectionActiveEnd().Char, f.model.SelectionActiveEnd().Line,
                             p.model.SelectionAnchor().Char, p.model.SelectionAnchor().Line,
                             p.model.SelectionActiveEnd().Char, p.model.SelectionActiveEnd().Line);
      collapsed_edits += folded ? 1 : 0;
      ASSERT_EQ(f.model.AllText(), p.Text()) << "round " << round << "\n" << trace;
      ASSERT_EQ(f.editor.Modified(), p.editor.Modified()) << "round " << round << "\n" << trace;
    }
    // What is still on the redo lists belongs to the edited text.
    for (int guard = 0; f.editor.CanRedo() && guard < 10000; ++guard) {
      f.Cmd(ecRedo);
      p.Cmd(ecRedo);
    }
    ASSERT_EQ(f.model.AllText(), p.Text()) << "round " << round << "\n" << trace;
    const std::string edited = p.Text();
    // Both editors step back and forth together, with blocks collapsed as
    // the sequence left them.
    for (int guard = 0; f.editor.CanUndo() && guard < 10000; ++guard) {
      f.Cmd(ecUndo);
      p.Cmd(ecUndo);
      trace += "undo " + f.model.Folds().Dump() + "\n";
      ASSERT_EQ(f.model.AllText(), p.Text()) << "round " << round << "\n" << trace;
    }
    ASSERT_EQ(f.model.AllText(), original) << "round " << round << "\n" << trace;
    EXPECT_FALSE(f.editor.Modified());
    for (int guard = 0; f.editor.CanRedo() && guard < 10000; ++guard) {
      f.Cmd(ecRedo);
      p.Cmd(ecRedo);
      trace += "redo " + f.model.Folds().Dump() + "\n";
      ASSERT_EQ(f.model.AllText(), p.Text()) << "round " << round << "\n" << trace;
    }
    ASSERT_EQ(f.model.AllText(), edited) << "round " << round << "\n" << trace;
  }
  EXPECT_GT(collapsed_edits, 2000);
}

}  // namespace
}  // namespace torvane
