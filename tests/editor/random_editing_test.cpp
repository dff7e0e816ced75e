// Seeded random command sequences on random texts: undoing everything must
// give back the original bytes, redoing everything the edited ones.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <random>

#include "highlight/nasm_highlighter.h"
#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

// The characters random lines are made of: ASCII with tabs and the brackets
// and quotes word moves and bracket matching look at, plus multi-byte ones.
std::vector<std::string> g_chars;

const std::vector<std::string> kAsciiChars = {"a", "b", "c", "X", "Y", "Z",  "0", "1",
                                              "9", " ", " ", "_", ".", ",",  ";", "(",
                                              ")", "[", "]", "{", "}", "\"", "'", "\t"};

std::string RandomLine(std::mt19937& rng) {
  const std::vector<std::string>& kChars = g_chars;
  std::uniform_int_distribution<int> length(0, 14);
  std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
  std::string line;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) {
    line += kChars[pick(rng)];
  }
  return line;
}

std::vector<std::string> RandomText(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 8);
  std::vector<std::string> lines;
  const int n = count(rng);
  for (int i = 0; i < n; ++i) {
    lines.push_back(RandomLine(rng));
  }
  return lines;
}

TBufferPos RandomPos(std::mt19937& rng, const TSrcEditModel& model) {
  const int lines = std::max(model.LineCount(), 1);
  const int line = std::uniform_int_distribution<int>(1, lines)(rng);
  const int length = static_cast<int>(model.LineText(line).size());
  return {std::uniform_int_distribution<int>(1, length + 3)(rng), line};
}

void SetClipboard(std::mt19937& rng) {
  auto* data = new QMimeData;
  std::string text = RandomLine(rng);
  if (rng() % 2 == 0) {
    text += "\r\n" + RandomLine(rng);
  }
  if (rng() % 3 == 0) {
    QByteArray block;
    block.append(static_cast<char>(rng() % 3));
    block.append(text.data(), static_cast<qsizetype>(text.size()));
    block.append('\0');
    data->setData(QStringLiteral("SrcEdit Control Block Type"), block);
  }
  data->setText(QString::fromStdString(text));
  QGuiApplication::clipboard()->setMimeData(data);
}

constexpr int kTabWidths[] = {1, 2, 3, 4, 8};

std::string RandomCommand(std::mt19937& rng, TEditorFixture& f) {
  static constexpr TSrcEditorCommand kEdits[] = {ecDeleteLastChar,
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
                                                 ecLowerCaseBlock,
                                                 ecToggleCaseBlock,
                                                 ecToggleMode,
                                                 ecSelWordRight,
                                                 ecSelDown,
                                                 ecSelLineEnd,
                                                 ecWordLeft,
                                                 ecMatchBracket,
                                                 ecSelWord,
                                                 ecSelectAll,
                                                 ecSelPageDown,
                                                 ecScrollDown,
                                                 ecEditorBottom,
                                                 ecSetMarker0,
                                                 ecGotoMarker0,
                                                 ecSelLeft,
                                                 ecUp,
                                                 ecNormalSelect,
                                                 ecColumnSelect,
                                                 ecLineSelect};
  const int choice = std::uniform_int_distribution<int>(0, 9)(rng);
  const auto pos = [](TBufferPos p) { return FormatMessage("(%d,%d)", p.Char, p.Line); };
  if (choice <= 2) {
    const char c = "ab c(]x"[rng() % 7];
    f.Type(std::string(1, c));
    return FormatMessage("type '%c'", c);
  }
  if (choice == 3) {
    const TBufferPos p = RandomPos(rng, f.model);
    f.Caret(p.Char, p.Line);
    return "caret " + pos(f.model.CaretPos());
  }
  if (choice == 4) {
    static constexpr TSrcSelectionMode kModes[] = {smNormal, smLine, smColumn};
    f.model.SetSelectionMode(kModes[rng() % 3]);
    const TBufferPos anchor = RandomPos(rng, f.model);
    f.Select(anchor, RandomPos(rng, f.model));
    return FormatMessage("select mode %d ", f.model.SelectionMode()) +
           pos(f.model.SelectionAnchor()) + "-" + pos(f.model.SelectionActiveEnd()) + " caret " +
           pos(f.model.CaretPos());
  }
  if (choice == 5 && rng() % 4 == 0) {
    std::string composed = rng() % 2 == 0 ? "\xE4\xB8\xAD\xE6\x96\x87" : "ab";
    f.Cmd(ecImeStr, 0, &composed);
    return "ime " + composed;
  }
  if (choice == 5 && rng() % 3 == 0) {
    // The memo messages: replacing the selection or the whole text.
    std::string text = RandomLine(rng);
    if (rng() % 2 == 0) {
      text += "\r\n" + RandomLine(rng);
    }
    if (rng() % 4 == 0) {
      f.editor.SetTextByMessage(text);
      return "settext \"" + text + "\"";
    }
    f.editor.ReplaceSelectionByMessage(true, text);
    return "replacesel \"" + text + "\"";
  }
  if (choice == 5) {
    SetClipboard(rng);
    f.Cmd(ecPaste);
    return "paste \"" + QGuiApplication::clipboard()->text().toStdString() + "\"";
  }
  if (choice == 6 && rng() % 8 == 0) {
    const int width = kTabWidths[rng() % std::size(kTabWidths)];
    f.model.SetTabWidth(width);
    return FormatMessage("tab width %d", width);
  }
  const TSrcEditorCommand command = kEdits[rng() % std::size(kEdits)];
  f.Cmd(command);
  return CommandToText(command);
}

