// The map following edits until the next assembly: a seeded random run of
// insertions and deletions against a reference, and real editing commands
// on the editor model with undo and redo.
#include "listing/line_track.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "tests/editor/editor_fixture.h"
#include "tests/listing/nasm_listing.h"

namespace torvane {
namespace {

TEST(ListingTrackTest, RandomInsertionsAndDeletionsKeepEachLinesNumber) {
  std::mt19937 rng(29);
  const auto map = std::make_shared<TListingMap>();
  for (int round = 0; round < 20; ++round) {
    TListingTrack track;
    std::vector<int> reference(static_cast<std::size_t>(rng() % 50));
    for (std::size_t i = 0; i < reference.size(); ++i) {
      reference[i] = static_cast<int>(i + 1);
    }
    track.Attach(map, 0, static_cast<int>(reference.size()));
    for (int step = 0; step < 300; ++step) {
      const int size = static_cast<int>(reference.size());
      const int line = 1 + static_cast<int>(rng() % static_cast<unsigned>(size + 2));
      const int count = static_cast<int>(rng() % 4);
      if (rng() % 2 == 0) {
        track.LinesInserted(line, count);
        if (count > 0 && line >= 1) {
          const std::size_t at =
              std::min<std::size_t>(static_cast<std::size_t>(line - 1), reference.size());
          const int above = at == 0 ? 0 : reference[at - 1];
          reference.insert(reference.begin() + static_cast<std::ptrdiff_t>(at),
                           static_cast<std::size_t>(count), above > 0 ? -above : above);
        }
      } else {
        track.LinesDeleted(line, count);
        const std::size_t from =
            std::min<std::size_t>(static_cast<std::size_t>(line - 1), reference.size());
        const std::size_t to = std::min(from + static_cast<std::size_t>(count), reference.size());
        reference.erase(reference.begin() + static_cast<std::ptrdiff_t>(from),
                        reference.begin() + static_cast<std::ptrdiff_t>(to));
      }
      for (std::size_t i = 0; i < reference.size(); ++i) {
        ASSERT_EQ(track.AssembledLine(static_cast<int>(i + 1)), std::max(reference[i], 0))
            << "step " << step;
        if (reference[i] > 0) {
          ASSERT_EQ(track.CurrentLine(reference[i]), static_cast<int>(i + 1));
        }
      }
      ASSERT_EQ(track.AssembledLine(static_cast<int>(reference.size()) + 1), 0);
    }
    track.LinesCleared();
    EXPECT_FALSE(track.Attached());
    EXPECT_EQ(track.AssembledLine(1), 0);
  }
}

// Assembles a small program and lets the editor hold its text.
struct TTrackedEditor {
  TTrackedEditor() {
    const std::string source =
        "        org 0x7C00\n"
        "start:  mov ax, 0x1234\n"
        "        nop\n"
        "\n"
        "        jmp start\n";
    assembled = testing::Assemble(dir, {{"t.asm", source}}, "t.asm");
    map = std::make_shared<TListingMap>(TListingMap::Build(
        assembled.listing, assembled.source, assembled.directory, assembled.binary, true));
    for (const std::string& line : testing::SplitLines(source)) {
      editor.model.Lines().AppendLine(line);
    }
    editor.editor.UndoList().Clear();
    track.Attach(map, 0, editor.model.LineCount());
    editor.model.AddLineObserver(&track);
  }
  ~TTrackedEditor() { editor.model.RemoveLineObserver(&track); }

  // "B83412" for current line `line`, "-" without code, "~" added when stale.
  std::string Column(int line) const {
    const TTrackedCode tracked =
        track.Lookup(line, [this](int n) { return editor.model.LineText(n); });
    const TLineCode* code = tracked.Code;
    if (code == nullptr || !code->HasCode()) {
      return "-";
    }
    std::string out;
    static const char kHex[] = "0123456789ABCDEF";
    for (const char b : code->KnownBytes(8)) {
      out += kHex[(static_cast<unsigned char>(b) >> 4) & 15];
      out += kHex[static_cast<unsigned char>(b) & 15];
    }
    EXPECT_EQ(tracked.Stale, TListingTrack::Stale(*code, editor.Line(line)));
    return tracked.Stale ? out + "~" : out;
  }
  std::string Columns() const {
    std::string out;
    for (int line = 1; line <= editor.model.LineCount(); ++line) {
      out += (line > 1 ? " " : "") + Column(line);
    }
    return out;
  }

