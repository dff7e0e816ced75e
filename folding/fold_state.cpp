// Folds over a line store. Collapsing takes the block's lines out of the
// store into the range and appends room for the mark to the header;
// ranges after it in document order move up by the lines taken. Ranges
// inside a collapsed block move along, so each keeps its distance to the
// block's header; that distance places nested collapsed headers among the
// hidden lines (EmitHidden).
#include "folding/fold_state.h"

#include <algorithm>
#include <functional>

#include "folding/fold_scanner.h"
#include "highlight/range_states.h"
#include "highlight/rescan.h"

namespace torvane {
namespace {

// Collapse and expand move lines themselves; the notifications they cause
// must not move the ranges a second time.
class TMovingLines {
 public:
  TMovingLines(bool& flag, TSrcEditStringList& lines) : flag_(flag), lines_(lines) {
    flag_ = true;
    lines_.BeginBatch();
  }
  ~TMovingLines() {
    flag_ = false;
    try {
      lines_.EndBatch();
    } catch (...) {
    }
  }
  TMovingLines(const TMovingLines&) = delete;
  TMovingLines& operator=(const TMovingLines&) = delete;

 private:
  bool& flag_;
  TSrcEditStringList& lines_;
};

bool IsStringOrComment(const TTokenAtPosition& token) {
  if (!token.Found || token.Attribute == nullptr) {
    return false;
  }
  std::string name = token.Attribute->Name();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.starts_with("string") || name.starts_with("comment") || name.starts_with("remark");
}

void UpperCaseTokens(TFoldRegions& regions) {
  for (int i = 0; i < regions.Count(); ++i) {
    TFoldRegionItem& item = regions.Item(i);
    UpperCaseAscii(item.OpenToken);
    UpperCaseAscii(item.CloseToken);
    UpperCaseTokens(*item.SubRegions);
  }
}

}  // namespace

TSrcEditFolds::TSrcEditFolds(TSrcEditStringList& lines) : lines_(lines) {}

// --- scanning --------------------------------------------------------------

void TSrcEditFolds::Scan(const std::vector<int>* line_map, TSrcEditAllFoldRanges& into) const {
  TFoldScanInput input;
  input.LineCount = line_map != nullptr ? static_cast<int>(line_map->size()) : lines_.LineCount();
  input.Line = [this, line_map](int index) {
    return lines_.GetLine(line_map != nullptr ? (*line_map)[static_cast<std::size_t>(index)]
                                              : index);
  };
  input.Regions = regions_;
  input.CaseSensitive = case_sensitive_;
  input.TabWidth = tab_width_;
  if (range_states_ != nullptr && range_states_->Highlighter() != nullptr) {
    input.IsInStringOrComment = [this, line_map](int index, int offset) {
      const int line = line_map != nullptr ? (*line_map)[static_cast<std::size_t>(index)] : index;
      return IsStringOrComment(range_states_->TokenAt(offset + 1, line + 1));
    };
  }
  ScanFoldRegions(input, into);
}

void TSrcEditFolds::RescanFolds() {
  ExpandAll();
  ranges_.ClearAll();
  Changed();
  fold_token_changes_ = 0;
  if (regions_ == nullptr || regions_->Count() == 0) {
    return;
  }
  if (!case_sensitive_) {
    UpperCaseTokens(*regions_);
  }
  Scan(nullptr, ranges_);
}

void TSrcEditFolds::RescanFoldsKeepingCollapsed() {
  fold_token_changes_ = 0;
  if (regions_ == nullptr || regions_->Count() == 0) {
    return;
  }
  // Collapsed blocks and what they hide stay; everything else is found anew.
  std::vector<std::unique_ptr<TSrcEditFoldRange>> kept;
  for (int i = ranges_.AllCount() - 1; i >= 0; --i) {
    std::unique_ptr<TSrcEditFoldRange> range = ranges_.Detach(i);
    if (range->IsCollapsed || range->InsideCollapsed) {
      kept.push_back(std::move(range));
    }
  }
  std::reverse(kept.begin(), kept.end());
  ranges_.Clear();
  // The scan skips collapsed headers: their appended blanks and their
  // opening token would look like code.
  std::vector<int> line_map;
  line_map.reserve(static_cast<std::size_t>(lines_.LineCount()));
  std::size_t next_header = 0;
  std::vector<int> headers;
  for (const auto& range : kept) {
    if (range->IsCollapsedHeader()) {
      headers.push_back(range->FirstLine - 1);
      range->Parent = nullptr;
    }
  }
  std::sort(headers.begin(), headers.end());
  for (int line = 0; line < lines_.LineCount(); ++line) {
    if (next_header < headers.size() && headers[next_header] == line) {
      ++next_header;
      continue;
    }
    line_map.push_back(line);
  }
  TSrcEditAllFoldRanges found;
  Scan(&line_map, found);
  const auto translate = [&line_map](int line) {
    return line >= 1 && line <= static_cast<int>(line_map.size())
               ? line_map[static_cast<std::size_t>(line - 1)] + 1
               : line;
  };
  // Merge in document order: each new range goes before the first kept
  // range that starts later.
  std::vector<TSrcEditFoldRange*> roots = found.Items();
  std::vector<std::unique_ptr<TSrcEditFoldRange>> fresh;
  while (found.AllCount() > 0) {
    fresh.push_back(found.Detach(0));
  }
  std::vector<std::unique_ptr<TSrcEditFoldRange>> merged;
  std::size_t k = 0;
  for (auto& range : fresh) {
    range->FirstLine = translate(range->FirstLine);
    range->LastLine = translate(range->LastLine);
    while (k < kept.size() && kept[k]->FirstLine <= range->FirstLine) {
      merged.push_back(std::move(kept[k++]));
    }
    merged.push_back(std::move(range));
  }
  while (k < kept.size()) {
    merged.push_back(std::move(kept[k++]));
  }
  for (auto& range : merged) {
    ranges_.InsertAt(ranges_.AllCount(), std::move(range));
  }
  for (TSrcEditFoldRange* root : roots) {
    ranges_.Add(root);
  }
  RebuildFoldTree();
  Changed();
}

void TSrcEditFolds::RebuildFoldTree() {
  for (int i = 0; i < ranges_.AllCount(); ++i) {
    TSrcEditFoldRange* collapsed = ranges_.AllRange(i);
    if (!collapsed->IsCollapsedHeader() || collapsed->Parent != nullptr) {
      continue;
    }
    TSrcEditFoldRange* inner = nullptr;
    for (int j = 0; j < ranges_.AllCount(); ++j) {
      TSrcEditFoldRange* r = ranges_.AllRange(j);
      if (r->IsCollapsed || r->InsideCollapsed) {
        continue;
      }
      if (r->FirstLine < collapsed->FirstLine && collapsed->FirstLine < r->LastLine &&
          (inner == nullptr || r->FirstLine > inner->FirstLine)) {
        inner = r;
      }
    }
    std::vector<TSrcEditFoldRange*>& list =
        inner != nullptr ? inner->SubRanges.Items() : ranges_.Items();
    const auto at = std::find_if(list.begin(), list.end(), [collapsed](TSrcEditFoldRange* r) {
      return r->FirstLine > collapsed->FirstLine;
    });
    list.insert(at, collapsed);
    collapsed->Parent = inner;
    TSrcEditAllFoldRanges::SetSubRangeLevels(*collapsed,
                                             inner != nullptr ? inner->NestLevel + 1 : 0);
  }
}

// --- collapsing and expanding ----------------------------------------------

void TSrcEditFolds::ShiftRange(TSrcEditFoldRange& range, int delta, bool with_subtree) {
  range.FirstLine += delta;
  range.LastLine += delta;
  if (with_subtree) {
    for (TSrcEditFoldRange* child : range.SubRanges.Items()) {
      ShiftRange(*child, delta, true);
    }
  }
}

void TSrcEditFolds::ShiftRangesAfter(const TSrcEditFoldRange& range, int delta) {
  const int index = ranges_.IndexOf(&range);
  for (int i = 0; i < ranges_.AllCount(); ++i) {
    TSrcEditFoldRange& r = *ranges_.AllRange(i);
    if (i < index) {
      if (!r.IsCollapsed && !r.InsideCollapsed && r.LastLine > range.FirstLine) {
        r.LastLine += delta;
      }
    } else if (i > index) {
      ShiftRange(r, delta, false);
    }
  }
}

bool TSrcEditFolds::IsWithin(const TSrcEditFoldRange& range, const TSrcEditFoldRange& block) {
  for (const TSrcEditFoldRange* r = range.Parent; r != nullptr; r = r->Parent) {
    if (r == &block) {
      return true;
    }
  }
  return false;
}

bool TSrcEditFolds::TakesCollapsedBlocksWhole(const TSrcEditFoldRange& range, int removed) const {
  // The hidden lines keep the collapsed blocks among them only as nested
  // ones, and nested ones become hidden: a collapsed header the collapse
  // would take that is not nested in the block, or a nested one it would
  // leave in the store, would lose its lines.
  const int first = range.FirstLine + 1;
  const int last = range.FirstLine + removed;
  for (const TCollapsedEntry& e : VisibleCollapsed()) {
    const bool taken = e.Range->FirstLine >= first && e.Range->FirstLine <= last;
    if (e.Range != &range && taken != IsWithin(*e.Range, range)) {
      return false;
    }
  }
  return true;
}

bool TSrcEditFolds::CollapseRange(TSrcEditFoldRange& range) {
  // One collapse per header line: a block opening on a collapsed header
  // stays inside it.
  if (!range.IsMultiLine() || range.IsCollapsed || range.InsideCollapsed ||
      CollapsedHeaderAt(range.FirstLine) != nullptr) {
    return false;
  }
  int hidden = range.LastLine - range.FirstLine - 1;
  // A block opening on the closing line keeps that line visible: any block
  // starting there, not only the first range that does, but none nested in
  // this one (a collapsed inner block holding this block's closing token
  // has its header there, and goes with the rest).
  for (int i = 0; i < ranges_.AllCount(); ++i) {
    const TSrcEditFoldRange* next = ranges_.AllRange(i);
    if (next != &range && !next->InsideCollapsed && next->FirstLine == range.LastLine &&
        next->IsMultiLine() && !IsWithin(*next, range)) {
      --hidden;
      break;
    }
  }
  const int removed = hidden + 1;
  if (removed <= 0 || range.FirstLine < 1 || range.FirstLine + removed > lines_.LineCount() ||
      !TakesCollapsedBlocksWhole(range, removed)) {
    return false;
  }
  std::string appended(kCollapsedMarkBlanks);
  if (range.ShowCloseToken) {
    appended += range.CloseToken;
  }
  const int header = range.FirstLine - 1;
  std::string header_text(lines_.GetLine(header));
  header_text += appended;
  std::vector<TSrcHiddenLine> taken;
  taken.reserve(static_cast<std::size_t>(removed));
  for (int i = 0; i < removed; ++i) {
    const int index = range.FirstLine + i;
    taken.push_back({std::string(lines_.GetLine(index)), lines_.GetChangeState(index)});
  }
  {
    TMovingLines moving(moving_lines_, lines_);
    const TLineChangeState state = lines_.GetChangeState(header);
    lines_.RemoveLines(range.FirstLine, removed);
    lines_.SetLine(header, header_text);
    lines_.SetChangeState(header, state);
  }
  range.HiddenLines = std::move(taken);
  range.HiddenLineCount = hidden;
  range.AppendedText = std::move(appended);
  range.IsCollapsed = true;
  MarkSubRanges(range, true, range.NestLevel);
  ShiftRangesAfter(range, -removed);
  Changed();
  return true;
}

bool TSrcEditFolds::ExpandRange(TSrcEditFoldRange& range) {
  if (!range.IsCollapsed || range.InsideCollapsed) {
    return false;
  }
  const int header = range.FirstLine - 1;
  const int restored = static_cast<int>(range.HiddenLines.size());
  {
    TMovingLines moving(moving_lines_, lines_);
    if (header >= 0 && header < lines_.LineCount()) {
      std::vector<std::string_view> texts;
      texts.reserve(range.HiddenLines.size());
      for (const TSrcHiddenLine& line : range.HiddenLines) {
        texts.push_back(line.Text);
      }
      lines_.InsertLines(range.FirstLine, texts);
      for (int i = 0; i < restored; ++i) {
        lines_.SetChangeState(range.FirstLine + i,
                              range.HiddenLines[static_cast<std::size_t>(i)].ChangeState);
      }
      const std::string_view text = lines_.GetLine(header);
      if (text.ends_with(range.AppendedText)) {
        const TLineChangeState state = lines_.GetChangeState(header);
        lines_.SetLine(header, text.substr(0, text.size() - range.AppendedText.size()));
        lines_.SetChangeState(header, state);
      }
    }
  }
  range.IsCollapsed = false;
  range.HiddenLines.clear();
  range.AppendedText.clear();
  ShiftRangesAfter(range, restored);
  MarkSubRanges(range, false, range.NestLevel);
  Changed();
  return true;
}

void TSrcEditFolds::ExpandLevel(int level) {
  for (int i = ranges_.AllCount() - 1; i >= 0; --i) {
    TSrcEditFoldRange& range = *ranges_.AllRange(i);
    if (range.NestLevel == level && range.IsCollapsedHeader()) {
      ExpandRange(range);
    }
  }
}

void TSrcEditFolds::ExpandAll() {
  // Expanding a block shows the collapsed blocks inside it; go on until
  // none is left, however deep they were nested.
  while (CollapsedCount() > 0) {
    for (int i = ranges_.AllCount() - 1; i >= 0; --i) {
      TSrcEditFoldRange& range = *ranges_.AllRange(i);
      if (range.IsCollapsedHeader()) {
        ExpandRange(range);
      }
    }
  }
}

// --- the expanded text -----------------------------------------------------

const std::vector<TSrcEditFolds::TCollapsedEntry>& TSrcEditFolds::VisibleCollapsed() const {
  if (collapsed_dirty_) {
    collapsed_.clear();
    for (int i = 0; i < ranges_.AllCount(); ++i) {
      TSrcEditFoldRange* range = ranges_.AllRange(i);
      if (range->IsCollapsedHeader()) {
        collapsed_.push_back({range, TSrcEditAllFoldRanges::HiddenTotal(*range)});
      }
    }
    std::stable_sort(collapsed_.begin(), collapsed_.end(),
                     [](const TCollapsedEntry& a, const TCollapsedEntry& b) {
                       return a.Range->FirstLine < b.Range->FirstLine;
                     });
    collapsed_dirty_ = false;
  }
  return collapsed_;
}

bool TSrcEditFolds::HasCollapsedHeaderIn(int first, int last) const {
  const std::vector<TCollapsedEntry>& list = VisibleCollapsed();
  const auto it =
      std::lower_bound(list.begin(), list.end(), first,
                       [](const TCollapsedEntry& e, int l) { return e.Range->FirstLine < l; });
  return it != list.end() && it->Range->FirstLine <= last;
}

TSrcEditFoldRange* TSrcEditFolds::CollapsedHeaderAt(int line) const {
  const std::vector<TCollapsedEntry>& list = VisibleCollapsed();
  const auto it =
      std::lower_bound(list.begin(), list.end(), line,
                       [](const TCollapsedEntry& e, int l) { return e.Range->FirstLine < l; });
  return it != list.end() && it->Range->FirstLine == line ? it->Range : nullptr;
}

int TSrcEditFolds::ExpandedLineNumber(int line) const {
  int sum = 0;
  for (const TCollapsedEntry& e : VisibleCollapsed()) {
    if (e.Range->FirstLine >= line) {
      break;
    }
    sum += e.Total + 1;
  }
  return line + sum;
}

int TSrcEditFolds::PresentLineNumber(int expanded, bool* hidden) const {
  if (hidden != nullptr) {
    *hidden = false;
  }
  int offset = 0;
  for (const TCollapsedEntry& e : VisibleCollapsed()) {
    const int header = e.Range->FirstLine + offset;
    if (expanded <= header) {
      break;
    }
    if (expanded <= header + e.Total + 1) {
      if (hidden != nullptr) {
        *hidden = true;
      }
      return e.Range->FirstLine;
    }
    offset += e.Total + 1;
  }
  return expanded - offset;
}

std::string_view TSrcEditFolds::HeaderText(const TSrcEditFoldRange& range) const {
  const std::string_view text = lines_.GetLine(range.FirstLine - 1);
  return text.ends_with(range.AppendedText)
             ? text.substr(0, text.size() - range.AppendedText.size())
             : text;
}

void TSrcEditFolds::EmitHidden(const TSrcEditFoldRange& range,
                               std::vector<std::string>& out) const {
  // Collapsed blocks this collapse hid directly, at their index among the
  // hidden lines.
  std::vector<std::pair<int, const TSrcEditFoldRange*>> nested;
  std::function<void(const TSrcEditFoldRange&)> collect = [&](const TSrcEditFoldRange& r) {
    for (const TSrcEditFoldRange* child : r.SubRanges.Items()) {
      if (child->IsCollapsed) {
        nested.emplace_back(child->FirstLine - range.FirstLine + range.HiddenLineCount, child);
      } else {
        collect(*child);
      }
    }
  };
  collect(range);
  std::sort(nested.begin(), nested.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::size_t n = 0;
  for (std::size_t i = 0; i < range.HiddenLines.size(); ++i) {
    const std::string& text = range.HiddenLines[i].Text;
    while (n < nested.size() && nested[n].first < static_cast<int>(i)) {
      ++n;
    }
    if (n < nested.size() && nested[n].first == static_cast<int>(i)) {
      const TSrcEditFoldRange& inner = *nested[n].second;
      out.push_back(text.ends_with(inner.AppendedText)
                        ? text.substr(0, text.size() - inner.AppendedText.size())
                        : text);
      EmitHidden(inner, out);
      ++n;
    } else {
      out.push_back(text);
    }
  }
}

void TSrcEditFolds::AppendExpandedLines(int first, int last, std::vector<std::string>& out) const {
  first = std::max(first, 1);
  last = std::min(last, lines_.LineCount());
  const std::vector<TCollapsedEntry>& list = VisibleCollapsed();
  auto it = std::lower_bound(list.begin(), list.end(), first, [](const TCollapsedEntry& e, int l) {
    return e.Range->FirstLine < l;
  });
  for (int line = first; line <= last; ++line) {
    if (it != list.end() && it->Range->FirstLine == line) {
      out.emplace_back(HeaderText(*it->Range));
      EmitHidden(*it->Range, out);
      ++it;
    } else {
      out.emplace_back(lines_.GetLine(line - 1));
    }
  }
}

std::vector<std::string> TSrcEditFolds::ExpandedLines() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(lines_.LineCount()));
  AppendExpandedLines(1, lines_.LineCount(), out);
  return out;
}