// Every option the editing commands read, each flipped now and then, and
// one of several tab widths; the undo limit stays at its default.
void SetRandomOptions(std::mt19937& rng, TEditorFixture& f) {
  TSrcEditorOptions options = kDefaultEditorOptions;
  for (const TSrcEditorOption o :
       {eoGroupUndo, eoAutoIndent, eoTabsToSpaces, eoSmartTabs, eoTabIndent, eoSmartTabDelete,
        eoScrollPastEol, eoEnhanceHomeKey, eoEnhanceEndKey, eoKeepCaretX, eoColumnEditExtension,
        eoTrimTrailingSpaces}) {
    if (rng() % 4 == 0) {
      options.Set(o, !options.Has(o));
    }
  }
  f.model.ApplyOptions(options);
  f.model.SetTabWidth(kTabWidths[rng() % std::size(kTabWidths)]);
}

// Runs `rounds` random sequences; each undone completely and redone
// completely. Returns how many sequences changed the text.
int RunRounds(std::uint32_t seed, int rounds) {
  std::mt19937 rng(seed);
  int changed = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::vector<std::string> lines = RandomText(rng);
    TEditorFixture f(lines);
    SetRandomOptions(rng, f);
    const std::string original = f.Text();
    const int steps = std::uniform_int_distribution<int>(1, 20)(rng);
    std::string trace;
    for (int i = 0; i < steps; ++i) {
      trace += RandomCommand(rng, f);
      trace += "\n  -> " + f.Text() + "\n  " + f.UndoKinds() + "\n";
    }
    const std::string edited = f.Text();
    changed += edited != original ? 1 : 0;
    std::string steps_trace;
    for (int guard = 0; f.editor.CanUndo() && guard < 10000; ++guard) {
      f.Cmd(ecUndo);
      steps_trace += "undo -> " + f.Text() + "\n  undo: " + f.UndoKinds() + "\n";
    }
    EXPECT_EQ(f.Text(), original) << "round " << round << "\n" << trace << steps_trace;
    EXPECT_FALSE(f.editor.Modified());
    for (int guard = 0; f.editor.CanRedo() && guard < 10000; ++guard) {
      f.Cmd(ecRedo);
      steps_trace += "redo -> " + f.Text() + "\n  undo: " + f.UndoKinds() + "\n";
    }
    EXPECT_EQ(f.Text(), edited) << "round " << round << "\n" << trace << steps_trace;
    if (::testing::Test::HasFailure()) {
      break;
    }
  }
  return changed;
}

