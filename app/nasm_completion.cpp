// The main window's completion list over NASM's words and the document's labels.
#include "app/nasm_completion.h"

#include <strings.h>

#include <QFont>
#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <unordered_set>
#include <utility>

#include "completion/completion_proposal.h"
#include "document/control/src_editor.h"
#include "highlight/nasm_highlighter.h"
#include "highlight/nasm_words.h"

namespace torvane {
namespace {

// Characters that end the word being completed; typed into the list they
// complete it first. Everything else NASM allows in a name stays in the word.
constexpr char kNasmEndOfToken[] = "()[]{},:;+-*/<>=!&|^\"'` ";

// Offered before rarer words with the same prefix: what most NASM code is
// made of.
constexpr std::string_view kCommonWords[] = {
    "mov",  "add",   "sub",   "jmp",  "call", "cmp",     "push",   "pop",    "ret",    "inc",
    "dec",  "and",   "or",    "xor",  "not",  "test",    "lea",    "int",    "je",     "jne",
    "jz",   "jnz",   "jl",    "jg",   "jle",  "jge",     "ja",     "jb",     "jc",     "jnc",
    "loop", "shl",   "shr",   "mul",  "imul", "div",     "idiv",   "nop",    "hlt",    "cli",
    "sti",  "movzx", "movsx", "xchg", "db",   "dw",      "dd",     "dq",     "resb",   "resw",
    "resd", "times", "equ",   "org",  "bits", "section", "global", "extern", "syscall"};

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

std::vector<std::string> DocumentLabels(const TSrcEditor& editor) {
  TSrcNasmHighlighter scanner;
  const TSrcEditModel& model = editor.Model();
  // Labels inside collapsed blocks count too.
  return model.Folds().CollapsedCount() == 0 ? scanner.DefinedLabels(model.Lines())
                                             : scanner.DefinedLabels(model.Folds().ExpandedLines());
}

std::vector<std::string> RankCompletionWords(std::vector<std::string> words,
                                             const std::vector<std::string>& labels,
                                             std::string_view prefix) {
  const std::unordered_set<std::string_view> label_set(labels.begin(), labels.end());
  const std::unordered_set<std::string_view> common(std::begin(kCommonWords),
                                                    std::end(kCommonWords));
  auto rank = [&](const std::string& word) {
    const bool same_case =
        !prefix.empty() && std::string_view(word).substr(0, prefix.size()) == prefix;
    int group = 2;
    if (label_set.count(word) != 0) {
      group = 0;
    } else {
      std::string lower = word;
      std::transform(lower.begin(), lower.end(), lower.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      group = common.count(lower) != 0 ? 1 : 2;
    }
    return (same_case ? 0 : 3) + group;
  };
  std::vector<std::pair<int, std::size_t>> keys;
  keys.reserve(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) {
    keys.emplace_back(rank(words[i]), i);
  }
  std::sort(keys.begin(), keys.end());
  std::vector<std::string> ranked;
  ranked.reserve(words.size());
  for (const auto& key : keys) {
    ranked.push_back(std::move(words[key.second]));
  }
  return ranked;
}

std::vector<std::string> NasmCompletionWords(const TSrcEditor& editor) {
  std::vector<std::string> labels = DocumentLabels(editor);
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
                               std::string& current_input, int&, int&, bool&) {
    // The collapsed-code hint fills its own items.
    if (kind == ctCode) {
      sender.ItemList() =
          RankCompletionWords(NasmCompletionWords(*owner), DocumentLabels(*owner), current_input);
      QFont font = sender.Font();
      font.setPixelSize(owner->Font().pixelSize());
      sender.SetFont(font);
    }
  };
}

}  // namespace torvane
