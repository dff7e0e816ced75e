// A corpus of NASM programs (tests/highlight/data): each assembles cleanly
// with the installed NASM, and the highlighter covers every byte of every
// line with contiguous tokens.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/string_list.h"
#include "highlight/nasm_highlighter.h"
#include "tests/highlight/nasm_check.h"
#include "tests/highlight/token_scan.h"

namespace torvane {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(NasmCorpusTest, EveryProgramAssemblesAndIsCoveredByTokens) {
  std::array<int, ntkLabel + 1> kinds{};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TORVANE_HIGHLIGHT_DATA)) {
    if (entry.path().extension() != ".asm") {
      continue;
    }
    ++files;
    const std::string name = entry.path().filename().string();
    const std::string text = ReadFile(entry.path());

    // Each file names its output format in a "Build: nasm -f <format>" line.
    const std::size_t build = text.find("nasm -f ");
    ASSERT_NE(build, std::string::npos) << name;
    const std::size_t format_start = build + 8;
    const std::string format =
        text.substr(format_start, text.find_first_of(" \n", format_start) - format_start);
    const TNasmRun run = RunNasm(text, format);
    EXPECT_EQ(run.exit_code, 0) << name << ":\n" << run.log;
    EXPECT_EQ(run.log, "") << name;

    TSrcEditStringList lines;
    lines.SetAllText(text);
    TSrcNasmHighlighter h;
    for (int i = 0; i < lines.LineCount(); ++i) {
      const std::string line(lines.GetLine(i));
      std::string joined;
      for (const auto& [kind, token] : ScanLine(h, line, i)) {
        joined += token;
        ++kinds[static_cast<std::size_t>(kind)];
      }
      EXPECT_EQ(joined, line) << name << ":" << i + 1;
    }
  }
  EXPECT_GE(files, 3);
  // Between them the programs show every kind of token.
  for (int kind = 0; kind <= ntkLabel; ++kind) {
    EXPECT_EQ(kinds[static_cast<std::size_t>(kind)] > 0, kind != ntkLineEnd) << kind;
  }
}

}  // namespace
}  // namespace torvane
