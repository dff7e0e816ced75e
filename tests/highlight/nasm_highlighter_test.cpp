#include "highlight/nasm_highlighter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/string_list.h"
#include "highlight/highlighter_list.h"
#include "highlight/nasm_fold_regions.h"
#include "highlight/nasm_words.h"
#include "platform/registry_store.h"
#include "tests/highlight/token_scan.h"

namespace torvane {
namespace {

constexpr int C = ntkComment, I = ntkIdentifier, K = ntkInstruction, N = ntkNumber,
              W = ntkWhitespace, S = ntkString, Y = ntkSymbol, R = ntkRegister, D = ntkDirective,
              P = ntkPreprocessor, L = ntkLabel;

struct Case {
  std::string line;
  Tokens tokens;
};

void ExpectCases(const std::vector<Case>& cases) {
  TSrcNasmHighlighter h;
  for (const Case& c : cases) {
    EXPECT_EQ(ScanLine(h, c.line), c.tokens) << c.line;
  }
}

TEST(NasmHighlighterTest, CommentsStartAtSemicolonOnly) {
  ExpectCases({
      {"mov eax, [ebx+4] ; load",
       {{K, "mov"},
        {W, " "},
        {R, "eax"},
        {Y, ","},
        {W, " "},
        {Y, "["},
        {R, "ebx"},
        {Y, "+"},
        {N, "4"},
        {Y, "]"},
        {W, " "},
        {C, "; load"}}},
      {";", {{C, ";"}}},
      {"; 注释 'not a string", {{C, "; 注释 'not a string"}}},
      {"x // 2", {{I, "x"}, {W, " "}, {Y, "/"}, {Y, "/"}, {W, " "}, {N, "2"}}},
      {"#x", {{Y, "#"}, {I, "x"}}},
      // Long comments are scanned eight bytes at a time up to a line break.
      {"; 0123456789abcdef\rnop", {{C, "; 0123456789abcdef"}, {W, "\r"}, {K, "nop"}}},
      {"nop ;0123456\n", {{K, "nop"}, {W, " "}, {C, ";0123456"}, {W, "\n"}}},
  });
}

TEST(NasmHighlighterTest, ThreeKindsOfStrings) {
  ExpectCases({
      {"db 'it''s'", {{D, "db"}, {W, " "}, {S, "'it'"}, {S, "'s'"}}},
      {"db \"a;b\",0", {{D, "db"}, {W, " "}, {S, "\"a;b\""}, {Y, ","}, {N, "0"}}},
      {"db `a\\`b`, 1", {{D, "db"}, {W, " "}, {S, "`a\\`b`"}, {Y, ","}, {W, " "}, {N, "1"}}},
      {"db `\\\\`", {{D, "db"}, {W, " "}, {S, "`\\\\`"}}},
      {"db 'x\\' ; y", {{D, "db"}, {W, " "}, {S, "'x\\'"}, {W, " "}, {C, "; y"}}},
      // Unclosed strings run to the end of the line, a backslash at the end
      // included.
      {"db \"abc", {{D, "db"}, {W, " "}, {S, "\"abc"}}},
      {"db `ab\\", {{D, "db"}, {W, " "}, {S, "`ab\\"}}},
      {"'", {{S, "'"}}},
  });
}

TEST(NasmHighlighterTest, EveryNumberForm) {
  // Each is one number token, however it is written.
  for (const char* number :
       {"0",        "42",      "1_000",  "0x1F",   "0X1f",   "0h1F",   "1Fh",      "0FFFFh",
        "0x_ff_ff", "$0FF",    "$1f",    "0b1010", "0B1_0",  "1010b",  "0y1010",   "1010y",
        "0o17",     "0q17",    "17o",    "17q",    "0d99",   "0t99",   "99d",      "99t",
        "1.5",      "1.",      "1.5e-3", "1e+10",  "3.0E-1", "1.5e10", "0x1.8p+1", "0x1p-3",
        "0h1.8P+2", "$1.8p-1", "1e3",    "0.5"}) {
    TSrcNasmHighlighter h;
    EXPECT_EQ(ScanLine(h, number), (Tokens{{N, number}})) << number;
    const std::string in_line = std::string("dd ") + number + ",1";
    EXPECT_EQ(ScanLine(h, in_line), (Tokens{{D, "dd"}, {W, " "}, {N, number}, {Y, ","}, {N, "1"}}))
        << in_line;
  }
  ExpectCases({
      // A sign after a hexadecimal 'e' is a subtraction.
      {"0x1e-3", {{N, "0x1e"}, {Y, "-"}, {N, "3"}}},
      {"0Ae-3h", {{N, "0Ae"}, {Y, "-"}, {N, "3h"}}},
      {"1e-x", {{N, "1e"}, {Y, "-"}, {I, "x"}}},
      {"0x1p+", {{N, "0x1p"}, {Y, "+"}}},
      {"1.5e-3*2", {{N, "1.5e-3"}, {Y, "*"}, {N, "2"}}},
  });
}

TEST(NasmHighlighterTest, IdentifiersLocalLabelsAndDollar) {
  ExpectCases({
      {"jmp .loop", {{K, "jmp"}, {W, " "}, {I, ".loop"}}},
      {"jmp ..@x1", {{K, "jmp"}, {W, " "}, {I, "..@x1"}}},
      {"call foo.bar$#@~?", {{K, "call"}, {W, " "}, {I, "foo.bar$#@~?"}}},
      {"call mov.x", {{K, "call"}, {W, " "}, {I, "mov.x"}}},
      {"call $mov", {{K, "call"}, {W, " "}, {I, "$mov"}}},
      {"dw $-$$", {{D, "dw"}, {W, " "}, {I, "$"}, {Y, "-"}, {I, "$$"}}},
      {"times 510-($-$$) db 0",
       {{D, "times"},
        {W, " "},
        {N, "510"},
        {Y, "-"},
        {Y, "("},
        {I, "$"},
        {Y, "-"},
        {I, "$$"},
        {Y, ")"},
        {W, " "},
        {D, "db"},
        {W, " "},
        {N, "0"}}},
      {"resb ?", {{D, "resb"}, {W, " "}, {I, "?"}}},
      {"push @x", {{K, "push"}, {W, " "}, {I, "@x"}}},
      {"a . b", {{I, "a"}, {W, " "}, {Y, "."}, {W, " "}, {I, "b"}}},
      {"dd .5", {{D, "dd"}, {W, " "}, {I, ".5"}}},
      {"mov_x eax_", {{I, "mov_x"}, {W, " "}, {I, "eax_"}}},
      // Words around eight bytes long, which are found eight bytes at a time.
      {"vpermilpd vpermilpdx vpermilp vpermilpd.x VPBROADCASTMB2Q vpbroadcastmb2q$",
       {{K, "vpermilpd"},
        {W, " "},
        {I, "vpermilpdx"},
        {W, " "},
        {I, "vpermilp"},
        {W, " "},
        {I, "vpermilpd.x"},
        {W, " "},
        {K, "VPBROADCASTMB2Q"},
        {W, " "},
        {I, "vpbroadcastmb2q$"}}},
      {"cmpxchg8b:cmpxchg8", {{L, "cmpxchg8b"}, {Y, ":"}, {I, "cmpxchg8"}}},
      {"xmm31_ zmm0\x80", {{I, "xmm31_"}, {W, " "}, {R, "zmm0"}, {I, "\x80"}}},
      {"é", {{I, "é"}}},
  });
}

TEST(NasmHighlighterTest, ReservedWordsByKindIgnoringCase) {
  ExpectCases({
      {"VMOVDQA64 zmm31{k7}{z}, ZMM0",
       {{K, "VMOVDQA64"},
        {W, " "},
        {R, "zmm31"},
        {Y, "{"},
        {R, "k7"},
        {Y, "}"},
        {Y, "{"},
        {I, "z"},
        {Y, "}"},
        {Y, ","},
        {W, " "},
        {R, "ZMM0"}}},
      {"section .text", {{D, "section"}, {W, " "}, {I, ".text"}}},
      {"mov byte [es:di], r15b",
       {{K, "mov"},
        {W, " "},
        {D, "byte"},
        {W, " "},
        {Y, "["},
        {R, "es"},
        {Y, ":"},
        {R, "di"},
        {Y, "]"},
        {Y, ","},
        {W, " "},
        {R, "r15b"}}},
      {"lock cmpxchg16b [rdi]",
       {{K, "lock"}, {W, " "}, {K, "cmpxchg16b"}, {W, " "}, {Y, "["}, {R, "rdi"}, {Y, "]"}}},
      {"fadd to st1", {{K, "fadd"}, {W, " "}, {D, "to"}, {W, " "}, {R, "st1"}}},
      {"bndmk bnd3, [rax]",
       {{K, "bndmk"}, {W, " "}, {R, "bnd3"}, {Y, ","}, {W, " "}, {Y, "["}, {R, "rax"}, {Y, "]"}}},
  });
}

TEST(NasmHighlighterTest, ColonLabelsWhateverTheySpell) {
  ExpectCases({
      {"loop: loop loop", {{L, "loop"}, {Y, ":"}, {W, " "}, {K, "loop"}, {W, " "}, {K, "loop"}}},
      {"  .loop:", {{W, "  "}, {L, ".loop"}, {Y, ":"}}},
      {"eax :", {{L, "eax"}, {W, " "}, {Y, ":"}}},
      {"..@x:", {{L, "..@x"}, {Y, ":"}}},
      {"$db:", {{L, "$db"}, {Y, ":"}}},
      {"?x:", {{L, "?x"}, {Y, ":"}}},
      {"%%skip:", {{L, "%%skip"}, {Y, ":"}}},
      {"%$top: nop", {{L, "%$top"}, {Y, ":"}, {W, " "}, {K, "nop"}}},
      // Not at the start of the line, or no colon: no label.
      {"jmp loop:", {{K, "jmp"}, {W, " "}, {K, "loop"}, {Y, ":"}}},
      {"x y:", {{I, "x"}, {W, " "}, {I, "y"}, {Y, ":"}}},
      {"loop .x", {{K, "loop"}, {W, " "}, {I, ".x"}}},
      {"foo", {{I, "foo"}}},
      // A word before a data directive is a label even without a colon.
      {"msg db 'hi', 0",
       {{L, "msg"}, {W, " "}, {D, "db"}, {W, " "}, {S, "'hi'"}, {Y, ","}, {W, " "}, {N, "0"}}},
      {"len\tequ $ - msg",
       {{L, "len"},
        {W, "\t"},
        {D, "equ"},
        {W, " "},
        {I, "$"},
        {W, " "},
        {Y, "-"},
        {W, " "},
        {I, "msg"}}},
      {"buf resq 4", {{L, "buf"}, {W, " "}, {D, "resq"}, {W, " "}, {N, "4"}}},
      {".tbl times 4 dd 0",
       {{L, ".tbl"},
        {W, " "},
        {D, "times"},
        {W, " "},
        {N, "4"},
        {W, " "},
        {D, "dd"},
        {W, " "},
        {N, "0"}}},
      // ...but not a reserved word, and not before a longer name.
      {"ret db", {{K, "ret"}, {W, " "}, {D, "db"}}},
      {"x dbx", {{I, "x"}, {W, " "}, {I, "dbx"}}},
      {"x db.y", {{I, "x"}, {W, " "}, {I, "db.y"}}},
  });
}

TEST(NasmHighlighterTest, PreprocessorTokens) {
  ExpectCases({
      {"%macro push2 2", {{P, "%macro"}, {W, " "}, {I, "push2"}, {W, " "}, {N, "2"}}},
      {"%define X(a) a",
       {{P, "%define"}, {W, " "}, {I, "X"}, {Y, "("}, {I, "a"}, {Y, ")"}, {W, " "}, {I, "a"}}},
      {"%IFDEF DEBUG", {{P, "%IFDEF"}, {W, " "}, {I, "DEBUG"}}},
      {"push %1", {{K, "push"}, {W, " "}, {P, "%1"}}},
      {"jmp %%skip", {{K, "jmp"}, {W, " "}, {P, "%%skip"}}},
      {"mov eax, %$x", {{K, "mov"}, {W, " "}, {R, "eax"}, {Y, ","}, {W, " "}, {P, "%$x"}}},
      {"%$$y", {{P, "%$$y"}}},
      {"x%+y", {{I, "x"}, {P, "%+"}, {I, "y"}}},
      {"j%+1 .a", {{I, "j"}, {P, "%+1"}, {W, " "}, {I, ".a"}}},
      {"j%-1 .a", {{I, "j"}, {P, "%-1"}, {W, " "}, {I, ".a"}}},
      {"db %[x]", {{D, "db"}, {W, " "}, {P, "%["}, {I, "x"}, {Y, "]"}}},
      {"db %{1:3}", {{D, "db"}, {W, " "}, {P, "%{1:3}"}}},
      {"db %{1", {{D, "db"}, {W, " "}, {P, "%{"}, {N, "1"}}},
      {"%!HOME %? %?? %*?? %0 %00",
       {{P, "%!HOME"},
        {W, " "},
        {P, "%?"},
        {W, " "},
        {P, "%??"},
        {W, " "},
        {P, "%*??"},
        {W, " "},
        {P, "%0"},
        {W, " "},
        {P, "%00"}}},
      // Operators: modulo and signed modulo.
      {"a % b %% c",
       {{I, "a"}, {W, " "}, {Y, "%"}, {W, " "}, {I, "b"}, {W, " "}, {Y, "%%"}, {W, " "}, {I, "c"}}},
      {"%-x", {{Y, "%"}, {Y, "-"}, {I, "x"}}},
      {"%", {{Y, "%"}}},
      {"%$", {{P, "%$"}}},
  });
}

TEST(NasmHighlighterTest, WhitespaceLineBreaksAndNul) {
  ExpectCases({
      {"", {}},
      {" \t\x01", {{W, " \t\x01"}}},
      {"a\r\nb\nc\rd", {{I, "a"}, {W, "\r\n"}, {I, "b"}, {W, "\n"}, {I, "c"}, {W, "\r"}, {I, "d"}}},
      {std::string("nop\0mov", 7), {{K, "nop"}}},
      {"\x7f", {{Y, "\x7f"}}},
  });
  TSrcNasmHighlighter h;
  EXPECT_EQ(ScanLine(h, std::string_view()), Tokens{});  // a view without data
}

TEST(NasmHighlighterTest, EveryListedWordHasItsKind) {
  TSrcNasmHighlighter h;
  const std::pair<TNasmWordKind, int> kinds[] = {{TNasmWordKind::nwkInstruction, K},
                                                 {TNasmWordKind::nwkRegister, R},
                                                 {TNasmWordKind::nwkDirective, D},
                                                 {TNasmWordKind::nwkPreprocessor, P}};
  std::set<std::string> seen;
  for (const auto& [kind, token_kind] : kinds) {
    const std::vector<std::string>& words = NasmWords(kind);
    EXPECT_FALSE(words.empty());
    for (const std::string& word : words) {
      EXPECT_TRUE(seen.insert(word).second) << word << " is listed twice";
      std::string upper = word;
      std::transform(upper.begin(), upper.end(), upper.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      // Not first on the line, so no word can turn into a label.
      EXPECT_EQ(ScanLine(h, " " + word), (Tokens{{W, " "}, {token_kind, word}}));
      EXPECT_EQ(ScanLine(h, " " + upper), (Tokens{{W, " "}, {token_kind, upper}}));
    }
  }
  EXPECT_GT(NasmWords(TNasmWordKind::nwkInstruction).size(), 1500u);
  EXPECT_EQ(NasmWords(TNasmWordKind::nwkDirective).front(), "db");
  for (const char* word : {"cvtsi2sd", "cqo", "pause", "rdmsr", "lfence", "syscall", "popcnt",
                           "endbr64", "vfmadd231ps", "vpternlogq", "kmovw", "sha256rnds2",
                           "aesenclast", "bzhi", "fisttp", "movdqa", "mulps"}) {
    EXPECT_NE(std::find(NasmWords(TNasmWordKind::nwkInstruction).begin(),
                        NasmWords(TNasmWordKind::nwkInstruction).end(), word),
              NasmWords(TNasmWordKind::nwkInstruction).end())
        << word;
  }
}

TEST(NasmHighlighterTest, RandomLinesAreCoveredByContiguousTokens) {
  // Lines drawn from NASM's punctuation, letters, digits, quotes and a few
  // multi-byte characters; ScanLine checks contiguity, coverage up to the
  // first NUL and that every token has text and the attribute of its kind.
  static const std::vector<std::string> pieces = {" ",    "\t",      ";",  "'",
                                                  "\"",   "`",       "\\", "%",
                                                  "%%",   "$",       "$$", ".",
                                                  "..",   "@",       "?",  "#",
                                                  "~",    ":",       ",",  "[",
                                                  "]",    "{",       "}",  "+",
                                                  "-",    "e",       "p",  "x",
                                                  "h",    "0",       "1",  "9",
                                                  "_",    "mov",     "db", "eax",
                                                  "loop", "%macro",  "%1", "0x1",
                                                  "注",   "\r",      "\n", std::string(1, '\0'),
                                                  "\xff", "\xe6\xb3"};
  std::mt19937 random(20);
  TSrcNasmHighlighter h;
  for (int line = 0; line < 20000; ++line) {
    std::string text;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      text += pieces[random() % pieces.size()];
    }
    ScanLine(h, text);
    if (::testing::Test::HasFailure()) {
      FAIL() << "line " << line << ": " << text;
    }
  }
}

TEST(NasmHighlighterTest, DefinedLabelsForCompletion) {
  TSrcEditStringList lines;
  lines.SetAllText(
      "start:\n  .loop: dec ecx\nmsg db 'x'\n  jmp start\nstart:\nloop: nop\n%%x:\n"
      "mov eax, ebx\n\t\n;a:\n");
  TSrcNasmHighlighter h;
  EXPECT_EQ(h.DefinedLabels(lines),
            (std::vector<std::string>{"start", ".loop", "msg", "loop", "%%x"}));
  EXPECT_TRUE(h.DefinedLabels(TSrcEditStringList()).empty());
}

TEST(NasmHighlighterTest, AttributesFilterAndClass) {
  TSrcNasmHighlighter h;
  std::vector<std::string> names;
  for (int i = 0; i < h.AttributeCount(); ++i) {
    names.push_back(h.AttributeAt(i)->Name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Comment", "Directive", "Identifier", "Instruction",
                                             "Label", "Number", "Preprocessor", "Register", "Space",
                                             "String", "Symbol"}));
  // Readable defaults: the word classes carry colours of their own; a
  // changed attribute is stored, a default one is not.
  EXPECT_EQ(h.CommentAttri()->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(h.InstructionAttri()->Style(), TFontStyles{fsBold});
  const std::set<TColor> colours = {
      h.CommentAttri()->Foreground(),     h.StringAttri()->Foreground(),
      h.NumberAttri()->Foreground(),      h.InstructionAttri()->Foreground(),
      h.RegisterAttri()->Foreground(),    h.DirectiveAttri()->Foreground(),
      h.PreprocessorAttri()->Foreground()};
  EXPECT_EQ(colours.size(), 7u);
  EXPECT_EQ(colours.count(clNone), 0u);
  EXPECT_FALSE(h.CommentAttri()->IsForegroundStored());
  h.CommentAttri()->SetForeground(clGray);
  EXPECT_TRUE(h.CommentAttri()->IsForegroundStored());

  EXPECT_EQ(h.DefaultAttributeFor(drComment), h.CommentAttri());
  EXPECT_EQ(h.DefaultAttributeFor(drIdentifier), h.IdentifierAttri());
  EXPECT_EQ(h.DefaultAttributeFor(drKeyword), h.InstructionAttri());
  EXPECT_EQ(h.DefaultAttributeFor(drString), h.StringAttri());
  EXPECT_EQ(h.DefaultAttributeFor(drWhitespace), h.SpaceAttri());
  EXPECT_EQ(h.DefaultAttributeFor(drSymbol), h.SymbolAttri());
  EXPECT_EQ(h.DefaultAttributeFor(6), nullptr);

  for (const char* name : {"boot.asm", "x.NASM", "macros.inc", "start.s", "a.S"}) {
    EXPECT_TRUE(h.MatchesFileName(name)) << name;
  }
  for (const char* name : {"x.as", "x.c", "asm", "x.inc.bak"}) {
    EXPECT_FALSE(h.MatchesFileName(name)) << name;
  }
  EXPECT_FALSE(h.IsFilterStored());
  h.SetDefaultFilter("x|*.x");
  EXPECT_TRUE(h.IsFilterStored());

  const TSrcCharSet ident = h.IdentifierCharacters();
  for (unsigned char c : std::string("azAZ09_.$#@~?")) {
    EXPECT_TRUE(ident[c]) << c;
  }
  for (unsigned char c : std::string(" ,:;%[]+-'\"`")) {
    EXPECT_FALSE(ident[c]) << c;
  }

  const TSrcHighlighterClass* found = HighlighterList().FindByLanguageTitle("NASM");
  ASSERT_EQ(found, &TSrcNasmHighlighter::StaticClass());
  EXPECT_TRUE(found->InheritsFrom(TSrcCustomHighlighter::StaticClass()));
  EXPECT_EQ(found->Create()->LanguageTitle(), "NASM");
  EXPECT_EQ(HighlighterList().FindByLanguageTitle("nasm"), nullptr);
  EXPECT_EQ(HighlighterList().Item(0)->LanguageTitle(), "x86 Assembly");
}

TEST(NasmHighlighterTest, AttributesStoreAndLoad) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TRegistryStore::SetDefaultFileName(dir.filePath("registry.ini").toStdString());
  const std::string ini = dir.filePath("nasm.ini").toStdString();

