// The formatted-text language: commands, literal backslashes, malformed
// commands, exclusions, stripping, and a seeded round trip over every kind.
#include "completion/format_chunks.h"

#include <gtest/gtest.h>

#include <random>

namespace torvane {
namespace {

std::string Dump(std::string_view text, TFormatChunkKinds excluded = 0, bool styles = true) {
  std::vector<TFormatChunk> chunks;
  SplitFormatChunks(text, chunks, excluded, styles);
  return DumpFormatChunks(chunks);
}

bool WellFormed(std::string_view text) {
  std::vector<TFormatChunk> chunks;
  return SplitFormatChunks(text, chunks);
}

TEST(FormatChunksTest, BackslashesStylesAndUnknownCommands) {
  // Two backslashes in a row are one backslash of the text.
  EXPECT_EQ(Dump("a\\\\b"), "text \"a\\b\"");
  EXPECT_EQ(StripFormatCommands("\\\\"), "\\");
  // A style command with +B followed by x: a bold x.
  EXPECT_EQ(Dump("\\style{+B}x"), "style +B | text \"x\"");
  // An unknown name shows nothing and makes the text malformed.
  EXPECT_EQ(Dump("\\foo{1}"), "");
  EXPECT_FALSE(WellFormed("\\foo{1}"));
  EXPECT_TRUE(WellFormed("\\style{+B}x"));
}

TEST(FormatChunksTest, EveryCommandAndItsValues) {
  EXPECT_EQ(Dump("\\COLOR{clRed}r\\color{$00FF00}g\\Color{255}b"),
            "color 255 | text \"r\" | color 65280 | text \"g\" | color 255 | text \"b\"");
  EXPECT_EQ(Dump("\\color{clInfoBk}"), "color 4278190104");
  EXPECT_EQ(Dump("a\\column{}b"), "text \"a\" | column | text \"b\"");
  EXPECT_EQ(Dump("\\hspace{12}\\image{3}"), "hspace 12 | image 3");
  EXPECT_EQ(Dump("\\style{-i}\\style{~S}\\style{+u}"), "style -I | style ~S | style +U");
  // Values that do not convert drop the command.
  for (const char* bad : {"\\color{nocolour}", "\\column{x}", "\\hspace{1.5}", "\\image{}",
                          "\\style{B+}", "\\style{+X}", "\\style{+BI}", "\\style{}"}) {
    EXPECT_EQ(Dump(bad), "") << bad;
    EXPECT_FALSE(WellFormed(bad)) << bad;
  }
}

TEST(FormatChunksTest, ABackslashThatBeginsNoCommandIsText) {
  EXPECT_EQ(Dump("ab\\"), "text \"ab\\\"");                // lone backslash at the end
  EXPECT_EQ(Dump("a\\bold c"), "text \"a\\bold c\"");      // no braces
  EXPECT_EQ(Dump("a\\style{+B"), "text \"a\\style{+B\"");  // no closing brace
  EXPECT_EQ(Dump("a\\{x}"), "text \"a\\{x}\"");            // no name
  EXPECT_EQ(StripFormatCommands("db 'C:\\temp\\file', 0"), "db 'C:\\temp\\file', 0");
  EXPECT_EQ(StripFormatCommands("mov eax, 1 \\"), "mov eax, 1 \\");  // line continuation
  EXPECT_EQ(Dump("\\1\\style{+B}x"), "text \"\\1\" | style +B | text \"x\"");
  EXPECT_TRUE(WellFormed("ab\\"));
  EXPECT_TRUE(WellFormed("a\\style{+B"));
}

// Random text in which no backslash begins a command or a doubled backslash
// comes through unchanged, however backslashes, letters and braces mix.
TEST(FormatChunksTest, RandomTextWithoutCommandsIsKeptExactly) {
  std::mt19937 random(20261208);
  const char* const bytes = "\\\\ab{} 9'\xC3\xA9";
  int checked = 0;
  for (int sequence = 0; sequence < 5000; ++sequence) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) {
      text += bytes[random() % 11];
    }
    bool plain = text.find("\\\\") == std::string::npos;
    for (std::size_t i = 0; plain && i < text.size(); ++i) {
      if (text[i] != '\\') {
        continue;
      }
      std::size_t j = i + 1;
      while (j < text.size() && (text[j] == 'a' || text[j] == 'b')) {
        ++j;
      }
      plain = !(j > i + 1 && j < text.size() && text[j] == '{' &&
                text.find('}', j) != std::string::npos);
    }
    if (!plain) {
      continue;
    }
    ++checked;
    ASSERT_EQ(StripFormatCommands(text), text);
    ASSERT_TRUE(WellFormed(text)) << text;
  }
  EXPECT_GT(checked, 2000);
}

