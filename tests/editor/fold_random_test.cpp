// Seeded random sequences of edits, collapses, expands, rescans, undo and
// redo on an editor with folding, mirrored on a plain editor without any:
// after every step the folded editor's expanded text equals the plain one,
// and undoing and redoing everything gives the original and edited bytes.
// Texts nest blocks whose ends share lines and open blocks on closing
// lines; options, tab widths, word wrap, insert and overwrite, the region
// set (the test's or the NASM highlighter's) and shown closing tokens are
// drawn per round; typed characters go through the typed-character check
// as keys do.
//
// TORVANE_RANDOM_ROUNDS sets the number of rounds (default 400) and
// TORVANE_RANDOM_SEED the seed, for long runs outside the suite;
// TORVANE_RANDOM_TRACE=1 adds both texts after every step to a failure.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdlib>
#include <random>

#include "highlight/nasm_highlighter.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

const char* const kLines[] = {"%macro m 1",
                              "%endmacro",
                              "%if X",
                              "%endif",
                              "  {",
                              "  }",
                              "; { %if",
                              "db \"}\"",
                              "\tmov eax, 1",
                              "",
                              "x",
                              "  nop   ",
                              "%endif }",
                              "} %endif",
                              "%endif %if Y",
                              "%rep 1 %endif %if Y",
                              ";{ setup",
                              "%endif ;}",
                              "} {",
                              "%endmacro %macro n 0",
                              "%rep 2",
                              "%endrep",
                              ";}",
                              "aaaaaaaaaaaa",
                              "\t\tab  cd",
                              "    z  w",
                              "{ %if Z"};

// Blocks whose ends share a line, and blocks opening on a closing line.
const std::vector<std::vector<const char*>> kSnippets = {
    {";{ setup", "mov eax, 1", "%if DEBUG", "  int3", "%endif ;}"},
    {"%if X", "a", "%rep 1 %endif %if Y", "b", "%endif"},
    {"{", "%if X", "  nop", "%endif }"},
    {"%macro m 0", "  {", "  x", "  } %endmacro"},
    {"%if A", "  %if B", "    x", "%endif %endif"},
    {"{", "  {", "    y", "}}"},
    {"%if X", "  a", "%endif %if Y", "  b", "%endif"},
    {"{ a", "b } {", "c", "}"},
    {";{", "%rep 3", "  nop", "%endrep ;} ;{", "x", ";}"}};

std::vector<std::string> RandomText(std::mt19937& rng) {
  std::vector<std::string> lines;
  const int n = 4 + static_cast<int>(rng() % 24);
  while (static_cast<int>(lines.size()) < n) {
    if (rng() % 4 == 0) {
      for (const char* line : kSnippets[rng() % kSnippets.size()]) {
        lines.emplace_back(line);
      }
    } else {
      lines.emplace_back(kLines[rng() % std::size(kLines)]);
    }
  }
  return lines;
}

