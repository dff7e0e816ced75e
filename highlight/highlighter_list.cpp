// The list of highlighter classes and the registration of the built-in ones.
#include "highlight/highlighter_list.h"

#include <algorithm>

#include "highlight/asm_highlighter.h"
#include "highlight/nasm_highlighter.h"

namespace torvane {

void TSrcHighlighterList::RegisterHighlighterClass(const TSrcHighlighterClass& highlighter_class) {
  if (std::find(classes_.begin(), classes_.end(), &highlighter_class) == classes_.end()) {
    classes_.push_back(&highlighter_class);
  }
}

const TSrcHighlighterClass* TSrcHighlighterList::FindByLanguageTitle(
    const std::string& title) const {
  for (const TSrcHighlighterClass* highlighter_class : classes_) {
    if (highlighter_class->LanguageTitle() == title) {
      return highlighter_class;
    }
  }
  return nullptr;
}

TSrcHighlighterList& HighlighterList() {
  // Registered here rather than from a static initialiser in each highlighter's
  // file, which the linker would drop from a static library nobody references.
  static TSrcHighlighterList list = [] {
    TSrcHighlighterList built_in;
    built_in.RegisterHighlighterClass(TSrcAsmHighlighter::StaticClass());
    built_in.RegisterHighlighterClass(TSrcNasmHighlighter::StaticClass());
    return built_in;
  }();
  return list;
}

}  // namespace torvane
