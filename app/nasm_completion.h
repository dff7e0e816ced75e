// Ctrl+Space in the main window's editor: a list of NASM's reserved words
// and the labels the document defines, filtered by the word at the caret.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class TSrcEditor;

// The words offered for the editor's document: the labels it defines
// (blocks collapsed or not) and NASM's instructions, registers, directives
// and preprocessor words, each once, sorted ignoring case.
std::vector<std::string> NasmCompletionWords(const TSrcEditor& editor);

// The labels the document defines (blocks collapsed or not), in text order.
std::vector<std::string> DocumentLabels(const TSrcEditor& editor);

// The words in the order the list offers them for `prefix`: those starting
// with it in the same case first, then the document's labels, then the
// commonest instructions and directives (mov, add, jmp, db...), then the
// rest; within each group in the order given.
std::vector<std::string> RankCompletionWords(std::vector<std::string> words,
                                             const std::vector<std::string>& labels,
                                             std::string_view prefix);

// Attaches the editor's own completion proposal, so its shortcut (Ctrl+Space)
// opens the list, and fills the list with NasmCompletionWords, ranked for the
// word at the caret, when it opens; the list's text is the editor's size.
// Word ends are NASM's: '.', '%', '$', '@', '#', '?' and '~' belong to a word.
void SetUpNasmCompletion(TSrcEditor& editor);

}  // namespace torvane