std::string TSrcEditFolds::ExpandedText() const {
  if (CollapsedCount() == 0) {
    return lines_.GetAllText();
  }
  std::string text;
  bool first = true;
  for (const std::string& line : ExpandedLines()) {
    if (!first) {
      text += "\r\n";
    }
    first = false;
    text += line;
  }
  return text;
}

// --- following the store ---------------------------------------------------

bool TSrcEditFolds::ContainsToken(std::string_view text, const std::string& token) const {
  if (token.empty()) {
    return false;
  }
  if (case_sensitive_) {
    return text.find(token) != std::string_view::npos;
  }
  std::string upper(text);
  UpperCaseAscii(upper);
  return upper.find(token) != std::string::npos;
}

// True when the token is on line `to_line` (0-based) and no longer on
// `from_line`: an edit moved it down (a break before it) or up (a join).
bool TSrcEditFolds::TokenMoved(int from_line, int to_line, const std::string& token) const {
  if (to_line < 0 || to_line >= lines_.LineCount()) {
    return false;
  }
  const bool still_there = from_line >= 0 && from_line < lines_.LineCount() &&
                           ContainsToken(lines_.GetLine(from_line), token);
  return !still_there && ContainsToken(lines_.GetLine(to_line), token);
}

void TSrcEditFolds::LinesInserted(int index, int count) {
  if (moving_lines_ || count <= 0) {
    return;
  }
  for (int i = 0; i < ranges_.AllCount(); ++i) {
    TSrcEditFoldRange& r = *ranges_.AllRange(i);
    if (r.InsideCollapsed) {
      continue;
    }
    // The header was pushed down, or its token moved to the first new line.
    if (r.FirstLine > index ||
        (r.FirstLine == index && !r.IsCollapsed && TokenMoved(index - 1, index, r.OpenToken))) {
      ShiftRange(r, count, r.IsCollapsed);
      continue;
    }
    if (r.IsCollapsed) {
      continue;
    }
    if (r.LastLine > index || (r.LastLine == index && TokenMoved(index - 1, index, r.CloseToken))) {
      r.LastLine += count;
    }
  }
  for (int i = index; track_tokens_ && i < index + count && i < lines_.LineCount(); ++i) {
    if (!LineFoldToken(lines_.GetLine(i)).empty()) {
      ++fold_token_changes_;
      break;
    }
  }
}