TEST(FormatChunksTest, ExclusionsAndTheStyleFlag) {
  const std::string text = "\\color{clRed}\\style{+B}a\\column{}b\\image{1}";
  EXPECT_EQ(Dump(text, 0, false), "color 255 | text \"a\" | column | text \"b\" | image 1");
  EXPECT_EQ(Dump(text, FormatChunkKind(fckColor) | FormatChunkKind(fckImage)),
            "style +B | text \"a\" | column | text \"b\"");
  EXPECT_EQ(StripFormatCommands(text), "ab");
  // Bytes above 127 pass through untouched.
  EXPECT_EQ(StripFormatCommands("\\style{+B}\xE4\xB8\xAD"), "\xE4\xB8\xAD");
}

// Random chunk lists written out in the language read back as the same list.
TEST(FormatChunksTest, RandomChunkListsRoundTrip) {
  std::mt19937 random(20261207);
  const char* const letters = "BIUS";
  const char* const signs = "+-~";
  const char* const text_bytes = "ab \\{}x\xC3\xA9";
  for (int sequence = 0; sequence < 2000; ++sequence) {
    std::vector<TFormatChunk> expected;
    std::string source;
    const int count = static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) {
      TFormatChunk chunk;
      chunk.Kind = static_cast<TFormatChunkKind>(random() % 6);
      switch (chunk.Kind) {
        case fckText: {
          const int length = 1 + static_cast<int>(random() % 5);
          for (int k = 0; k < length; ++k) {
            const char c = text_bytes[random() % 9];
            chunk.Text += c;
            source += c == '\\' ? std::string("\\\\") : std::string(1, c);
          }
          // Adjacent texts merge into one chunk.
          if (!expected.empty() && expected.back().Kind == fckText) {
            expected.back().Text += chunk.Text;
            continue;
          }
          break;
        }
        case fckColor:
          chunk.Color = random() % 0x1000000;
          source += (random() % 2 == 0 ? "\\color{" + std::to_string(chunk.Color)
                                       : "\\COLOR{" + std::to_string(chunk.Color)) +
                    "}";
          break;
        case fckStyle:
          chunk.Style = static_cast<TFontStyle>(random() % 4);
          chunk.Action = static_cast<TFormatStyleAction>(random() % 3);
          source += std::string("\\style{") + signs[chunk.Action] +
                    static_cast<char>(letters[chunk.Style] + (random() % 2) * 32) + "}";
          break;
        case fckColumn:
          source += "\\column{}";
          break;
        case fckHSpace:
        case fckImage:
          chunk.Value = static_cast<int>(random() % 100);
          source += (chunk.Kind == fckHSpace ? "\\hspace{" : "\\image{") +
                    std::to_string(chunk.Value) + "}";
          break;
      }
      expected.push_back(chunk);
    }
    std::vector<TFormatChunk> actual;
    ASSERT_TRUE(SplitFormatChunks(source, actual)) << source;
    ASSERT_EQ(DumpFormatChunks(actual), DumpFormatChunks(expected)) << source;
    ASSERT_EQ(actual, expected) << source;
  }
}

}  // namespace
}  // namespace torvane
