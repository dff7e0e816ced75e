// Editing a read file whose lines are offsets into its bytes gives the same
// text, line states, saved bytes, undo and redo as editing one whose lines all
// have records: two editors read the same random bytes and take the same
// seeded commands.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <cstdio>
#include <random>

#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

// Bytes with every break, an incomplete last line or not, NUL, TAB, broken
// UTF-8 and GBK.
std::string RandomFile(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {" ",        "\t",
                                                   "mov",      "eax",
                                                   ",",        "1",
                                                   "[",        "]",
                                                   ";",        "a",
                                                   "Z",        "_",
                                                   ".",        std::string(1, '\0'),
                                                   "\xD6\xD0", "\xCE\xC4",
                                                   "\xFF",     "\xE4\xB8\xAD",
                                                   "\xE4",     "\xC3\xA9"};
  static const std::vector<std::string> kBreaks = {"\r\n", "\n", "\r"};
  const int style = static_cast<int>(rng() % 4);  // 3: mixed
  std::string out;
  const int lines = static_cast<int>(rng() % 25);
  for (int i = 0; i < lines; ++i) {
    for (int p = static_cast<int>(rng() % 12); p > 0; --p) {
      out += kPieces[rng() % kPieces.size()];
    }
    if (i + 1 < lines || rng() % 2 == 0) {
      out += kBreaks[style == 3 ? rng() % 3 : static_cast<unsigned>(style)];
    }
  }
  return out;
}

struct Editor {
  TEditorFixture f;
  explicit Editor(std::size_t limit, const std::string& bytes) {
    f.model.Lines().SetOffsetLineLimit(limit);
    f.model.Lines().ReadFromBytes(bytes);
    f.editor.UndoList().Clear();
    f.editor.SetModified(false);
    f.model.SetCaretPos({1, 1});
  }
};

std::string Describe(const TSrcEditStringList& lines) {
  std::string out;
  for (int i = 0; i < lines.LineCount(); ++i) {
    out += std::to_string(lines.GetChangeState(i));
  }
  return out + " " + lines.TextBytes() + " longest " + std::to_string(lines.LongestLineLength()) +
         " at " + std::to_string(lines.LongestLineIndex());
}

// One command for both editors; returns its name.
std::string Step(std::mt19937& rng, Editor& a, Editor& b) {
  static constexpr TSrcEditorCommand kCommands[] = {ecDeleteLastChar,
                                                    ecDeleteChar,
                                                    ecDeleteWord,
                                                    ecDeleteLine,
                                                    ecLineBreak,
                                                    ecInsertLine,
                                                    ecTab,
                                                    ecShiftTab,
                                                    ecPaste,
                                                    ecCut,
                                                    ecBlockIndent,
                                                    ecUpperCaseBlock,
                                                    ecSelectAll,
                                                    ecSelDown,
                                                    ecSelLineEnd,
                                                    ecEditorBottom,
                                                    ecUp,
                                                    ecDeleteEOL};
  const int kind = static_cast<int>(rng() % 6);
  if (kind == 0) {
    const int lines = std::max(a.f.model.LineCount(), 1);
    const int line = static_cast<int>(rng() % static_cast<unsigned>(lines)) + 1;
    const int ch = static_cast<int>(rng() % 12) + 1;
    a.f.Caret(ch, line);
    b.f.Caret(ch, line);
    return "caret";
  }
  if (kind == 1) {
    const char c = "x \t;"[rng() % 4];
    a.f.Type(std::string(1, c));
    b.f.Type(std::string(1, c));
    return "type";
  }
  if (kind == 2 && rng() % 3 == 0) {
    // A save: the bytes written, then the lines marked saved.
    EXPECT_EQ(a.f.model.Lines().TextBytes(), b.f.model.Lines().TextBytes());
    a.f.model.Lines().MarkModifiedLinesSaved();
    b.f.model.Lines().MarkModifiedLinesSaved();
    return "save";
  }
  if (kind == 2) {
    QGuiApplication::clipboard()->setText(QStringLiteral("ab\r\n\tcd"));
  }
  const TSrcEditorCommand command = kCommands[rng() % std::size(kCommands)];
  a.f.Cmd(command);
  b.f.Cmd(command);
  return CommandToText(command);
}

TEST(OffsetLinesEditing, CommandsUndoAndRedoMatchLinesWithRecords) {
  ScopedCodePage page("UTF-8");
  std::mt19937 rng(3320261208);
  int steps = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = RandomFile(rng);
    Editor full(0, bytes);
    Editor offsets(rng() % 2 == 0 ? 4 : TSrcEditStringList::kDefaultOffsetLineLimit, bytes);
    const std::string original = Describe(offsets.f.model.Lines());
    ASSERT_EQ(Describe(full.f.model.Lines()), original) << "round " << round;
    std::string trace = "round " + std::to_string(round) + ":";
    for (int i = static_cast<int>(rng() % 30); i > 0; --i) {
      trace += " " + Step(rng, full, offsets);
      ++steps;
      ASSERT_EQ(Describe(full.f.model.Lines()), Describe(offsets.f.model.Lines())) << trace;
      ASSERT_EQ(full.f.model.CaretPos().Line, offsets.f.model.CaretPos().Line) << trace;
      ASSERT_EQ(full.f.model.CaretPos().Char, offsets.f.model.CaretPos().Char) << trace;
    }
    const std::string edited = offsets.f.model.Lines().TextBytes();
    for (int guard = 0; offsets.f.editor.CanUndo() && guard < 1000; ++guard) {
      full.f.Cmd(ecUndo);
      offsets.f.Cmd(ecUndo);
      ASSERT_EQ(Describe(full.f.model.Lines()), Describe(offsets.f.model.Lines())) << trace;
    }
    // Undo gives back the bytes read (line states may stay saved).
    EXPECT_EQ(offsets.f.model.Lines().TextBytes(), full.f.model.Lines().TextBytes()) << trace;
    TSrcEditStringList reread;
    reread.ReadFromBytes(bytes);
    EXPECT_EQ(offsets.f.model.Lines().TextBytes(), reread.TextBytes()) << trace;
    for (int guard = 0; offsets.f.editor.CanRedo() && guard < 1000; ++guard) {
      full.f.Cmd(ecRedo);
      offsets.f.Cmd(ecRedo);
    }
    ASSERT_EQ(Describe(full.f.model.Lines()), Describe(offsets.f.model.Lines())) << trace;
    EXPECT_EQ(offsets.f.model.Lines().TextBytes(), edited) << trace;
  }
  std::printf("offset-line editing comparison: %d commands\n", steps);
  EXPECT_GT(steps, 30000);
}

}  // namespace
}  // namespace torvane
