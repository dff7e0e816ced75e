// Drives the editor model with arbitrary command sequences: the input picks
// a code page, a few short lines, every option and mode that changes what an
// edit does, then commands (typing, deleting, line breaks, tabs, indents,
// clipboard, case changes, moves, selections, folds, undo and redo). After
// each command caret and selection must lie in the text and never inside a
// character, the word-wrap layout must match a fresh one, and the text with
// blocks collapsed must read as the expanded text. At checkpoints and at the
// end, undoing everything must give back the first text byte for byte and
// redoing everything the edited one.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/edit_controller.h"
#include "editor/view_sink.h"
#include "editor/word_wrap_plugin.h"
#include "highlight/nasm_highlighter.h"
#include "platform/codepage.h"

namespace {

using namespace torvane;

// The input read as a stream of choices; past its end every choice is 0.
class TChoices {
 public:
  TChoices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Done() const { return pos_ >= size_; }
  unsigned Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  unsigned Below(unsigned n) { return Byte() % n; }
  bool Bit() { return Byte() % 2 == 1; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A view that only answers what the model asks of it.
class TQuietView : public ISrcEditView {
 public:
  void InvalidateLines(int, int) override {}
  void InvalidateLine(int) override {}
  void InvalidateGutterLines(int, int) override {}
  void BeginCollectingInvalidation() override {}
  void EndCollectingInvalidation() override {}
  void ScrollCaretIntoView() override {}
  void UpdateScrollBars() override {}
  void UpdateCaret() override {}
  void CaretShapeChanged() override {}
  bool IsActiveLineHighlighted() const override { return false; }
  bool HasFocus() const override { return true; }
  void OptionsChanged(TSrcEditorOptions, TSrcEditorOptions) override {}
  void ReapplyScrollPositions(bool, bool) override {}
  void TabWidthChanged() override {}
  void LinesCleared() override {}
  void LinesBatchEnded() override {}
  void PaintTransient(TTransientType) override {}
  int WrapWidth() const override { return wrap_width; }
  int wrap_width = 80;
};

struct TCodePageChars {
  const char* name;
  std::vector<std::string> wide;  // characters of more than one byte
};

// In GBK trail bytes may be brackets or letters, which word moves, bracket
// matching and case changes must step over.
const TCodePageChars kPages[] = {
    {"UTF-8", {"\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"}},
    {"GBK", {"\xD6\xD0", "\xB9\x5B", "\x81\x7D", "\x81\x41", "\xB0\xA1"}},
    {"ISO-8859-1", {"\xE9", "\xC4", "\xFF"}},
};

// Bytes of lines and typed text: NASM fold tokens, words, blanks, tabs,
// brackets and quotes.
const char* const kPieces[] = {"%macro ", "%endmacro", "%if ", "%endif", "{",      "}", ";{", ";}",
                               "mov",     "eax",       " ",    "  ",     "\t",     "(", ")",  "[",
                               "]",       "\"",        "'",    ";",      ",",      "a", "B",  "_",
                               ".",       "1",         "x y",  "%rep",   "%endrep"};

std::string Piece(TChoices& in, const TCodePageChars& page) {
  const unsigned n = std::size(kPieces) + page.wide.size();
  const unsigned i = in.Below(n);
  return i < std::size(kPieces) ? kPieces[i] : page.wide[i - std::size(kPieces)];
}

std::string Line(TChoices& in, const TCodePageChars& page) {
  std::string line;
  for (unsigned n = in.Below(6); n > 0; --n) {
    line += Piece(in, page);
  }
  return line;
}

std::string Lines(TChoices& in, const TCodePageChars& page) {
  std::string text = Line(in, page);
  for (unsigned n = in.Below(3); n > 0; --n) {
    text += in.Bit() ? "\r\n" : "\n";
    text += Line(in, page);
  }
  return text;
}

struct TEditor {
  TEditor() : editor(model) { model.SetView(&view); }
  TSrcEditModel model;
  TQuietView view;
  TSrcEditController editor;
  TSrcNasmHighlighter highlighter;
  // The text when the editor was last marked unmodified, and whether that
  // happened after the start.
  std::string saved_text;
  bool saved_later = false;
};

// EDIT_FUZZ_TRACE=1 prints every step with the text after it.
const bool g_trace = std::getenv("EDIT_FUZZ_TRACE") != nullptr;

void Trace(const char* step, const TSrcEditModel& m, TSrcEditController* editor = nullptr) {
  if (g_trace && editor != nullptr) {
    std::string kinds;
    for (int i = 0; i < editor->UndoList().Count(); ++i) {
      const TSrcEditUndoItem& item = editor->UndoList().EntryAt(i);
      kinds +=
          FormatMessage(" %s[%d (%d,%d)-(%d,%d) \"", std::string(ChangeKindName(item.Kind)).c_str(),
                        item.Mode, item.BeginPos.Char, item.BeginPos.Line, item.EndPos.Char,
                        item.EndPos.Line) +
          item.Text + "\"]";
    }
    std::fprintf(stderr, "  undo list:%s\n  folds: %s\n", kinds.c_str(), m.Folds().Dump().c_str());
  }
  if (g_trace) {
    std::fprintf(stderr, "%-24s sel %d (%d,%d)-(%d,%d) caret (%d,%d) -> \"%s\"\n", step,
                 m.SelectionMode(), m.SelectionAnchor().Char, m.SelectionAnchor().Line,
                 m.SelectionActiveEnd().Char, m.SelectionActiveEnd().Line, m.CaretChar(),
                 m.CaretLine(), m.AllText().c_str());
  }
}

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "edit_fuzz: %s\n", what);
  std::abort();
}

void CheckPosition(const TSrcEditModel& m, TBufferPos p, const char* what) {
  if (p.Line < 1 || p.Line > std::max(m.LineCount(), 1) || p.Char < 1) {
    Fault(what);
  }
  const std::string_view text = m.LineText(p.Line);
  if (p.Char <= static_cast<int>(text.size()) &&
      line_cells::SnapToCharStart(text, p.Char) != p.Char) {
    Fault(what);
  }
}

// What must hold after every command.
void CheckInvariants(TEditor& e) {
  TSrcEditModel& m = e.model;
  CheckPosition(m, m.CaretPos(), "caret outside the text or inside a character");
  CheckPosition(m, m.SelectionAnchor(), "anchor outside the text or inside a character");
  CheckPosition(m, m.SelectionActiveEnd(), "active end outside the text or inside a character");
  if (!m.HasOption(eoScrollPastEol) && m.SelectionMode() != smColumn &&
      m.CaretChar() > static_cast<int>(m.LineText(m.CaretLine()).size()) + 1) {
    Fault("caret past the line end without eoScrollPastEol");
  }
  if (m.Folds().CollapsedCount() == 0) {
    if (m.AllText() != m.Lines().GetAllText()) {
      Fault("expanded text differs from the store without collapsed blocks");
    }
    // Marks on lines a collapse hides go below the header and move down
    // with the lines an expansion puts back, so with folding they are not
    // checked (left as it is for now).
    for (int i = 0; !m.FoldingEnabled() && i < m.Marks().Count(); ++i) {
      if (m.Marks().Item(i).Line() < 1 || m.Marks().Item(i).Line() > std::max(m.LineCount(), 1)) {
        Fault("a mark outside the text");
      }
    }
  }
  const TSrcEditStringList& store = m.Lines();
  for (int i = 0; i < store.LineCount(); ++i) {
    if (store.GetExpandedLength(i) != line_cells::LineCells(store.GetLine(i), m.TabWidth())) {
      Fault("a line's cached width differs from its cells");
    }
  }
  // Buffer to display and back gives the caret's position again.
  const TBufferPos caret = m.CaretPos();
  if (caret.Char <= static_cast<int>(m.LineText(caret.Line).size()) + 1 &&
      m.ConvertToBuffer(m.ConvertToDisplay(caret)) != caret) {
    Fault("the caret's display position converts back to another position");
  }
  if (!e.editor.Modified() && m.AllText() != e.saved_text) {
    Fault("not modified, but the text differs from the one saved");
  }
  if (TSrcWordWrapPlugin* wrap = m.WordWrapLayout()) {
    const TSrcWordWrapPlugin fresh(&m);
    if (wrap->Dump() != fresh.Dump()) {
      Fault("word-wrap layout differs from a fresh one");
    }
  }
}

void SetClipboard(TChoices& in, const TCodePageChars& page) {
  auto* data = new QMimeData;
  const std::string text = Lines(in, page);
  if (in.Below(3) == 0) {
    QByteArray block;
    block.append(static_cast<char>(in.Below(3)));
    block.append(text.data(), static_cast<qsizetype>(text.size()));
    block.append('\0');
    data->setData(QStringLiteral("SrcEdit Control Block Type"), block);
  }
  data->setText(DecodeText(text));
  QGuiApplication::clipboard()->setMimeData(data);
}

TBufferPos Position(TChoices& in, const TSrcEditModel& m) {
  const int line = 1 + static_cast<int>(in.Below(static_cast<unsigned>(m.LineCount()) + 1));
  return {1 + static_cast<int>(in.Below(static_cast<unsigned>(m.LineText(line).size()) + 4)), line};
}

constexpr int kTabWidths[] = {1, 2, 3, 4, 8, 5};

// Commands the executor takes without data.
constexpr TSrcEditorCommand kCommands[] = {ecLeft,
                                           ecRight,
                                           ecUp,
                                           ecDown,
                                           ecWordLeft,
                                           ecWordRight,
                                           ecLineStart,
                                           ecLineEnd,
                                           ecPageUp,
                                           ecPageDown,
                                           ecPageLeft,
                                           ecPageRight,
                                           ecPageTop,
                                           ecPageBottom,
                                           ecEditorTop,
                                           ecEditorBottom,
                                           ecSelLeft,
                                           ecSelRight,
                                           ecSelUp,
                                           ecSelDown,
                                           ecSelWordLeft,
                                           ecSelWordRight,
                                           ecSelLineStart,
                                           ecSelLineEnd,
                                           ecSelPageUp,
                                           ecSelPageDown,
                                           ecSelPageLeft,
                                           ecSelPageRight,
                                           ecSelPageTop,
                                           ecSelPageBottom,
                                           ecSelEditorTop,
                                           ecSelEditorBottom,
                                           ecSelWord,
                                           ecSelectAll,
                                           ecCopy,
                                           ecScrollUp,
                                           ecScrollDown,
                                           ecScrollLeft,
                                           ecScrollRight,
                                           ecInsertMode,
                                           ecOverwriteMode,
                                           ecToggleMode,
                                           ecNormalSelect,
                                           ecColumnSelect,
                                           ecLineSelect,
                                           ecMatchBracket,
                                           ecGotoMarker0,
                                           ecGotoMarker0 + 1,
                                           ecSetMarker0,
                                           ecSetMarker0 + 1,
                                           ecDeleteLastChar,
                                           ecDeleteChar,
                                           ecDeleteWord,
                                           ecDeleteLastWord,
                                           ecDeleteBOL,
                                           ecDeleteEOL,
                                           ecDeleteLine,
                                           ecLineBreak,
                                           ecInsertLine,
                                           ecUndo,
                                           ecRedo,
                                           ecCut,
                                           ecPaste,
                                           ecBlockIndent,
                                           ecBlockUnindent,
                                           ecTab,
                                           ecShiftTab,
                                           ecUpperCase,
                                           ecLowerCase,
                                           ecToggleCase,
                                           ecTitleCase,
                                           ecUpperCaseBlock,
                                           ecLowerCaseBlock,
                                           ecToggleCaseBlock};

// Runs a command as the keyboard would: with folding on, the typed
// character check comes first and may drop the key.
std::string g_step;  // what the last step did, for the trace

void Command(TEditor& e, TSrcEditorCommand command, char ch = 0, void* data = nullptr) {
  g_step = CommandToText(command) + (ch != 0 ? std::string(" ") + ch : std::string());
  if (e.model.FoldingEnabled()) {
    char key = 0;
    if (command == ecChar) {
      key = ch;
    } else if (command == ecLineBreak) {
      key = '\r';
    } else if (command == ecDeleteLastChar) {
      key = '\b';
    }
    if (key != 0 && !e.editor.FoldEditFilter(key)) {
      return;
    }
  }
  e.editor.ProcessCommand(command, ch, data);
}

// Redoes what the redo list holds, then undoes everything (expecting
// `original`, unless the undo limit dropped the oldest steps) and redoes
// everything, expecting the text it began with. (A step may leave nothing to
// redo, such as a paste of nothing, so the steps are not counted.)
void CheckUndoRedo(TEditor& e, const std::string& original) {
  const auto all = [&e](TSrcEditorCommand command, const char* what) {
    for (int steps = 0; command == ecUndo ? e.editor.CanUndo() : e.editor.CanRedo(); ++steps) {
      if (steps > 100000) {
        Fault("undo or redo never ends");
      }
      e.editor.ProcessCommand(command);
      Trace(what, e.model, &e.editor);
      CheckInvariants(e);
    }
  };
  all(ecRedo, "  redo pending");
  const std::string current = e.model.AllText();
  all(ecUndo, "  undo");
  if (!e.editor.UndoList().HistoryTruncated()) {
    if (e.model.AllText() != original) {
      Fault("undoing everything does not give back the first text");
    }
    if (e.editor.Modified() && !e.saved_later) {
      Fault("modified after undoing everything");
    }
  }
  // A small undo limit trims the redo list as well.
  if (e.editor.UndoList().HistoryTruncated() || e.editor.RedoList().HistoryTruncated()) {
    return;
  }
  all(ecRedo, "  redo");
  if (e.model.AllText() != current) {
    Fault("redoing everything does not give the edited text");
  }
}

// Expanding every block must leave the expanded text as it was.
void CheckExpandAll(TEditor& e) {
  const std::string text = e.model.AllText();
  e.model.ExpandAllFolds();
  if (e.model.Lines().GetAllText() != text || e.model.AllText() != text) {
    Fault("expanding every block changes the text");
  }
}

void Run(TChoices& in) {
  const TCodePageChars& page = kPages[in.Below(std::size(kPages))];
  ScopedCodePage code_page(page.name);
  TEditor e;
  TSrcEditModel& m = e.model;
  QGuiApplication::clipboard()->setText(QString());  // nothing left from the last input

  // Options: every bit of the mask may flip, the defaults most often kept.
  std::uint32_t flips = 0;
  for (int i = 0; i < 4; ++i) {
    flips |= in.Byte() << (8 * i);
  }
  flips &= in.Byte();  // fewer flips on average
  m.ApplyOptions(TSrcEditorOptions::FromMask((kDefaultEditorOptions.Mask() ^ flips) & 0x0FFFFFFF));
  m.SetTabWidth(kTabWidths[in.Below(std::size(kTabWidths))]);
  e.editor.SetBlockWidth(static_cast<int>(in.Below(5)));
  const unsigned undo_limit = in.Below(8);
  e.editor.SetMaxUndo(undo_limit == 0 ? static_cast<int>(in.Below(6)) : 100000);
  if (in.Below(4) == 0) {
    m.SetMaxScrollWidth(static_cast<int>(4 + in.Below(40)));
  }
  const bool folding = in.Bit();
  const bool case_sensitive = in.Bit();
  const bool wrap = in.Bit();
  const int wrap_width = static_cast<int>(in.Below(30));

  const std::string initial = Lines(in, page);
  m.Lines().SetAllText(initial);
  m.SetHighlighter(&e.highlighter);
  e.editor.SetHighlighter(&e.highlighter);
  if (folding) {
    m.CodeFolding().SetCaseSensitive(case_sensitive);
    m.CodeFolding().SetEnabled(true);
  }
  if (wrap) {
    e.view.wrap_width = wrap_width;
    m.SetWordWrapActive(true);
  }
  e.editor.UndoList().Clear();
  e.editor.RedoList().Clear();
  e.editor.SetModified(false);
  m.SetSelectionMode(static_cast<TSrcSelectionMode>(in.Below(3)));
  m.SetInsertMode(in.Below(4) != 0);
  std::string original = m.AllText();
  e.saved_text = original;
  Trace(FormatMessage("start opt %u tab %d", m.Options().Mask(), m.TabWidth()).c_str(), m);
  if (g_trace) {
    std::fprintf(stderr, "page %s folding %d wrap %d/%d insert %d undo limit %d\n", page.name,
                 folding, wrap, wrap_width, m.InsertMode(), e.editor.MaxUndo());
  }
  CheckInvariants(e);

  while (!in.Done()) {
    const unsigned choice = in.Below(25);
    if (choice <= 5) {
      Command(e, kCommands[in.Below(std::size(kCommands))]);
    } else if (choice <= 8) {
      // Keys type one-byte characters; longer ones come as one string, as
      // from an input method.
      const std::string piece = Piece(in, page);
      bool one_byte_chars = true;
      for (std::size_t i = 0; i < piece.size(); ++i) {
        one_byte_chars = one_byte_chars && CharLength(piece, i) == 1;
      }
      if (piece.size() == 1 || (one_byte_chars && in.Bit())) {
        for (const char c : piece) {
          Command(e, ecChar, c);
        }
      } else {
        std::string composed = piece;
        Command(e, ecImeStr, 0, &composed);
      }
    } else if (choice == 9) {
      const TBufferPos p = Position(in, m);
      m.SetCaretAndDeselect(p);
      g_step = "caret";
    } else if (choice == 10) {
      m.SetSelectionMode(static_cast<TSrcSelectionMode>(in.Below(3)));
      const TBufferPos anchor = Position(in, m);
      const TBufferPos active = Position(in, m);
      m.PlaceCaretAndSelection(active, anchor, active);
      g_step = "select";
    } else if (choice == 11) {
      SetClipboard(in, page);
      g_step = "clipboard " + QGuiApplication::clipboard()->text().toStdString();
    } else if (choice == 12) {
      TBufferPos p = Position(in, m);
      Command(e, in.Bit() ? ecGotoXY : ecSelGotoXY, 0, &p);
    } else if (choice == 13) {
      g_step = "collapse/expand";
      TSrcEditAllFoldRanges& ranges = m.Folds().Ranges();
      if (ranges.AllCount() > 0) {
        TSrcEditFoldRange& range =
            *ranges.AllRange(static_cast<int>(in.Below(static_cast<unsigned>(ranges.AllCount()))));
        if (in.Bit()) {
          m.CollapseFold(range);
        } else {
          m.ExpandFold(range);
        }
      }
    } else if (choice == 14) {
      const unsigned what = in.Below(4);
      g_step = "fold action " + std::to_string(what);
      if (what == 0) {
        e.editor.ToggleFoldAt(1 +
                              static_cast<int>(in.Below(static_cast<unsigned>(m.LineCount()) + 1)));
      } else if (what == 1) {
        m.RescanFoldsKeepingCollapsed();
      } else if (what == 2) {
        e.editor.FoldKeyDown(in.Bit() ? 32 : 35 + static_cast<int>(in.Below(6)));
      } else {
        CheckExpandAll(e);
      }
    } else if (choice == 15) {
      const std::string text = Lines(in, page);
      g_step = "message text " + text;
      if (in.Below(4) == 0) {
        e.editor.SetTextByMessage(text);
      } else {
        e.editor.ReplaceSelectionByMessage(true, text);
      }
    } else if (choice == 16) {
      CheckUndoRedo(e, original);
      g_step = "undo/redo all";
    } else if (choice == 17) {
      Command(e, in.Bit() ? ecUndo : ecRedo);
    } else if (choice == 18) {
      Command(e, in.Bit() ? ecLineBreak : ecDeleteLastChar);
    } else if (choice == 19) {
      Command(e, in.Bit() ? ecTab : ecShiftTab);
    } else if (choice == 20) {
      Command(e, in.Bit() ? ecCut : ecPaste);
    } else if (choice == 21) {
      Command(e, in.Bit() ? ecBlockIndent : ecBlockUnindent);
    } else if (choice == 22) {
      Command(e, in.Bit() ? ecDeleteChar : ecDeleteWord);
    } else if (choice == 23) {
      // Settings changed between edits (one option, the tab width or word
      // wrap), or the text saved.
      const unsigned what = in.Below(4);
      if (what == 3) {  // saved
        e.editor.SetModified(false);
        e.saved_text = m.AllText();
        e.saved_later = true;
      } else if (what == 0) {
        const auto option = static_cast<TSrcEditorOption>(in.Below(eoColumnEditExtension + 1));
        m.ApplyOptions(TSrcEditorOptions(m.Options()).Set(option, !m.HasOption(option)));
      } else if (what == 1) {
        m.SetTabWidth(kTabWidths[in.Below(std::size(kTabWidths))]);
      } else {
        e.view.wrap_width = static_cast<int>(in.Below(30));
        m.SetWordWrapActive(!m.WordWrapActive());
      }
      g_step = FormatMessage("settings %u: opt %u tab %d wrap %d/%d", what, m.Options().Mask(),
                             m.TabWidth(), m.WordWrapActive(), e.view.wrap_width);
    } else if (in.Below(8) == 0) {
      // Clearing is not undoable: it starts a new history (unless the
      // folding guard kept it from running).
      // Clearing an unmodified text keeps the save point where it was (in
      // a list now empty), so undoing back to the empty text may leave the
      // editor modified: on the safe side, not checked.
      const bool was_modified = e.editor.Modified();
      Command(e, ecClearAll);
      if (!e.editor.CanUndo() && !e.editor.CanRedo()) {
        original = m.AllText();
        e.saved_text = original;
        e.saved_later = e.saved_later || !was_modified;
      }
    } else {
      Command(e, ecToggleMode);
    }
    Trace(g_step.c_str(), m, &e.editor);
    CheckInvariants(e);
  }
  CheckUndoRedo(e, original);
  CheckExpandAll(e);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication* app = new QGuiApplication(*argc, *argv);
  (void)app;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TChoices in(data, size);
  Run(in);
  return 0;
}
