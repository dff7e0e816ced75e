// The main window's completion list over NASM's words and the document's labels.
#include "app/nasm_completion.h"

#include <strings.h>

#include <algorithm>
#include <memory>

#include "completion/completion_proposal.h"
#include "document/control/src_editor.h"
#include "highlight/nasm_highlighter.h"
#include "highlight/nasm_words.h"

namespace torvane {
namespace {

// Characters that end the word being completed; typed into the list they
// complete it first. Everything else NASM allows in a name stays in the word.
constexpr char kNasmEndOfToken[] = "()[]{},:;+-*/<>=!&|^\"'` ";

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const int order = strcasecmp(a.c_str(), b.c_str());
  return order != 0 ? order < 0 : a < b;
}

const std::vector<std::string>& ReservedWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> all;
    for (const TNasmWordKind kind : {TNasmWordKind::nwkInstruction, TNasmWordKind::nwkRegister,
                                     TNasmWordKind::nwkDirective, TNasmWordKind::nwkPreprocessor}) {
      const std::vector<std::string>& list = NasmWords(kind);
      all.insert(all.end(), list.begin(), list.end());
    }
    std::sort(all.begin(), all.end(), LessIgnoringCase);
    return all;
  }();
  return words;
}

}  // namespace

std::vector<std::string> NasmCompletionWords(const TSrcEditor& editor) {
  TSrcNasmHighlighter scanner;
  const TSrcEditModel& model = editor.Model();
  // Labels inside collapsed blocks count too.
  std::vector<std::string> labels = model.Folds().CollapsedCount() == 0
                                        ? scanner.DefinedLabels(model.Lines())
                                        : scanner.DefinedLabels(model.Folds().ExpandedLines());
  std::sort(labels.begin(), labels.end(), LessIgnoringCase);
  const std::vector<std::string>& reserved = ReservedWords();
  std::vector<std::string> words;
  words.reserve(labels.size() + reserved.size());
  std::merge(labels.begin(), labels.end(), reserved.begin(), reserved.end(),
             std::back_inserter(words), LessIgnoringCase);
  // A label spelled like a reserved word ("loop:") is offered once.
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

void SetUpNasmCompletion(TSrcEditor& editor) {
  TSrcCompletionProposal& proposal = editor.CompletionProposal();
  proposal.SetEndOfTokenChr(kNasmEndOfToken);
  proposal.SetEditor(&editor);
  TSrcEditor* owner = &editor;
  proposal.OnExecute = [owner](SrcCompletionType kind, TSrcBaseCompletionProposal& sender,
                               std::string&, int&, int&, bool&) {
    // The collapsed-code hint fills its own items.
    if (kind == ctCode) {
      sender.ItemList() = NasmCompletionWords(*owner);
    }
  };
}

}  // namespace torvane