// Commands over more lines than the default undo limit (1,024 entries): a
// few small edits, then one command over the whole text in a random mode.
// One undo takes it back whole; the older steps it pushed out of the list
// are gone, never half of it.
void RunLargeRounds(std::uint32_t seed, int rounds) {
  static constexpr TSrcEditorCommand kWhole[] = {
      ecChar,           ecBlockIndent, ecBlockUnindent,  ecCut,       ecPaste, ecTab, ecShiftTab,
      ecUpperCaseBlock, ecDeleteChar,  ecDeleteLastChar, ecLineBreak, ecImeStr};
  static constexpr TSrcSelectionMode kModes[] = {smNormal, smLine, smColumn};
  std::mt19937 rng(seed);
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::string> lines;
    const int count = 1025 + static_cast<int>(rng() % 400);
    for (int i = 0; i < count; ++i) {
      lines.push_back(RandomLine(rng));
    }
    TEditorFixture f(lines);
    SetRandomOptions(rng, f);
    ASSERT_EQ(f.editor.MaxUndo(), 1024);
    const std::string original = f.Text();
    std::string trace;
    // Undoing everything lands on one of these, depending on how many of the
    // small steps the large one left in the list.
    std::vector<std::string> states = {original};
    for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
      trace += RandomCommand(rng, f) + "\n";
      states.push_back(f.Text());
    }
    const std::string before = f.Text();
    const TSrcSelectionMode mode = kModes[rng() % 3];
    f.model.SetSelectionMode(mode);
    const TBufferPos anchor{static_cast<int>(rng() % 4) + 1, 1};
    const TBufferPos active{static_cast<int>(rng() % 6) + 1, f.model.LineCount()};
    f.Select(anchor, active);
    const TSrcEditorCommand command = kWhole[rng() % std::size(kWhole)];
    std::string composed = "\xE4\xB8\xAD";
    if (command == ecPaste) {
      SetClipboard(rng);
    }
    f.Cmd(command, 'q', command == ecImeStr ? &composed : nullptr);
    trace += FormatMessage("mode %d ", mode) + CommandToText(command);
    const std::string edited = f.Text();
    if (edited != before) {  // a command that changed nothing left no step
      f.Cmd(ecUndo);
      EXPECT_EQ(f.Text(), before) << "round " << round << "\n" << trace;
    }
    for (int guard = 0; f.editor.CanUndo() && guard < 100; ++guard) {
      f.Cmd(ecUndo);
    }
    if (f.editor.UndoList().HistoryTruncated()) {
      EXPECT_NE(std::find(states.begin(), states.end(), f.Text()), states.end())
          << "round " << round << "\n"
          << trace;
    } else {
      EXPECT_EQ(f.Text(), original) << "round " << round << "\n" << trace;
    }
    for (int guard = 0; f.editor.CanRedo() && guard < 100; ++guard) {
      f.Cmd(ecRedo);
    }
    EXPECT_EQ(f.Text(), edited) << "round " << round << "\n" << trace;
    if (::testing::Test::HasFailure()) {
      break;
    }
  }
}

TEST(RandomEditingTest, CommandsOverMoreLinesThanTheUndoLimit) {
  ScopedCodePage page("UTF-8");
  g_chars = kAsciiChars;
  g_chars.insert(g_chars.end(), {"\xC3\xA9", "\xE4\xB8\xAD"});
  RunLargeRounds(1024, 40);
}

TEST(RandomEditingTest, UndoAllRestoresTheTextAndRedoAllTheEdits) {
  ScopedCodePage page("UTF-8");
  g_chars = kAsciiChars;
  g_chars.insert(g_chars.end(), {"\xC3\xA9", "\xE4\xB8\xAD"});
  EXPECT_GT(RunRounds(20261207, 3000), 2000);
}

// In GBK a trail byte may be '[', ']', '{' or '}', and a lead byte can
// follow any character: moves and blocks must never split one.
TEST(RandomEditingTest, DoubleByteTextSurvivesUndoAndRedo) {
  ScopedCodePage page("GBK");
  g_chars = kAsciiChars;
  g_chars.insert(g_chars.end(), {"\xD6\xD0", "\xB9\x5B", "\x81\x7D", "\xB0\xA1"});
  EXPECT_GT(RunRounds(7, 1500), 1000);
}

