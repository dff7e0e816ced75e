// The NASM highlighter's word lists held against the installed assembler: a
// word NASM does not know is reported as an orphan label when it stands alone
// on a line; a reserved word that cannot start a statement (a register, a
// size) as "label or instruction expected".
#include "highlight/nasm_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/highlight/nasm_check.h"

namespace torvane {
namespace {

// One word a line after a header line; returns NASM's diagnostics by word.
std::map<std::string, std::vector<std::string>> DiagnosticsOfWords(
    const std::vector<std::string>& words, const std::string& header, const std::string& format) {
  std::string source = header + "\n";
  for (const std::string& word : words) {
    source += word + "\n";
  }
  const TNasmRun run = RunNasm(source, format);
  EXPECT_TRUE(run.started) << "nasm is not installed (scripts/deps.sh installs it)";
  std::map<std::string, std::vector<std::string>> by_word;
  for (const auto& [line, messages] : run.ByLine()) {
    if (line >= 2 && line - 2 < static_cast<int>(words.size())) {
      by_word[words[static_cast<std::size_t>(line - 2)]] = messages;
    }
  }
  return by_word;
}

bool AnyOf(const std::vector<std::string>& messages, bool (*test)(const std::string&)) {
  for (const std::string& message : messages) {
    if (test(message)) {
      return true;
    }
  }
  return false;
}

TEST(NasmWordsTest, NasmTakesEveryInstructionWordForAnInstruction) {
  std::vector<std::string> words = NasmWords(TNasmWordKind::nwkInstruction);
  // A made-up word proves that a rejected word is noticed.
  words.push_back("notaninstruction");
  const auto diagnostics = DiagnosticsOfWords(words, "bits 64", "bin");
  std::vector<std::string> rejected;
  for (const auto& [word, messages] : diagnostics) {
    if (AnyOf(messages, IsOrphanLabel) || AnyOf(messages, IsNoInstruction)) {
      rejected.push_back(word);
    }
  }
  EXPECT_EQ(rejected, std::vector<std::string>{"notaninstruction"});
}

TEST(NasmWordsTest, RegistersAreReservedWords) {
  // Alone on a line a register cannot start a statement; a segment register
  // is taken for a segment prefix.
  std::vector<std::string> words = NasmWords(TNasmWordKind::nwkRegister);
  words.push_back("notaregister");
  const auto diagnostics = DiagnosticsOfWords(words, "bits 64", "bin");
  for (const std::string& word : words) {
    const auto found = diagnostics.find(word);
    const bool segment = word.size() == 2 && word[1] == 's';
    const bool reserved = found == diagnostics.end() ? segment
                                                     : AnyOf(found->second, IsNoInstruction) &&
                                                           !AnyOf(found->second, IsOrphanLabel);
    EXPECT_EQ(reserved, word != "notaregister") << word;
  }
}

TEST(NasmWordsTest, NasmKnowsEveryDirective) {
  // Alone on a line, a directive draws some other complaint than the orphan
  // label (or none); an unknown word draws only that. Three directives exist
  // only for one output format or in brackets.
  std::vector<std::string> words;
  for (const std::string& word : NasmWords(TNasmWordKind::nwkDirective)) {
    if (word != "org" && word != "safeseh" && word != "warning") {
      words.push_back(word);
    }
  }
  words.push_back("notadirective");
  const auto diagnostics = DiagnosticsOfWords(words, "bits 32", "elf32");
  const auto known = [&](const std::string& word) {
    const auto found = diagnostics.find(word);
    if (found == diagnostics.end()) {
      return true;
    }
    for (const std::string& message : found->second) {
      if (!IsOrphanLabel(message)) {
        return true;
      }
    }
    return false;
  };
  for (const std::string& word : words) {
    EXPECT_EQ(known(word), word != "notadirective") << word;
  }

  const TNasmRun org = RunNasm("org 0x7C00\nnop\n", "bin");
  EXPECT_EQ(org.exit_code, 0) << org.log;
  const TNasmRun safeseh = RunNasm("safeseh handler\nhandler: ret\n", "win32");
  EXPECT_EQ(safeseh.exit_code, 0) << safeseh.log;
  const TNasmRun warning = RunNasm("[warning +all]\nnop\n", "bin");
  EXPECT_EQ(warning.exit_code, 0) << warning.log;
}

TEST(NasmWordsTest, NasmKnowsEveryPreprocessorWord) {
  // An unknown %word passes the preprocessor and reaches the parser as
  // "label or instruction expected"; each word gets a file of its own, since
  // a %macro or %if would swallow the lines after it.
  std::vector<std::string> words = NasmWords(TNasmWordKind::nwkPreprocessor);
  words.push_back("%notadirective");
  for (const std::string& word : words) {
    const TNasmRun run = RunNasm(word + "\n", "bin");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.log.find("label or instruction expected") == std::string::npos,
              word != "%notadirective")
        << word << ": " << run.log;
  }
}

}  // namespace
}  // namespace torvane
