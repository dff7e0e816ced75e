// The words NASM reserves, by kind: instruction mnemonics (prefixes included),
// registers, directives (with data and size words and operators such as wrt),
// and preprocessor directives. The NASM highlighter colours by these lists
// and completion offers them.
#pragma once

#include <string>
#include <vector>

namespace torvane {

enum class TNasmWordKind { nwkInstruction, nwkRegister, nwkDirective, nwkPreprocessor };

// Comma-separated, lower case, each word once across all lists. Preprocessor
// words carry their '%'.
extern const char* const kNasmInstructions;
extern const char* const kNasmRegisters;
// The directives that define data, reserve space or name a value; a word in
// front of one of them is a label even without a colon ("msg db 0").
extern const char* const kNasmDataDirectives;
// Every other directive, size word and operator.
extern const char* const kNasmDirectives;
extern const char* const kNasmPreprocessorWords;

// The words of one kind in list order (directives: the data directives
// first), split once and kept for the process.
const std::vector<std::string>& NasmWords(TNasmWordKind kind);

}  // namespace torvane