TBufferPos RandomPos(std::mt19937& rng, const TSrcEditModel& model) {
  const int line =
      1 + static_cast<int>(rng() % static_cast<unsigned>(std::max(model.LineCount(), 1)));
  const int length = static_cast<int>(model.LineText(line).size());
  return {1 + static_cast<int>(rng() % static_cast<unsigned>(length + 7)), line};
}

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// The plain editor gets the folded one's caret and selection in expanded
// lines; a selection ending inside a collapsed header's mark covers the
// block, as an edit of the folded editor takes it (not the deletions that
// go from the caret whatever is selected).
void Mirror(TEditorFixture& f, TEditorFixture& p, bool uses_selection = true) {
  TSrcEditModel& m = f.model;
  const TSrcEditFolds& folds = m.Folds();
  bool covers_block = false;
  const auto expanded = [&](TBufferPos pos, bool is_end) {
    const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(pos.Line);
    if (is_end && uses_selection && header != nullptr &&
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

const TSrcEditorCommand kEdits[] = {ecDeleteLastChar,
                                    ecDeleteChar,
                                    ecDeleteWord,
                                    ecDeleteLastWord,
                                    ecDeleteBOL,
                                    ecDeleteEOL,
                                    ecDeleteLine,
                                    ecLineBreak,
                                    ecInsertLine,
                                    ecTab,
                                    ecShiftTab,
                                    ecPaste,
                                    ecCut,
                                    ecBlockIndent,
                                    ecBlockUnindent,
                                    ecUpperCase,
                                    ecLowerCase,
                                    ecToggleCase,
                                    ecTitleCase,
                                    ecUpperCaseBlock,
                                    ecToggleCaseBlock,
                                    ecLowerCaseBlock,
                                    ecPaste,
                                    ecTab,
                                    ecLineBreak};

bool Guarded(TEditorFixture& f, TSrcEditorCommand command) {
  if (f.model.Folds().CollapsedHeaderAt(f.model.CaretLine()) == nullptr) {
    return false;
  }
  return (command >= ecEditCommandFirst && command <= ecEditCommandLast) || command == ecTab ||
         command == ecShiftTab || command == ecCut || command == ecPaste;
}

void SetClipboard(std::mt19937& rng) {
  static const char* const kTexts[] = {
      "%endif\r\nq", "{ z", "1\r\n2\r\n3", "ab\r\n\r\ncd\r\nef", "%if Q\r\n}\r\n%endif ;}", "\tt"};
  const std::string text = kTexts[rng() % std::size(kTexts)];
  auto* data = new QMimeData;
  if (rng() % 3 == 0) {  // the private entry, with a selection mode
    QByteArray block;
    block.append(static_cast<char>(rng() % 3));
    block.append(text.data(), static_cast<qsizetype>(text.size()));
    block.append('\0');
    data->setData(QStringLiteral("SrcEdit Control Block Type"), block);
  }
  data->setText(QString::fromStdString(text));
  QGuiApplication::clipboard()->setMimeData(data);
}

// Enter on a collapsed header opens the block first: in column 1 the line
// goes in above the header, at or after the end of its text below the
// whole block; inside the text nothing happens. Where the plain editor's
// caret goes for the same break (false: no break).
bool EnterOnCollapsedHeader(TEditorFixture& f, TEditorFixture& p) {
  const TSrcEditModel& m = f.model;
  const TSrcEditFolds& folds = m.Folds();
  const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(m.CaretLine());
  const std::string_view text = folds.HeaderText(*header);
  const int trimmed = static_cast<int>(text.find_last_not_of(" \t") + 1);
  const int line = folds.ExpandedLineNumber(m.CaretLine());
  if (m.CaretPos().Char == 1) {
    p.Caret(1, line);
    return true;
  }
  if (m.CaretPos().Char <= trimmed) {
    return false;
  }
  const int last = line + TSrcEditAllFoldRanges::HiddenTotal(*header) + 1;
  p.Caret(static_cast<int>(p.model.LineText(last).size()) + 1, last);
  return true;
}

std::string Step(std::mt19937& rng, TEditorFixture& f, TEditorFixture& p) {
  TSrcEditModel& m = f.model;
  TSrcEditAllFoldRanges& ranges = m.Folds().Ranges();
  const int choice = static_cast<int>(rng() % 17);
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
    TBufferPos b = RandomPos(rng, m);
    if (m.SelectionMode() == smColumn && rng() % 3 == 0) {
      b.Char = a.Char;  // a column of no width
    }
    f.Select(a, b);
    return FormatMessage("select %d (%d,%d)-(%d,%d)", m.SelectionMode(), a.Char, a.Line, b.Char,
                         b.Line);
  }
  if (choice == 7) {
    // A key that types: the typed-character check first, as keys go.
    const char c = "a{}%; x."[rng() % 8];
    if (!f.editor.FoldEditFilter(c)) {
      return FormatMessage("refused '%c'", c);
    }
    if (Guarded(f, ecChar)) {
      return "guarded char";
    }
    Mirror(f, p);
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
    f.Cmd(ecToggleMode);
    p.Cmd(ecToggleMode);
    return "toggle mode";
  }
  if (choice == 11) {
    // Text of an input method, several characters at once.
    std::string text = rng() % 2 == 0 ? "ab" : "}%";
    if (Guarded(f, ecImeStr)) {
      return "guarded ime";
    }
    Mirror(f, p);
    f.Cmd(ecImeStr, 0, &text);
    p.Cmd(ecImeStr, 0, &text);
    return "ime " + text;
  }
  if (choice == 12) {
    SetClipboard(rng);
  }
  const TSrcEditorCommand command = kEdits[rng() % std::size(kEdits)];
  if (command == ecLineBreak && !m.HasSelection() &&
      f.model.Folds().CollapsedHeaderAt(m.CaretLine()) != nullptr) {
    if (!EnterOnCollapsedHeader(f, p)) {
      f.Cmd(command);
      return "refused enter";
    }
    f.Cmd(command);
    p.Cmd(command);
    f.editor.FoldEditFilter('\r');
    return "enter on a header";
  }
  if (Guarded(f, command)) {
    return "guarded " + CommandToText(command);
  }
  Mirror(f, p,
         command != ecDeleteWord && command != ecDeleteLastWord && command != ecDeleteBOL &&
             command != ecDeleteEOL && command != ecDeleteLine);
  const std::string before =
      FormatMessage(" [f sel %d opt %u mode %d | p sel %d opt %u mode %d]", f.model.HasSelection(),
                    f.model.Options().Mask(), f.model.SelectionMode(), p.model.HasSelection(),
                    p.model.Options().Mask(), p.model.SelectionMode());
  f.Cmd(command);
  p.Cmd(command);
  // Keys that run a command pass the typed-character check after it.
  if (command == ecLineBreak || command == ecDeleteLastChar) {
    f.editor.FoldEditFilter(command == ecLineBreak ? '\r' : '\b');
  }
  return CommandToText(command) + before;
}

constexpr int kTabWidths[] = {1, 2, 4, 8};

TEST(FoldRandomTest, ExpandedTextFollowsAPlainEditorAndUndoIsExact) {
  const int rounds = EnvInt("TORVANE_RANDOM_ROUNDS", 400);
  const auto seed = static_cast<std::uint32_t>(EnvInt("TORVANE_RANDOM_SEED", 20261207));
  // The texts of both editors after every step, in a failure's trace.
  const bool trace_text = EnvInt("TORVANE_RANDOM_TRACE", 0) != 0;
  std::mt19937 rng(seed);
  int collapsed_edits = 0;
  int steps_run = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::vector<std::string> lines = RandomText(rng);
    TEditorFixture f(lines);
    TEditorFixture p(lines);
    TSrcNasmHighlighter fh;
    TSrcNasmHighlighter ph;
    const bool nasm = rng() % 2 == 0;
    TSrcEditorOptions options = kDefaultEditorOptions;
    for (const TSrcEditorOption o :
         {eoGroupUndo, eoAutoIndent, eoTabsToSpaces, eoSmartTabs, eoTabIndent, eoSmartTabDelete,
          eoColumnEditExtension, eoTrimTrailingSpaces}) {
      if (rng() % 3 == 0) {
        options.Set(o, !options.Has(o));
      }
    }
    const int tab_width = kTabWidths[rng() % std::size(kTabWidths)];
    const int wrap_width = rng() % 2 == 0 ? 0 : 6 + static_cast<int>(rng() % 30);
    for (TEditorFixture* e : {&f, &p}) {
      e->model.ApplyOptions(options);
      e->model.SetTabWidth(tab_width);
      e->editor.SetMaxUndo(100000);
      if (wrap_width > 0) {
        e->view.wrap_width = wrap_width;
        e->model.SetWordWrapActive(true);
      }
    }
    if (nasm) {
      f.model.SetHighlighter(&fh);
      p.model.SetHighlighter(&ph);
    } else {
      TFoldRegions& regions = f.model.CodeFolding().FoldRegions();
      test::AddNasmFoldRegions(regions);
      for (int i = 0; i < regions.Count(); ++i) {
        regions.Item(i).ShowCloseToken = rng() % 3 == 0;
      }
    }
    f.model.CodeFolding().SetCaseSensitive(rng() % 2 == 0);
    f.model.CodeFolding().SetEnabled(true);
    f.model.RescanFolds();
    const std::string original = p.Text();
    std::string trace = FormatMessage("options %u tab %d wrap %d nasm %d\n", options.Mask(),
                                      tab_width, wrap_width, nasm);
    const int steps = 5 + static_cast<int>(rng() % 60);
    for (int i = 0; i < steps; ++i) {
      const bool folded = f.model.Folds().CollapsedCount() > 0;
      trace += Step(rng, f, p);
      trace += "\n  " + f.model.Folds().Dump() + "\n";
      if (trace_text) {
        trace += "  f: " + f.Text() + "\n  p: " + p.Text() + "\n";
      }
      trace += FormatMessage("  f (%d,%d)-(%d,%d) p (%d,%d)-(%d,%d)\n",
                             f.model.SelectionAnchor().Char, f.model.SelectionAnchor().Line,
                             f.model.SelectionActiveEnd().Char, f.model.SelectionActiveEnd().Line,
                             p.model.SelectionAnchor().Char, p.model.SelectionAnchor().Line,
                             p.model.SelectionActiveEnd().Char, p.model.SelectionActiveEnd().Line);
      collapsed_edits += folded ? 1 : 0;
      ++steps_run;
      ASSERT_EQ(f.model.AllText(), p.Text()) << "seed " << seed << " round " << round << "\n"
                                             << trace;
      ASSERT_EQ(f.editor.Modified(), p.editor.Modified())
          << "seed " << seed << " round " << round << "\n"
          << trace;
    }
    // What is still on the redo lists belongs to the edited text.
    for (int guard = 0; f.editor.CanRedo() && guard < 10000; ++guard) {
      f.Cmd(ecRedo);
      p.Cmd(ecRedo);
    }
    ASSERT_EQ(f.model.AllText(), p.Text()) << "seed " << seed << " round " << round << "\n"
                                           << trace;
    const std::string edited = p.Text();
    // Both editors step back and forth together, with blocks collapsed as
    // the sequence left them.
    for (int guard = 0; f.editor.CanUndo() && guard < 10000; ++guard) {
      f.Cmd(ecUndo);
      p.Cmd(ecUndo);
      trace += "undo " + f.model.Folds().Dump() + "\n";
      ASSERT_EQ(f.model.AllText(), p.Text()) << "seed " << seed << " round " << round << "\n"
                                             << trace;
    }
    ASSERT_EQ(f.model.AllText(), original) << "seed " << seed << " round " << round << "\n"
                                           << trace;
    EXPECT_FALSE(f.editor.Modified());
    for (int guard = 0; f.editor.CanRedo() && guard < 10000; ++guard) {
      f.Cmd(ecRedo);
      p.Cmd(ecRedo);
      trace += "redo " + f.model.Folds().Dump() + "\n";
      ASSERT_EQ(f.model.AllText(), p.Text()) << "seed " << seed << " round " << round << "\n"
                                             << trace;
    }
    ASSERT_EQ(f.model.AllText(), edited) << "seed " << seed << " round " << round << "\n" << trace;
    // Expanded, the store holds the text itself: no mark left behind.
    f.model.ExpandAllFolds();
    ASSERT_EQ(f.Text(), edited) << "seed " << seed << " round " << round << "\n" << trace;
    f.model.SetHighlighter(nullptr);
    p.model.SetHighlighter(nullptr);
  }
  if (rounds >= 400) {
    EXPECT_GT(collapsed_edits, 2000);
  }
  std::printf("fold random: seed %u, %d rounds, %d steps, %d with blocks collapsed\n", seed, rounds,
              steps_run, collapsed_edits);
}

}  // namespace
}  // namespace torvane