// Lines several at a time go into the store at once, with their texts (a
// large text taken whole), where folding is off; with folding on they are
// written one by one into blank lines. Both ways must give the same text,
// records, range states, repainted lines and undo: the same random commands
// (and large selections in each mode replaced, or cut and pasted, then
// undone and redone) on two editors, one with folding on over a
// highlighter without fold regions.
TEST(RandomEditingTest, LinesInsertedAtOnceMatchLinesWrittenOneByOne) {
  ScopedCodePage page("UTF-8");
  g_chars = kAsciiChars;
  g_chars.insert(g_chars.end(), {"\xC3\xA9", "\xE4\xB8\xAD"});
  // Lines painted since the last look, merged: what a repaint covers.
  const auto repainted = [](testing::TRecordingView& view) {
    std::vector<std::pair<int, int>> spans = view.invalidated;
    view.invalidated.clear();
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& s : spans) {
      if (!merged.empty() && s.first <= merged.back().second + 1) {
        merged.back().second = std::max(merged.back().second, s.second);
      } else {
        merged.push_back(s);
      }
    }
    return merged;
  };
  const auto state = [](TEditorFixture& f) {
    std::string out = f.Text() + "|" + f.UndoKinds() + "|";
    TSrcEditStringList& store = f.model.Lines();
    for (int i = 0; i < store.LineCount(); ++i) {
      store.GetExpandedLength(i);  // the same whether noted on the way or computed now
      out += std::to_string(f.model.RangeStates().StateAt(i)) + " ";
    }
    const auto pos = [](TBufferPos p) { return FormatMessage("(%d,%d)", p.Char, p.Line); };
    return out + store.Dump() + pos(f.model.CaretPos()) + pos(f.model.SelectionAnchor()) +
           pos(f.model.SelectionActiveEnd()) +
           FormatMessage(" longest %d", store.LongestLineLength());
  };
  std::mt19937 rng(4242);
  for (int round = 0; round < 150; ++round) {
    std::vector<std::string> lines = RandomText(rng);
    if (round % 5 == 0) {  // enough lines to share one block
      for (int i = 300 + static_cast<int>(rng() % 300); i > 0; --i) {
        lines.push_back(RandomLine(rng));
      }
    }
    TSrcNasmHighlighter ha;
    TSrcNasmHighlighter hb;
    hb.FoldRegions().Clear();
    TEditorFixture a(lines);
    TEditorFixture b(lines);
    a.model.SetHighlighter(&ha);
    b.model.SetHighlighter(&hb);
    b.model.CodeFolding().SetEnabled(true);
    const std::uint32_t seed = static_cast<std::uint32_t>(rng());
    for (TEditorFixture* f : {&a, &b}) {
      std::mt19937 same(seed);
      SetRandomOptions(same, *f);
      f->view.invalidated.clear();
    }
    std::string trace;
    for (int step = 0; step < 25; ++step) {
      const std::uint32_t command_seed = static_cast<std::uint32_t>(rng());
      const bool whole = rng() % 6 == 0;
      for (TEditorFixture* f : {&a, &b}) {
        std::mt19937 same(command_seed);
        if (whole) {  // most lines replaced or cut and pasted, undone, maybe redone
          if (same() % 3 == 0) {
            f->Cmd(ecSelectAll);
          } else {
            static constexpr TSrcSelectionMode kModes[] = {smNormal, smLine, smColumn};
            f->model.SetSelectionMode(kModes[same() % 3]);
            const int last = std::max(1, f->model.LineCount() - static_cast<int>(same() % 3));
            f->Select({1 + static_cast<int>(same() % 5), 1 + static_cast<int>(same() % 3)},
                      {1 + static_cast<int>(same() % 5), last});
          }
          const int action = static_cast<int>(same() % 3);
          if (action == 0) {
            f->Cmd(ecChar, 'x');
          } else if (action == 1) {
            f->Cmd(ecDeleteChar);
          } else {
            f->Cmd(ecCut);
            f->Caret(1 + static_cast<int>(same() % 4), 1);
            f->Cmd(ecPaste);
            if (same() % 2 == 0) {
              f->Cmd(ecUndo);
            }
          }
          f->Cmd(ecUndo);
          if (same() % 2 == 0) {
            f->Cmd(ecRedo);
          }
        } else {
          const std::string done = RandomCommand(same, *f);
          if (f == &a) {
            trace += done + "\n";
          }
        }
      }
      ASSERT_EQ(state(a), state(b)) << "round " << round << "\n" << trace;
      ASSERT_EQ(repainted(a.view), repainted(b.view)) << "round " << round << "\n" << trace;
    }
    for (int guard = 0; a.editor.CanUndo() && guard < 10000; ++guard) {
      a.Cmd(ecUndo);
      b.Cmd(ecUndo);
      ASSERT_EQ(state(a), state(b)) << "round " << round << " undo\n" << trace;
    }
    ASSERT_EQ(repainted(a.view), repainted(b.view)) << "round " << round << "\n" << trace;
  }
}

}  // namespace
}  // namespace torvane
