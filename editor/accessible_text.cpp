// The expanded text in characters for assistive technologies, following the
// model's line notifications.
#include "editor/accessible_text.h"

#include <algorithm>

#include "editor/edit_model.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

// A change carrying more characters than this is told as "the whole text
// changed": a reader re-reads what it needs rather than receive megabytes.
constexpr std::int64_t kMaxChangeChars = 1 << 16;
// Lines up to this long are counted whole after a change; longer ones by the
// changed bytes alone, so typing in a huge line walks no more of it.
constexpr std::size_t kRecountBytes = 4096;

std::u32string Ucs4(const QString& text) {
  return text.toStdU32String();
}

}  // namespace

TSrcEditAccessibleText::TSrcEditAccessibleText(TSrcEditModel& model) : model_(model) {
  std::vector<int> counts;
  const TSrcEditStringList& lines = model_.Lines();
  if (model_.Folds().CollapsedCount() == 0) {
    counts.reserve(static_cast<std::size_t>(lines.LineCount()));
    for (int i = 0; i < lines.LineCount(); ++i) {
      const std::string_view text = lines.GetLine(i);
      counts.push_back(lines.IsPlainLine(i) ? static_cast<int>(text.size()) : CountChars(text));
    }
  } else {
    for (const std::string& text : model_.Folds().ExpandedLines()) {
      counts.push_back(CountChars(text));
    }
  }
  counts_.Assign(counts);
  model_.AddLineObserver(this);
}

TSrcEditAccessibleText::~TSrcEditAccessibleText() {
  model_.RemoveLineObserver(this);
}

int TSrcEditAccessibleText::CountChars(std::string_view bytes) const {
  return CodePage::Current().CharCount(bytes);
}

std::string TSrcEditAccessibleText::LineBytes(int line) const {
  std::string scratch;
  return std::string(LineView(line, scratch));
}

std::string_view TSrcEditAccessibleText::LineView(int line, std::string& scratch) const {
  // (Not bounded by the counts: inserted lines are read before they count.)
  if (line < 1) {
    return {};
  }
  const TSrcEditFolds& folds = model_.Folds();
  if (folds.CollapsedCount() == 0) {
    return model_.LineText(line);
  }
  bool hidden = false;
  const int present = folds.PresentLineNumber(line, &hidden);
  const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(present);
  if (!hidden && header == nullptr) {
    return model_.LineText(present);
  }
  if (!hidden) {
    return folds.HeaderText(*header);
  }
  // A hidden line: its block's lines, read from the range that keeps them.
  std::vector<std::string> block;
  folds.AppendExpandedLines(present, present, block);
  const auto index = static_cast<std::size_t>(line - folds.ExpandedLineNumber(present));
  scratch = index < block.size() ? std::move(block[index]) : std::string();
  return scratch;
}

int TSrcEditAccessibleText::LineChars(int line) const {
  if (model_.Folds().CollapsedCount() == 0 && line >= 1 && line <= model_.LineCount() &&
      model_.Lines().IsPlainLine(line - 1)) {
    return static_cast<int>(model_.LineText(line).size());
  }
  std::string scratch;
  return CountChars(LineView(line, scratch));
}

int TSrcEditAccessibleText::CharsBefore(std::string_view bytes, std::size_t byte) const {
  return CountChars(bytes.substr(0, std::min(byte, bytes.size())));
}

std::size_t TSrcEditAccessibleText::ByteOfChar(std::string_view bytes, int ch) const {
  const CodePage& page = CodePage::Current();
  std::size_t byte = 0;
  for (int i = 0; i < ch && byte < bytes.size(); ++i) {
    byte += static_cast<std::size_t>(page.CharLength(bytes, byte));
  }
  return byte;
}

std::int64_t TSrcEditAccessibleText::OffsetOf(TBufferPos expanded) const {
  if (counts_.LineCount() == 0 || expanded.Line < 1) {
    return 0;
  }
  if (expanded.Line > counts_.LineCount()) {
    return CharacterCount();
  }
  std::string scratch;
  const std::string_view bytes = LineView(expanded.Line, scratch);
  const int ch = CharsBefore(bytes, static_cast<std::size_t>(std::max(expanded.Char - 1, 0)));
  return LineStart(expanded.Line) + std::min(ch, LineLength(expanded.Line));
}

TBufferPos TSrcEditAccessibleText::PositionAt(std::int64_t offset) const {
  offset = std::clamp<std::int64_t>(offset, 0, CharacterCount());
  const int line = LineAt(offset);
  const auto ch =
      static_cast<int>(std::min<std::int64_t>(offset - LineStart(line), LineLength(line)));
  std::string scratch;
  const std::string_view bytes = LineView(line, scratch);
  return {static_cast<int>(ByteOfChar(bytes, ch)) + 1, line};
}

