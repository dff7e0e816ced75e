// The process-wide list of highlighter classes.
#pragma once

#include <string>
#include <vector>

#include "highlight/custom_highlighter.h"

namespace torvane {

class TSrcHighlighterList {
 public:
  // Appends the class unless it is listed already.
  void RegisterHighlighterClass(const TSrcHighlighterClass& highlighter_class);
  int Count() const { return static_cast<int>(classes_.size()); }
  const TSrcHighlighterClass* Item(int index) const {
    return index >= 0 && index < Count() ? classes_[static_cast<std::size_t>(index)] : nullptr;
  }
  // The class whose language title is `title` (exactly), or null.
  const TSrcHighlighterClass* FindByLanguageTitle(const std::string& title) const;

 private:
  std::vector<const TSrcHighlighterClass*> classes_;
};

// The list, created on first use with the built-in highlighters registered.
TSrcHighlighterList& HighlighterList();

}  // namespace torvane