void TSrcEditFolds::LinesDeleted(int index, int count) {
  if (moving_lines_ || count <= 0) {
    return;
  }
  const int a = index + 1;
  const int b = index + count;
  // A deleted collapsed header takes its block with it.
  for (int i = ranges_.AllCount() - 1; i >= 0; --i) {
    if (i >= ranges_.AllCount()) {
      continue;
    }
    TSrcEditFoldRange* r = ranges_.AllRange(i);
    if (r->IsCollapsedHeader() && r->FirstLine >= a && r->FirstLine <= b) {
      ranges_.RemoveRange(r);
      Changed();
    }
  }
  bool token_lines = false;
  for (int i = 0; i < ranges_.AllCount(); ++i) {
    TSrcEditFoldRange& r = *ranges_.AllRange(i);
    if (r.InsideCollapsed) {
      continue;
    }
    if (r.FirstLine > b) {
      ShiftRange(r, -count, r.IsCollapsed);
      continue;
    }
    if (r.FirstLine >= a) {
      // The header went; a join left its token on the line above.
      token_lines = true;
      r.FirstLine = std::max(1, a - 1);
      r.LastLine = r.LastLine > b ? r.LastLine - count : r.FirstLine;
      continue;
    }
    if (r.IsCollapsed) {
      continue;
    }
    if (r.LastLine > b) {
      r.LastLine -= count;
    } else if (r.LastLine >= a) {
      token_lines = true;
      r.LastLine = std::max(r.FirstLine, a - 1);
    }
  }
  if (token_lines) {
    ++fold_token_changes_;
  }
}