QString TSrcEditAccessibleText::Text(std::int64_t start, std::int64_t end) const {
  start = std::clamp<std::int64_t>(start, 0, CharacterCount());
  end = std::clamp<std::int64_t>(end, start, CharacterCount());
  QString text;
  for (int line = LineAt(start); start < end; ++line) {
    const std::int64_t line_start = LineStart(line);
    const int length = LineLength(line);
    const auto from = static_cast<int>(start - line_start);
    const auto to = static_cast<int>(std::min<std::int64_t>(end - line_start, length));
    if (to > from) {
      std::string scratch;
      const std::string_view bytes = LineView(line, scratch);
      const std::size_t a = ByteOfChar(bytes, from);
      const std::size_t b = a + ByteOfChar(std::string_view(bytes).substr(a), to - from);
      text += DecodeText(std::string_view(bytes).substr(a, b - a));
    }
    if (end > line_start + length) {
      text += QLatin1Char('\n');  // the break after the line
    }
    start = line_start + length + 1;
  }
  return text;
}

std::int64_t TSrcEditAccessibleText::CaretOffset() const {
  return OffsetOf(model_.ToExpandedPos(model_.CaretPos()));
}

std::pair<std::int64_t, std::int64_t> TSrcEditAccessibleText::SelectionOffsets() const {
  if (!model_.HasSelection()) {
    const std::int64_t caret = CaretOffset();
    return {caret, caret};
  }
  return {OffsetOf(model_.ToExpandedPos(model_.SelStart())),
          OffsetOf(model_.ToExpandedPos(model_.SelEnd()))};
}

// --- following the text ------------------------------------------------------

void TSrcEditAccessibleText::LinesInserted(int line, int count) {
  const int before = counts_.LineCount();
  std::vector<int> counts;
  counts.reserve(static_cast<std::size_t>(count));
  std::int64_t chars = 0;
  for (int i = 0; i < count; ++i) {
    counts.push_back(LineChars(line + i));
    chars += counts.back() + 1;
  }
  if (IsCollecting()) {
    if (chars > kMaxChangeChars) {
      AddChange({0, {}, {}, true});
    } else {
      QString text;
      for (int i = 0; i < count; ++i) {
        text += (i > 0 ? QStringLiteral("\n") : QString()) + DecodeText(LineBytes(line + i));
      }
      // The break goes on the side where a line stays: after the lines at
      // the top, else before them.
      if (before == 0) {
        AddChange({0, {}, text});
      } else if (line == 1) {
        AddChange({0, {}, text + QLatin1Char('\n')});
      } else {
        AddChange({counts_.LineStart(line - 1) - 1, {}, QLatin1Char('\n') + text});
      }
    }
  }
  counts_.Insert(line - 1, counts);
}

void TSrcEditAccessibleText::LinesDeleting(int line, int count) {
  if (!IsCollecting()) {
    return;
  }
  count = std::min(count, counts_.LineCount() - line + 1);
  if (count <= 0) {
    return;
  }
  const std::int64_t chars = counts_.LineStart(line - 1 + count) - counts_.LineStart(line - 1);
  if (chars > kMaxChangeChars) {
    AddChange({0, {}, {}, true});
    return;
  }
  QString text;
  for (int i = 0; i < count; ++i) {
    text += (i > 0 ? QStringLiteral("\n") : QString()) + DecodeText(LineBytes(line + i));
  }
  if (count == counts_.LineCount()) {
    AddChange({0, text, {}});
  } else if (line == 1) {
    AddChange({0, text + QLatin1Char('\n'), {}});
  } else {
    AddChange({counts_.LineStart(line - 1) - 1, QLatin1Char('\n') + text, {}});
  }
}

void TSrcEditAccessibleText::LinesDeleted(int line, int count) {
  counts_.Erase(line - 1, count);
}

void TSrcEditAccessibleText::LinesCleared() {
  counts_.Clear();
  if (IsCollecting()) {
    AddChange({0, {}, {}, true});
  }
}

void TSrcEditAccessibleText::LineChanging(int line, std::size_t from, std::size_t tail) {
  std::string scratch;
  const std::string_view bytes = LineView(line, scratch);
  from = std::min(from, bytes.size());
  const std::size_t end = std::max(from, bytes.size() - std::min(tail, bytes.size()));
  const std::string_view removed = std::string_view(bytes).substr(from, end - from);
  changing_ = true;
  changing_removed_ = bytes.size() > kRecountBytes ? CountChars(removed) : 0;
  changing_from_ = from;
  changing_tail_ = tail;
  if (IsCollecting()) {
    event_from_ = from;
    event_tail_ = tail;
    const CodePage& page = CodePage::Current();
    if (page.IsMultiByte() && bytes.size() <= kRecountBytes) {
      // A byte that does not decode alone may pair with its new neighbours,
      // changing the character before the change or the tail's: the change
      // is told from the character before to the line's end (the common
      // ends are trimmed when changes are taken).
      std::size_t previous = 0;
      for (std::size_t at = 0; at < from;
           at += static_cast<std::size_t>(page.CharLength(bytes, at))) {
        previous = at;
      }
      event_from_ = previous;
      event_tail_ = 0;
    }
    const std::int64_t position = LineStart(line) + CharsBefore(bytes, event_from_);
    const std::size_t event_end = bytes.size() - std::min(event_tail_, bytes.size() - event_from_);
    AddChange({position, DecodeText(bytes.substr(event_from_, event_end - event_from_)), {}});
  }
}

