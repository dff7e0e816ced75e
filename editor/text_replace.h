// Replacing search matches through the editor's command side: one match, or
// every match of a scope as one undo group.
#pragma once

#include <QString>
#include <string_view>

#include "editor/text_search.h"

namespace torvane {

class TSrcEditController;

// Replaces the match's text with `bytes` (one undo group) and leaves the
// caret after the new text. Nothing happens to a read-only editor.
void ReplaceMatch(TSrcEditController& controller, const TSearchMatch& match,
                  std::string_view bytes);

// Replaces every match in the scope (TTextSearch::FindAll) in one undo group,
// so one undo takes all of them back; returns how many were replaced. A scope
// that ends on a changed line is moved to still end after the same text.
int ReplaceAllMatches(TSrcEditController& controller, const TTextSearch& search,
                      TSearchScope& scope, const QString& replacement);

}  // namespace torvane
