// Fold ranges: the owning flat list, the tree over it and the lookups the
// gutter, the painter and the editing rules use.
#include "folding/fold_ranges.h"

#include <algorithm>
#include <functional>

namespace torvane {

void TSrcEditFoldRanges::Remove(const TSrcEditFoldRange* range) {
  std::erase(items_, range);
}

int TSrcEditAllFoldRanges::IndexOf(const TSrcEditFoldRange* range) const {
  for (std::size_t i = 0; i < all_.size(); ++i) {
    if (all_[i].get() == range) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TSrcEditFoldRange* TSrcEditAllFoldRanges::AddFoldRange(TSrcEditFoldRange* parent, int first_line,
                                                       int last_line, int nest_level,
                                                       int indent_depth) {
  auto range = std::make_unique<TSrcEditFoldRange>();
  range->FirstLine = first_line;
  range->LastLine = last_line;
  range->NestLevel = nest_level;
  range->IndentDepth = indent_depth;
  range->OwnerRanges = this;
  range->Parent = parent;
  TSrcEditFoldRange* result = range.get();
  (parent != nullptr ? parent->SubRanges : static_cast<TSrcEditFoldRanges&>(*this)).Add(result);
  all_.push_back(std::move(range));
  return result;
}

void TSrcEditAllFoldRanges::InsertAt(int index, std::unique_ptr<TSrcEditFoldRange> range) {
  range->OwnerRanges = this;
  const auto at = static_cast<std::size_t>(std::clamp(index, 0, AllCount()));
  all_.insert(all_.begin() + static_cast<std::ptrdiff_t>(at), std::move(range));
}

std::unique_ptr<TSrcEditFoldRange> TSrcEditAllFoldRanges::Detach(int index) {
  const auto at = all_.begin() + index;
  std::unique_ptr<TSrcEditFoldRange> range = std::move(*at);
  all_.erase(at);
  return range;
}

void TSrcEditAllFoldRanges::RemoveRange(TSrcEditFoldRange* range) {
  std::vector<const TSrcEditFoldRange*> doomed;
  std::function<void(const TSrcEditFoldRange&)> collect = [&](const TSrcEditFoldRange& r) {
    doomed.push_back(&r);
    for (const TSrcEditFoldRange* child : r.SubRanges.Items()) {
      collect(*child);
    }
  };
  collect(*range);
  (range->Parent != nullptr ? range->Parent->SubRanges : static_cast<TSrcEditFoldRanges&>(*this))
      .Remove(range);
  std::erase_if(all_, [&](const std::unique_ptr<TSrcEditFoldRange>& r) {
    return std::find(doomed.begin(), doomed.end(), r.get()) != doomed.end();
  });
}

void TSrcEditAllFoldRanges::ClearAll() {
  Clear();
  all_.clear();
}

TSrcEditFoldRange* TSrcEditAllFoldRanges::FindRangeStartingAt(int line) const {
  for (const auto& r : all_) {
    if (!r->InsideCollapsed && r->FirstLine == line) {
      return r.get();
    }
  }
  return nullptr;
}

TSrcEditFoldRange* TSrcEditAllFoldRanges::FindFoldStartAt(int line) const {
  for (const auto& r : all_) {
    if (!r->InsideCollapsed && r->FirstLine == line && r->IsMultiLine()) {
      return r.get();
    }
  }
  return nullptr;
}

TSrcEditFoldRange* TSrcEditAllFoldRanges::FindRangeEndingAt(int line) const {
  for (const auto& r : all_) {
    if (!r->InsideCollapsed && r->LastLine == line) {
      return r.get();
    }
  }
  return nullptr;
}

bool TSrcEditAllFoldRanges::IsFoldEndLine(int line) const {
  return std::any_of(all_.begin(), all_.end(), [line](const auto& r) {
    return !r->InsideCollapsed && !r->IsCollapsed && r->IsMultiLine() && r->LastLine == line;
  });
}

bool TSrcEditAllFoldRanges::IsInsideFold(int line) const {
  return std::any_of(all_.begin(), all_.end(), [line](const auto& r) {
    return !r->InsideCollapsed && !r->IsCollapsed && r->IsMultiLine() && r->FirstLine + 1 <= line &&
           line < r->LastLine;
  });
}

int TSrcEditAllFoldRanges::HiddenTotal(const TSrcEditFoldRange& range) {
  int total = range.HiddenLineCount;
  std::function<void(const TSrcEditFoldRange&)> add = [&](const TSrcEditFoldRange& r) {
    for (const TSrcEditFoldRange* child : r.SubRanges.Items()) {
      if (child->IsCollapsed) {
        total += child->HiddenLineCount + 1;
      }
      add(*child);
    }
  };
  add(range);
  return total;
}

void TSrcEditAllFoldRanges::SetSubRangeLevels(TSrcEditFoldRange& range, int level) {
  // A hidden range records the level of the nearest collapsed ancestor.
  std::function<void(TSrcEditFoldRange&, int, int)> set = [&](TSrcEditFoldRange& r, int lvl,
                                                              int hider) {
    r.NestLevel = lvl;
    if (r.InsideCollapsed) {
      r.CollapsedAtLevel = hider;
    }
    const int next_hider = r.IsCollapsed ? lvl : hider;
    for (TSrcEditFoldRange* child : r.SubRanges.Items()) {
      set(*child, lvl + 1, next_hider);
    }
  };
  set(range, level, level - 1);
}

void MarkSubRanges(TSrcEditFoldRange& range, bool collapsed, int level) {
  for (TSrcEditFoldRange* child : range.SubRanges.Items()) {
    child->InsideCollapsed = collapsed;
    child->CollapsedAtLevel = collapsed ? level : -1;
    if (!child->IsCollapsed) {
      MarkSubRanges(*child, collapsed, level);
    }
  }
}

void TSrcEditAllFoldRanges::CopyFrom(const TSrcEditAllFoldRanges& source) {
  if (this == &source) {
    return;
  }
  ClearAll();
  std::function<void(const TSrcEditFoldRange&, TSrcEditFoldRange*)> copy =
      [&](const TSrcEditFoldRange& from, TSrcEditFoldRange* parent) {
        TSrcEditFoldRange* to =
            AddFoldRange(parent, from.FirstLine, from.LastLine, from.NestLevel, from.IndentDepth);
        to->HiddenLineCount = from.HiddenLineCount;
        to->CollapsedAtLevel = from.CollapsedAtLevel;
        to->IsCollapsed = from.IsCollapsed;
        to->InsideCollapsed = from.InsideCollapsed;
        to->HiddenLines = from.HiddenLines;
        to->OpenToken = from.OpenToken;
        to->CloseToken = from.CloseToken;
        to->ShowCloseToken = from.ShowCloseToken;
        to->AppendedText = from.AppendedText;
        for (const TSrcEditFoldRange* child : from.SubRanges.Items()) {
          copy(*child, to);
        }
      };
  for (const TSrcEditFoldRange* root : source.Items()) {
    copy(*root, nullptr);
  }
  // The copy walked the tree depth first: document order, as the scan made it.
}

std::string TSrcEditAllFoldRanges::Dump() const {
  std::string out;
  std::function<void(const TSrcEditFoldRange&)> dump = [&](const TSrcEditFoldRange& r) {
    out += '[';
    out += std::to_string(r.FirstLine) + "-" + std::to_string(r.LastLine);
    if (r.IsCollapsed) {
      out += " c" + std::to_string(r.HiddenLineCount);
    }
    if (r.InsideCollapsed) {
      out += " h";
    }
    if (r.SubRanges.Count() > 0) {
      out += " {";
      for (std::size_t i = 0; i < r.SubRanges.Items().size(); ++i) {
        if (i > 0) {
          out += ' ';
        }
        dump(*r.SubRanges.Items()[i]);
      }
      out += '}';
    }
    out += ']';
  };
  for (std::size_t i = 0; i < Items().size(); ++i) {
    if (i > 0) {
      out += ' ';
    }
    dump(*Items()[i]);
  }
  return out;
}

}  // namespace torvane