void TSrcEditAccessibleText::LineChanged(int line) {
  const bool delta = changing_ && LineLength(line) > static_cast<int>(kRecountBytes);
  const bool collecting = changing_ && IsCollecting();
  changing_ = false;
  if (!delta && !collecting) {
    counts_.Set(line - 1, LineChars(line));
    return;
  }
  std::string scratch;
  const std::string_view bytes = LineView(line, scratch);
  const std::size_t from = std::min(changing_from_, bytes.size());
  const std::size_t end = std::max(from, bytes.size() - std::min(changing_tail_, bytes.size()));
  const std::string_view inserted = std::string_view(bytes).substr(from, end - from);
  if (collecting) {
    const std::size_t event_from = std::min(event_from_, bytes.size());
    const std::size_t event_end =
        std::max(event_from, bytes.size() - std::min(event_tail_, bytes.size()));
    const std::int64_t position = LineStart(line) + CharsBefore(bytes, event_from);
    AddChange({position, {}, DecodeText(bytes.substr(event_from, event_end - event_from))});
  }
  counts_.Set(line - 1, delta ? LineLength(line) - changing_removed_ + CountChars(inserted)
                              : CountChars(bytes));
}

// --- gathering changes ---------------------------------------------------------

void TSrcEditAccessibleText::AddChange(TAccessibleTextChange change) {
  if (change.whole) {
    pending_.clear();
    pending_.push_back({0, {}, {}, true});
    return;
  }
  if (!pending_.empty() && pending_.back().whole) {
    return;  // the whole text is re-read anyway
  }
  TPendingChange next{change.position, Ucs4(change.removed), Ucs4(change.inserted), false};
  if (pending_.empty()) {
    pending_.push_back(std::move(next));
    return;
  }
  // The last change put `inserted` at [p, p + |inserted|) of the current
  // text; a change touching that span merges into it, reading the old text
  // it reaches beyond the span from its own removed text.
  TPendingChange& last = pending_.back();
  const std::int64_t p = last.position;
  const auto span_end = p + static_cast<std::int64_t>(last.inserted.size());
  const std::int64_t q = next.position;
  const auto q_end = q + static_cast<std::int64_t>(next.removed.size());
  const auto at = [](std::int64_t n) { return static_cast<std::size_t>(n); };
  if (q_end < p || q > span_end) {
    pending_.push_back(std::move(next));
  } else if (q >= p && q_end <= span_end) {
    last.inserted =
        last.inserted.substr(0, at(q - p)) + next.inserted + last.inserted.substr(at(q_end - p));
  } else if (q <= p && q_end >= span_end) {
    last.removed =
        next.removed.substr(0, at(p - q)) + last.removed + next.removed.substr(at(span_end - q));
    last.inserted = next.inserted;
    last.position = q;
  } else if (q < p) {  // reaches into the span from before it
    last.removed = next.removed.substr(0, at(p - q)) + last.removed;
    last.inserted = next.inserted + last.inserted.substr(at(q_end - p));
    last.position = q;
  } else {  // starts inside the span and reaches beyond it
    last.removed += next.removed.substr(at(span_end - q));
    last.inserted = last.inserted.substr(0, at(q - p)) + next.inserted;
  }
  if (pending_.size() > 64) {
    AddChange({0, {}, {}, true});  // scattered changes: re-read
  }
}

std::vector<TAccessibleTextChange> TSrcEditAccessibleText::TakeChanges() {
  std::vector<TAccessibleTextChange> out;
  for (TPendingChange& change : pending_) {
    if (change.whole) {
      out.push_back({0, {}, {}, true});
      continue;
    }
    // What the removed and inserted texts share at either end stayed.
    std::u32string& r = change.removed;
    std::u32string& i = change.inserted;
    std::size_t head = 0;
    while (head < r.size() && head < i.size() && r[head] == i[head]) {
      ++head;
    }
    std::size_t tail = 0;
    while (tail < r.size() - head && tail < i.size() - head &&
           r[r.size() - 1 - tail] == i[i.size() - 1 - tail]) {
      ++tail;
    }
    r = r.substr(head, r.size() - head - tail);
    i = i.substr(head, i.size() - head - tail);
    if (!r.empty() || !i.empty()) {
      out.push_back({change.position + static_cast<std::int64_t>(head),
                     QString::fromStdU32String(r), QString::fromStdU32String(i)});
    }
  }
  pending_.clear();
  return out;
}

}  // namespace torvane