  TSrcNasmHighlighter saved;
  saved.RegisterAttri()->SetForeground(clRed);
  saved.LabelAttri()->SetStyle({fsUnderline});
  saved.PreprocessorAttri()->SetBackground(clYellow);
  ASSERT_TRUE(saved.SaveAttributesToIni(ini));
  ASSERT_TRUE(saved.SaveAttributesToRegistry(TRegistryRoot::CurrentUser, "Software\\T\\Nasm"));

  TSrcNasmHighlighter from_ini;
  ASSERT_TRUE(from_ini.LoadAttributesFromIni(ini));
  TSrcNasmHighlighter from_registry;
  ASSERT_TRUE(
      from_registry.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\T\\Nasm"));
  for (const TSrcNasmHighlighter* loaded : {&from_ini, &from_registry}) {
    EXPECT_EQ(loaded->RegisterAttri()->Foreground(), clRed);
    EXPECT_EQ(loaded->LabelAttri()->Style(), TFontStyles{fsUnderline});
    EXPECT_EQ(loaded->PreprocessorAttri()->Background(), clYellow);
    for (int i = 0; i < loaded->AttributeCount(); ++i) {
      EXPECT_EQ(loaded->AttributeAt(i)->Foreground(), saved.AttributeAt(i)->Foreground());
      EXPECT_EQ(loaded->AttributeAt(i)->Style(), saved.AttributeAt(i)->Style());
    }
  }
}

TEST(NasmHighlighterTest, FoldRegions) {
  TSrcNasmHighlighter h;
  const TFoldRegions& regions = h.FoldRegions();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int i = 0; i < regions.Count(); ++i) {
    const TFoldRegionItem& item = regions.Item(i);
    EXPECT_EQ(item.Kind, frkKeyword);
    EXPECT_EQ(item.WholeWordsOnly, item.OpenToken != ";{") << item.OpenToken;
    EXPECT_EQ(item.SubRegions->Count(), 0);
    pairs.emplace_back(item.OpenToken, item.CloseToken);
  }
  const auto has = [&](const char* open, const char* close) {
    return std::find(pairs.begin(), pairs.end(),
                     std::make_pair(std::string(open), std::string(close))) != pairs.end();
  };
  for (const char* open : {"%macro", "%imacro", "%rmacro", "%irmacro"}) {
    EXPECT_TRUE(has(open, "%endmacro")) << open;
  }
  int if_forms = 0;
  for (const std::string& word : NasmWords(TNasmWordKind::nwkPreprocessor)) {
    const bool opens_if = word.rfind("%if", 0) == 0;
    if_forms += opens_if ? 1 : 0;
    EXPECT_EQ(has(word.c_str(), "%endif"), opens_if) << word;
  }
  EXPECT_GE(if_forms, 24);
  EXPECT_TRUE(has("%rep", "%endrep"));
  EXPECT_TRUE(has("struc", "endstruc"));
  EXPECT_TRUE(has("istruc", "iend"));
  EXPECT_TRUE(has(";{", ";}"));

  const TSkipRegions& skip = regions.SkipRegions();
  ASSERT_EQ(skip.Count(), 4);
  EXPECT_EQ(skip.Item(2).OpenToken, "`");
  EXPECT_EQ(skip.Item(2).EscapeChar, "\\");
  EXPECT_EQ(skip.Item(3).OpenToken, ";");
  EXPECT_EQ(skip.Item(3).Kind, srkToLineEnd);

  // The editor's own region set can be given the same definitions.
  TFoldRegions copy;
  AddNasmFoldRegions(copy);
  EXPECT_EQ(copy.Count(), regions.Count());
}

}  // namespace
}  // namespace torvane
