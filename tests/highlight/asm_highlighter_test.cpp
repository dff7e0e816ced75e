#include "highlight/asm_highlighter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "highlight/highlighter_list.h"
#include "platform/codepage.h"
#include "tests/highlight/token_scan.h"

namespace torvane {
namespace {

Tokens Scan(TSrcAsmHighlighter& h, std::string_view line) {
  return ScanLine(h, line);
}

constexpr int C = atkComment, I = atkIdentifier, K = atkKeyword, N = atkNumber, W = atkWhitespace,
              S = atkString, Y = atkSymbol;

struct Case {
  std::string line;
  Tokens tokens;
};

TEST(AsmHighlighterTest, TokensOfExampleLines) {
  const std::vector<Case> cases = {
      {"mov eax, [ebx+4] ; load",
       {{K, "mov"},
        {W, " "},
        {I, "eax"},
        {I, ","},
        {W, " "},
        {I, "["},
        {I, "ebx"},
        {Y, "+"},
        {N, "4"},
        {I, "]"},
        {W, " "},
        {C, "; load"}}},
      {"0x1F", {{N, "0x1F"}}},
      {"1Fh", {{N, "1Fh"}}},
      {"3.14", {{N, "3.14"}}},
      {"1_000", {{N, "1_000"}}},
      {"0b101", {{N, "0b101"}}},
      {"10q", {{N, "10"}, {I, "q"}}},
      {"<>", {{Y, "<>"}}},
      {"<=", {{Y, "<="}}},
      {"=>", {{Y, "="}, {Y, ">"}}},
      {">=<", {{Y, ">="}, {Y, "<"}}},
      {"\"\"\"abc\"", {{S, "\"\"\"abc\""}}},
      {"'it''s'", {{S, "'it'"}, {S, "'s'"}}},
      {"\"abc", {{S, "\"abc"}}},
      {"''", {{S, "''"}}},
      {"'''", {{S, "'''"}}},
      {"db \"a;b\", 0", {{I, "db"}, {W, " "}, {S, "\"a;b\""}, {I, ","}, {W, " "}, {N, "0"}}},
      {"// note", {{C, "// note"}}},
      {"/ 2", {{Y, "/"}, {W, " "}, {N, "2"}}},
      {"# x", {{C, "# x"}}},
      {"\t \x01\x1f  x", {{W, "\t \x01\x1f  "}, {I, "x"}}},
      {"a\r\nb\rc\nd", {{I, "a"}, {W, "\r\n"}, {I, "b"}, {W, "\r"}, {I, "c"}, {W, "\n"}, {I, "d"}}},
      {"; c\rx", {{C, "; c"}, {W, "\r"}, {I, "x"}}},
      {"MOV Mov movzx movx _start",
       {{K, "MOV"},
        {W, " "},
        {K, "Mov"},
        {W, " "},
        {K, "movzx"},
        {W, " "},
        {I, "movx"},
        {W, " "},
        {I, "_start"}}},
      {"!$%?@\\`|~",
       {{I, "!"}, {I, "$"}, {I, "%"}, {I, "?"}, {I, "@"}, {I, "\\"}, {I, "`"}, {I, "|"}, {I, "~"}}},
      {"&()*+-.:=^{}",
       {{Y, "&"},
        {Y, "("},
        {Y, ")"},
        {Y, "*"},
        {Y, "+"},
        {Y, "-"},
        {Y, "."},
        {Y, ":"},
        {Y, "="},
        {Y, "^"},
        {Y, "{"},
        {Y, "}"}}},
      {".next: loop .next",
       {{Y, "."}, {I, "next"}, {Y, ":"}, {W, " "}, {K, "loop"}, {W, " "}, {Y, "."}, {I, "next"}}},
      {"int3 fld1 crc32 x1",
       {{K, "int3"}, {W, " "}, {K, "fld1"}, {W, " "}, {K, "crc32"}, {W, " "}, {I, "x1"}}},
      {"", {}},
      {std::string("nop\0mov", 7), {{K, "nop"}}},
      {std::string("\"ab\0cd\"", 7), {{S, "\"ab"}}},
  };
  TSrcAsmHighlighter h;
  for (const Case& c : cases) {
    EXPECT_EQ(Scan(h, c.line), c.tokens) << "line: " << c.line;
  }
}

TEST(AsmHighlighterTest, MultiByteCharactersFormOneToken) {
  TSrcAsmHighlighter h;
  {
    ScopedCodePage cp("UTF-8");
    // 中 (3 bytes), é (2 bytes), a lone continuation byte, then a comment
    // holding Chinese text.
    EXPECT_EQ(Scan(h, "x\xE4\xB8\xAD\xC3\xA9\x80 ;\xE4\xB8\xAD"), (Tokens{{I, "x"},
                                                                          {I, "\xE4\xB8\xAD"},
                                                                          {I, "\xC3\xA9"},
                                                                          {I, "\x80"},
                                                                          {W, " "},
                                                                          {C, ";\xE4\xB8\xAD"}}));
  }
  {
    ScopedCodePage cp("GBK");
    // 中 in GBK, then a lead byte at the end of the line.
    EXPECT_EQ(Scan(h, "\xD6\xD0mov\xD6"), (Tokens{{I, "\xD6\xD0"}, {K, "mov"}, {I, "\xD6"}}));
  }
  {
    ScopedCodePage cp("ISO-8859-1");
    // Latin-1 letters are not part of identifiers.
    EXPECT_EQ(Scan(h, "caf\xE9s"), (Tokens{{I, "caf"}, {I, "\xE9"}, {I, "s"}}));
  }
}

TEST(AsmHighlighterTest, ArbitraryBytesScanToTheEnd) {
  // Lines of random bytes, weighted towards the characters rules look at
  // next: quotes, slashes, CR, LF, NUL and lead bytes.
  std::mt19937 random(4);
  const std::string special("\"'/;#<>\r\n\0\x81\xE4\xC3 0a_", 17);
  TSrcAsmHighlighter h;
  for (const char* page : {"UTF-8", "GBK", "CP932"}) {
    ScopedCodePage cp(page);
    for (int n = 0; n < 3000; ++n) {
      std::string line(random() % 24, ' ');
      for (char& ch : line) {
        ch = random() % 2 ? special[random() % special.size()] : static_cast<char>(random());
      }
      Scan(h, line);
    }
  }
}

TEST(AsmHighlighterTest, AttributesNamesStylesAndRoles) {
  TSrcAsmHighlighter h;
  ASSERT_EQ(h.AttributeCount(), 7);
  const std::vector<std::string> names = {"Comment", "Identifier", "Number", "Reserved Word",
                                          "Space",   "String",     "Symbol"};
  for (int i = 0; i < 7; ++i) {
    const TSrcHighlighterAttributes* a = h.AttributeAt(i);
    EXPECT_EQ(a->Name(), names[static_cast<std::size_t>(i)]);
    EXPECT_EQ(a->Background(), clNone);
    EXPECT_EQ(a->Foreground(), clNone);
    EXPECT_FALSE(a->IsStyleStored());
  }
  EXPECT_EQ(h.AttributeAt(-1), nullptr);
  EXPECT_EQ(h.AttributeAt(7), nullptr);
  EXPECT_EQ(h.CommentAttri()->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(h.KeyAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(h.NumberAttri()->Style(), TFontStyles{});
  EXPECT_EQ(h.KeyAttri()->StyleDefault(), TFontStyles{fsBold});

  const std::vector<TSrcHighlighterAttributes*> roles = {h.CommentAttri(), h.IdentifierAttri(),
                                                         h.KeyAttri(),     h.StringAttri(),
                                                         h.SpaceAttri(),   h.SymbolAttri()};
  for (int role = 0; role < 6; ++role) {
    EXPECT_EQ(h.DefaultAttributeFor(role), roles[static_cast<std::size_t>(role)]);
  }
  EXPECT_EQ(h.DefaultAttributeFor(6), nullptr);
  EXPECT_EQ(h.DefaultAttributeFor(-1), nullptr);

  // Each kind reports its attribute.
  h.StartLine("mov x, 1 'a' ;c", 3);
  EXPECT_EQ(h.LineIndex(), 3);
  std::vector<TSrcHighlighterAttributes*> seen;
  for (; !h.AtLineEnd(); h.AdvanceToken()) {
    seen.push_back(h.TokenAttributes());
  }
  EXPECT_EQ(seen, (std::vector<TSrcHighlighterAttributes*>{
                      h.KeyAttri(), h.SpaceAttri(), h.IdentifierAttri(), h.IdentifierAttri(),
                      h.SpaceAttri(), h.NumberAttri(), h.SpaceAttri(), h.StringAttri(),
                      h.SpaceAttri(), h.CommentAttri()}));
}

TEST(AsmHighlighterTest, ClassFilterAndFileNames) {
  TSrcAsmHighlighter h;
  EXPECT_EQ(h.LanguageTitle(), "x86 Assembly");
  EXPECT_EQ(TSrcCustomHighlighter::ClassLanguageTitle(), "<Unknown>");
  EXPECT_EQ(h.SupportedFeatures(), hcRegistry);
  EXPECT_EQ(h.DefaultFilter(), "x86 Assembly Files (*.asm)|*.asm");
  EXPECT_FALSE(h.IsFilterStored());
  EXPECT_TRUE(h.MatchesFileName("prog.asm"));
  EXPECT_TRUE(h.MatchesFileName("/home/u/A.ASM"));
  EXPECT_FALSE(h.MatchesFileName("prog.as"));
  EXPECT_FALSE(h.MatchesFileName("prog.asmx"));
  EXPECT_FALSE(h.MatchesFileName("asm"));
  EXPECT_FALSE(h.MatchesFileName("dir.asm/prog"));
  EXPECT_EQ(h.FoldRegions().Count(), 0);

  h.SetDefaultFilter(" Sources|*.S;*.inc ");
  EXPECT_TRUE(h.IsFilterStored());
  EXPECT_TRUE(h.MatchesFileName("x.s"));
  EXPECT_TRUE(h.MatchesFileName("x.INC"));
  EXPECT_FALSE(h.MatchesFileName("x.asm"));
  h.SetDefaultFilter("*.asm");
  EXPECT_TRUE(h.MatchesFileName("x.asm"));
  h.SetDefaultFilter("");
  EXPECT_FALSE(h.MatchesFileName("x.asm"));

  const TSrcCharSet ident = h.IdentifierCharacters();
  EXPECT_TRUE(ident['_'] && ident['0'] && ident['z'] && ident[192] && ident[255]);
  EXPECT_FALSE(ident['.'] || ident[215] || ident[247] || ident[191] || ident[' ']);

  TSrcHighlighterList& list = HighlighterList();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(0), &TSrcAsmHighlighter::StaticClass());
  list.RegisterHighlighterClass(TSrcAsmHighlighter::StaticClass());
  EXPECT_EQ(list.Count(), 2);
  std::unique_ptr<TSrcCustomHighlighter> made = list.Item(0)->Create();
  EXPECT_EQ(made->LanguageTitle(), "x86 Assembly");
}

// Random lines of every token kind (long comments, strings and words across
// the copied window's steps, multi-byte characters, NULs, line breaks) in
// UTF-8 and GBK: a scan begun at any token start of a full scan, by
// StartLineAt, finds the same tokens from there on, and one begun at 0 all
// of them.
TEST(AsmHighlighterTest, ScansResumedAtAnyTokenFindTheSameTokens) {
  struct Token {
    int start, length, kind;
    bool operator==(const Token&) const = default;
  };
  const auto scan = [](TSrcAsmHighlighter& h) {
    std::vector<Token> tokens;
    for (; !h.AtLineEnd(); h.AdvanceToken()) {
      tokens.push_back({h.TokenStart(), h.TokenLength(), h.TokenKind()});
    }
    return tokens;
  };
  const std::vector<std::string> pieces = {"mov",
                                           "eax",
                                           " ",
                                           "\t",
                                           ", ",
                                           "0x1F",
                                           "10h",
                                           "'ab'",
                                           "\"s\"",
                                           "'''x'''",
                                           "'",
                                           "<=",
                                           "<>",
                                           ">",
                                           "/",
                                           "//",
                                           "; c",
                                           "# c",
                                           "+",
                                           "\r\n",
                                           "\r",
                                           "\n",
                                           "\xC3\xA9",
                                           "\xE4\xB8\xAD",
                                           "\xD6\xD0",
                                           "\x80",
                                           "_lbl9",
                                           "fld1",
                                           std::string(1, '\0'),
                                           "label:",
                                           "[ebx+4]"};
  std::mt19937 rng(1802);
  TSrcAsmHighlighter h;
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    for (int round = 0; round < 60; ++round) {
      std::string line;
      // Some lines pass several window steps, some with one long token.
      const std::size_t size = round % 6 == 0 ? 150000 + rng() % 50000 : rng() % 400;
      const bool long_token = round % 12 == 0;
      bool long_done = false;
      while (line.size() < size) {
        if (long_token && !long_done && line.size() > 70000) {
          line += rng() % 2 == 0 ? std::string(70000, 'w') : "'" + std::string(70000, 'q') + "'";
          long_done = true;
        }
        std::string piece = pieces[rng() % pieces.size()];
        if (piece[0] == '\0' && rng() % 8 != 0) {
          piece = " ";  // a NUL ends the scan: most lines go on
        }
        line += piece;
      }
      h.StartLine(line, 0);
      const std::vector<Token> all = scan(h);
      h.StartLineAt(line, 0, 0);
      ASSERT_EQ(scan(h), all) << page << " round " << round;
      for (int k = 0; k < 12 && !all.empty(); ++k) {
        const std::size_t from = rng() % all.size();
        h.StartLineAt(line, 0, all[from].start);
        const std::vector<Token> rest = scan(h);
        ASSERT_TRUE(rest.size() == all.size() - from &&
                    std::equal(rest.begin(), rest.end(), all.begin() + static_cast<long>(from)))
            << page << " round " << round << " from token " << from;
      }
    }
  }
}

}  // namespace
}  // namespace torvane