  QTemporaryDir dir;
  testing::TAssembled assembled;
  std::shared_ptr<TListingMap> map;
  testing::TEditorFixture editor;
  TListingTrack track;
};

TEST(ListingTrackTest, EditingShiftsAndDimsUntilUndone) {
  TTrackedEditor t;
  ASSERT_TRUE(t.assembled.ok) << t.assembled.log;
  EXPECT_EQ(t.Columns(), "- B83412 90 - EBFA");
  // A line break at the start of line 2: the code goes down with the text.
  t.editor.Caret(1, 2);
  t.editor.Cmd(ecLineBreak);
  EXPECT_EQ(t.Columns(), "- - B83412 90 - EBFA");
  const TLineText text = [&](int n) { return t.editor.model.LineText(n); };
  EXPECT_EQ(t.track.CurrentLine(2, text), 3);
  // Typing into a line makes its entry stale, never wrong; undo makes it
  // current again.
  t.editor.Caret(9, 4);
  t.editor.Type("inc ax ; ");
  EXPECT_EQ(t.Columns(), "- - B83412 90~ - EBFA");
  t.editor.Cmd(ecUndo);
  EXPECT_EQ(t.Columns(), "- - B83412 90 - EBFA");
  // Deleting a line takes its code with it; undo and redo.
  t.editor.Caret(1, 3);
  t.editor.Cmd(ecDeleteLine);
  EXPECT_EQ(t.Columns(), "- - 90 - EBFA");
  EXPECT_EQ(t.track.CurrentLine(3, text), 3);
  EXPECT_EQ(t.track.CurrentLine(5, text), 5);
  t.editor.Cmd(ecUndo);
  EXPECT_EQ(t.Columns(), "- - B83412 90 - EBFA");
  t.editor.Cmd(ecRedo);
  EXPECT_EQ(t.Columns(), "- - 90 - EBFA");
  t.editor.Cmd(ecUndo);
  t.editor.Cmd(ecUndo);
  EXPECT_EQ(t.Columns(), "- B83412 90 - EBFA");
  EXPECT_EQ(t.track.CurrentLine(2, text), 2);
  // A line typed in between has no code; the lines around keep theirs.
  t.editor.Caret(1, 3);
  t.editor.Cmd(ecLineBreak);
  t.editor.Caret(1, 3);
  t.editor.Type("        cli");
  EXPECT_EQ(t.Columns(), "- B83412 - 90 - EBFA");
  EXPECT_EQ(t.track.CurrentLine(3, text), 4);
  // Replacing the whole text leaves nothing of the listing.
  t.editor.model.Lines().ClearLines();
  EXPECT_FALSE(t.track.Attached());
  EXPECT_EQ(t.track.CodeAt(1), nullptr);
}

TEST(ListingTrackTest, ListingOfAnOlderTextFindsLinesMovedByOne) {
  TTrackedEditor t;
  ASSERT_TRUE(t.assembled.ok) << t.assembled.log;
  // The text on screen has a line more than the assembled one (edited and
  // saved without assembling): a line's listed text one place away is
  // found, other texts find nothing.
  t.editor.model.RemoveLineObserver(&t.track);
  t.editor.Caret(1, 1);
  t.editor.Cmd(ecLineBreak);
  t.editor.Caret(1, 4);
  t.editor.Type(";");
  t.track.Attach(t.map, 0, t.editor.model.LineCount());
  EXPECT_EQ(t.Columns(), "- - B83412 - - EBFA");
  t.editor.model.AddLineObserver(&t.track);
}

}  // namespace
}  // namespace torvane