void TSrcEditFolds::BeforeLineReplaced(int index) {
  if (!moving_lines_ && track_tokens_) {
    remembered_fold_token_ = LineFoldToken(lines_.GetLine(index));
  }
}

void TSrcEditFolds::LineReplaced(int index) {
  if (!moving_lines_ && track_tokens_ &&
      LineFoldToken(lines_.GetLine(index)) != remembered_fold_token_) {
    ++fold_token_changes_;
  }
}

void TSrcEditFolds::LinesCleared() {
  ranges_.ClearAll();
  fold_token_changes_ = 0;
  Changed();
}

std::string TSrcEditFolds::LineFoldToken(std::string_view text) const {
  if (regions_ == nullptr || regions_->Count() == 0 || text.empty()) {
    return {};
  }
  std::string upper;
  if (!case_sensitive_) {
    upper.assign(text);
    UpperCaseAscii(upper);
    text = upper;
  }
  std::function<std::string(const TFoldRegions&)> search =
      [&](const TFoldRegions& regions) -> std::string {
    for (int i = 0; i < regions.Count(); ++i) {
      const TFoldRegionItem& item = regions.Item(i);
      std::string inner = search(*item.SubRegions);
      if (!inner.empty()) {
        return inner;
      }
      for (const std::string* token : {&item.OpenToken, &item.CloseToken}) {
        if (!token->empty() && text.find(*token) != std::string_view::npos) {
          return *token;
        }
      }
    }
    return {};
  };
  return search(*regions_);
}

std::string TSrcEditFolds::Dump() const {
  return ranges_.Dump() + " /" + std::to_string(lines_.LineCount());
}

}  // namespace torvane
