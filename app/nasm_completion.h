// Ctrl+Space in the main window's editor: a list of NASM's reserved words
// and the labels the document defines, filtered by the word at the caret.
#pragma once

#include <string>
#include <vector>

namespace torvane {

class TSrcEditor;

// The words offered for the editor's document: the labels it defines
// (blocks collapsed or not) and NASM's instructions, registers, directives
// and preprocessor words, each once, sorted ignoring case.
std::vector<std::string> NasmCompletionWords(const TSrcEditor& editor);

// Attaches the editor's own completion proposal, so its shortcut (Ctrl+Space)
// opens the list, and fills the list with NasmCompletionWords when it opens.
// Word ends are NASM's: '.', '%', '$', '@', '#', '?' and '~' belong to a word.
void SetUpNasmCompletion(TSrcEditor& editor);

}  // namespace torvane
