// Holds the assembly and NASM highlighters' tokens fixed while their scanners
// are tuned: seeded random assembly-like lines are scanned through the
// per-line protocol and every token (kind, start, length, attribute) goes
// into a hash. The expected hashes were taken from the scanners before they
// were made faster; a change of any token on any of these lines changes them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/asm_highlighter.h"
#include "highlight/keyword_hash.h"
#include "highlight/nasm_highlighter.h"
#include "highlight/nasm_words.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

const std::vector<std::string>& AsmKeywords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> list;
    TSrcCharSet letters;
    for (unsigned char c : std::string_view("abcdefghijklmnopqrstuvwxyz0123456789_")) {
      letters.set(c);
    }
    EnumerateKeywords(0, kAsmKeywords, letters,
                      [&list](const std::string& word, int) { list.push_back(word); });
    return list;
  }();
  return words;
}

class TLineMaker {
 public:
  // With `assembly`, the lines also hold the assembly highlighter's keywords
  // and operators (the NASM stream stays as its hashes were taken).
  TLineMaker(std::uint32_t seed, bool assembly) : random_(seed), assembly_(assembly) {}

  std::string Line() {
    std::string line;
    if (Chance(30)) {
      line += Blank();
    }
    if (Chance(15)) {  // a label first: word and colon, or word before a data word
      line += Identifier();
      line += Chance(50) ? ":" : " ";
    }
    // Mostly short lines; some long enough to need many tokens.
    int pieces = Chance(5) ? Below(300) : Below(14);
    if (assembly_ && Chance(1)) {  // past the window a resumed scan copies first
      pieces = 1000 + Below(3000);
    }
    for (int i = 0; i < pieces; ++i) {
      line += Piece();
    }
    return line;
  }

 private:
  std::uint32_t Below(std::uint32_t n) { return random_() % n; }
  bool Chance(std::uint32_t percent) { return Below(100) < percent; }
  template <std::size_t N>
  std::string_view Pick(const std::string_view (&items)[N]) {
    return items[Below(N)];
  }

  std::string Blank() {
    static constexpr std::string_view kBlanks[] = {" ",    "  ",   "\t",   "\t \t",
                                                   "\x01", "\x0b", " \x1f"};
    return std::string(Pick(kBlanks));
  }

  std::string Word() {
    static const TNasmWordKind kKinds[] = {TNasmWordKind::nwkInstruction,
                                           TNasmWordKind::nwkRegister, TNasmWordKind::nwkDirective,
                                           TNasmWordKind::nwkPreprocessor};
    const std::uint32_t list = Below(assembly_ ? 5 : 4);
    const std::vector<std::string>& words = list == 4 ? AsmKeywords() : NasmWords(kKinds[list]);
    std::string word = words[Below(static_cast<std::uint32_t>(words.size()))];
    for (char& c : word) {  // any letter case
      if (c >= 'a' && c <= 'z' && Chance(30)) {
        c = static_cast<char>(c - 32);
      }
    }
    if (Chance(10)) {  // a reserved word with something glued on
      static constexpr std::string_view kTails[] = {"x", "_", "1", ".", "$", "?", "@", "#", "~"};
      word += Pick(kTails);
    }
    return word;
  }

  std::string Identifier() {
    static constexpr std::string_view kFirst = "abcXYZ_.?@$";
    static constexpr std::string_view kRest = "abzAZ09_.$#@~?";
    std::string name(1, kFirst[Below(kFirst.size())]);
    if (Chance(10)) {
      name = Chance(50) ? ".." : "..@";
    }
    // Lengths around 8, 16 and 24, where names are read in eight-byte steps.
    const int length = Chance(20) ? 20 + Below(12) : Below(10);
    for (int i = 0; i < length; ++i) {
      name += kRest[Below(kRest.size())];
    }
    return name;
  }

  std::string Number() {
    static constexpr std::string_view kPrefixes[] = {"",   "",   "",   "0x", "0X", "0h", "0b",
                                                     "0y", "0o", "0q", "0d", "0t", "$",  "$0"};
    static constexpr std::string_view kSuffixes[] = {"",  "",  "",  "h", "H", "b", "y",
                                                     "o", "q", "d", "t", "e", "p"};
    static constexpr std::string_view kDigits = "0123456789abcdefABCDEF_";
    std::string number(Pick(kPrefixes));
    number += static_cast<char>('0' + Below(10));
    const int length = Below(8);
    for (int i = 0; i < length; ++i) {
      number += Chance(70) ? static_cast<char>('0' + Below(10)) : kDigits[Below(kDigits.size())];
    }
    if (Chance(25)) {
      number += '.';
      number += std::to_string(Below(100));
    }
    number += Pick(kSuffixes);
    if (Chance(25)) {  // exponents, and signs that are subtractions
      static constexpr std::string_view kExponents[] = {"e", "E", "p", "P", ""};
      number += Pick(kExponents);
      number += Chance(50) ? '+' : '-';
      if (Chance(80)) {
        number += std::to_string(Below(40));
      }
    }
    return number;
  }

  std::string String() {
    static constexpr char kQuotes[] = {'\'', '"', '`'};
    static constexpr std::string_view kInside[] = {"a",     " ",  ";",   "'",    "\"",
                                                   "`",     "\\", "\\`", "\\\\", "\\n",
                                                   "\\x41", "%1", "注",  "\t",   "\xff"};
    const char quote = kQuotes[Below(3)];
    std::string text(1, quote);
    const int length = Below(8);
    for (int i = 0; i < length; ++i) {
      text += Pick(kInside);
    }
    if (Chance(85)) {  // else unclosed, to the line's end
      text += quote;
    }
    return text;
  }

  std::string Preprocessor() {
    static constexpr std::string_view kForms[] = {
        "%",   "%%",  "%%x", "%%.y", "%$",   "%$$",     "%$$z1",  "%$x",    "%{1:3}", "%{1",
        "%{}", "%+",  "%+1", "%-",   "%-12", "%[",      "%!",     "%!HOME", "%*",     "%*??",
        "%?",  "%??", "%0",  "%00",  "%1",   "%define", "%IFDEF", "%macro", "%%%"};
    return std::string(Pick(kForms));
  }

  std::string HighBytes() {
    static constexpr std::string_view kChars[] = {
        "注",       "é",    "\xf0\x9f\x98\x80", "\xe6\xb3", "\xc3",     "\x80",
        "\xbf\xbf", "\xff", "\xd7\xa2",         "\x81\x40", "\xa4\x40", "\xfe\xfe"};
    return std::string(Pick(kChars));
  }

  std::string Piece() {
    static constexpr std::string_view kSymbols[] = {
        ",", "[", "]", "+", "-", "*", "/",  "(",    ")", ":",  "{", "}",  "<", ">", "=",
        "!", "^", "|", "&", "~", "#", "\\", "\x7f", ".", "..", "$", "$$", "@", "?"};
    static constexpr std::string_view kBreaks[] = {"\r", "\n", "\r\n", std::string_view("\0", 1),
                                                   std::string_view("\0x", 2)};
    switch (Below(20)) {
      case 0:
      case 1:
      case 2:
      case 3:
        return Blank();
      case 4:
      case 5:
      case 6:
        return Word();
      case 7:
      case 8:
        return Identifier();
      case 9:
      case 10:
        return Number();
      case 11:
        return String();
      case 12:
        return Preprocessor();
      case 13:
      case 14:
        if (assembly_ && Chance(30)) {
          static constexpr std::string_view kOperators[] = {
              "//", "/", "<=", "<>", ">=", "<<", ">>", "\'\'\'", "\"\"\"", "\xc0", "\xd7"};
          return std::string(Pick(kOperators));
        }
        return std::string(Pick(kSymbols));
      case 15:
        return HighBytes();
      case 16:
        return Chance(30) ? std::string(Pick(kBreaks)) : Blank();
      case 17: {  // a comment, sometimes holding a line break
        std::string comment = ";";
        const int length = Below(30);
        for (int i = 0; i < length; ++i) {
          comment += Chance(3) ? '\r' : static_cast<char>(' ' + Below(95));
        }
        return comment;
      }
      case 18:
        return Word() + (Chance(50) ? ":" : " ");
      default:
        return std::string(1, static_cast<char>(Below(256)));  // any byte at all
    }
  }

  std::mt19937 random_;
  bool assembly_;
};

struct THash {
  std::uint64_t value = 14695981039346656037u;
  void Add(std::uint64_t x) {
    for (int i = 0; i < 8; ++i) {
      value = (value ^ ((x >> (8 * i)) & 0xFF)) * 1099511628211u;
    }
  }
  void Add(std::string_view text) {
    Add(text.size());
    for (unsigned char c : text) {
      Add(c);
    }
  }
};

int AttributeIndex(const TSrcCustomHighlighter& h, const TSrcHighlighterAttributes* attribute) {
  for (int i = 0; i < h.AttributeCount(); ++i) {
    if (h.AttributeAt(i) == attribute) {
      return i;
    }
  }
  return attribute == nullptr ? -1 : -2;
}

// Scans `count` lines of the seeded stream through the base class, as the
// editor drives a highlighter, and hashes the tokens.
// `kinds` counts the tokens of each kind, to show the lines reach them all.
std::uint64_t TokenStreamHash(TSrcCustomHighlighter& h, std::uint32_t seed, int count,
                              std::vector<int>& kinds) {
  const bool assembly = h.ClassType().InheritsFrom(TSrcAsmHighlighter::StaticClass());
  TLineMaker maker(seed, assembly);
  THash hash;
  std::vector<std::string> lines;
  const auto failures = [] {
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
  };
  const int failures_before = failures();
  for (int i = 0; i < count; ++i) {
    std::string line = maker.Line();
    lines.push_back(line);
    h.ResetRangeState();
    h.StartLine(line, i);
    // The highlighter keeps its own copy: the caller's text may change.
    line.assign(line.size(), ';');
    int next_start = 0;
    int tokens = 0;
    std::vector<std::array<int, 3>> scanned;
    while (!h.AtLineEnd()) {
      const int start = h.TokenStart();
      const int length = h.TokenLength();
      scanned.push_back({start, length, h.TokenKind()});
      EXPECT_EQ(start, next_start) << lines.back();
      EXPECT_GT(length, 0) << lines.back();
      EXPECT_EQ(h.TokenText(), lines.back().substr(static_cast<std::size_t>(start),
                                                   static_cast<std::size_t>(length)));
      kinds.at(static_cast<std::size_t>(h.TokenKind()))++;
      hash.Add(static_cast<std::uint64_t>(h.TokenKind()));
      hash.Add(static_cast<std::uint64_t>(start));
      hash.Add(static_cast<std::uint64_t>(length));
      hash.Add(static_cast<std::uint64_t>(AttributeIndex(h, h.TokenAttributes())));
      next_start = start + length;
      h.AdvanceToken();
      if (++tokens > static_cast<int>(line.size()) + 1) {
        ADD_FAILURE() << "the scan does not advance: " << lines.back();
        return 0;
      }
    }
    // The line end stays where it is.
    hash.Add(static_cast<std::uint64_t>(h.TokenStart()));
    h.AdvanceToken();
    EXPECT_TRUE(h.AtLineEnd());
    EXPECT_EQ(h.TokenStart(), next_start);
    EXPECT_EQ(h.TokenAttributes(), nullptr);
    EXPECT_EQ(h.SaveRangeState(), 0u);
    if (h.ResumesAtTokens() && !scanned.empty()) {
      // A scan resumed at any token start finds the same tokens from there.
      const std::size_t from = static_cast<std::size_t>(i) % scanned.size();
      h.StartLineAt(lines.back(), i, scanned[from][0]);
      for (std::size_t k = from; k < scanned.size(); ++k, h.AdvanceToken()) {
        const std::array<int, 3> token{h.TokenStart(), h.TokenLength(), h.TokenKind()};
        if (token != scanned[k]) {
          ADD_FAILURE() << "resumed at " << scanned[from][0] << ": " << lines.back();
          return 0;
        }
      }
      EXPECT_TRUE(h.AtLineEnd());
    }
    if (failures() != failures_before) {
      ADD_FAILURE() << "line " << i << ": " << lines.back();
      return 0;
    }
  }
  if (auto* nasm = dynamic_cast<TSrcNasmHighlighter*>(&h)) {
    for (const std::string& label : nasm->DefinedLabels(lines)) {
      hash.Add(label);
    }
  }
  return hash.value;
}

struct TMode {
  const char* code_page;
  std::uint32_t seed;
  std::uint64_t expected;
};

// Each mode's stream through a new highlighter of the type: the hash, and
// every one of the `kinds` token kinds but the line end, many times.
template <typename THighlighter>
void ExpectStreams(const std::vector<TMode>& modes, int kinds, int line_end) {
  for (const TMode& mode : modes) {
    const ScopedCodePage page(mode.code_page);
    std::vector<int> counts(static_cast<std::size_t>(kinds) + 1);
    THighlighter highlighter;
    EXPECT_EQ(TokenStreamHash(highlighter, mode.seed, 30000, counts), mode.expected)
        << mode.code_page;
    for (int kind = 0; kind < kinds; ++kind) {
      EXPECT_GT(counts[static_cast<std::size_t>(kind)], kind == line_end ? -1 : 1000) << kind;
    }
  }
}

TEST(TokenStreamTest, NasmKeepsItsTokensInEveryCodePage) {
  ExpectStreams<TSrcNasmHighlighter>({{"UTF-8", 1, 7645471471708204424u},
                                      {"GBK", 2, 4370743961907178027u},
                                      {"ISO-8859-1", 3, 9879392063058456533u}},
                                     ntkLabel + 1, ntkLineEnd);
}

TEST(TokenStreamTest, AssemblyKeepsItsTokensInEveryCodePage) {
  // atkUnknown is never produced.
  ExpectStreams<TSrcAsmHighlighter>({{"UTF-8", 4, 4877990143726979558u},
                                     {"GBK", 5, 5936011156729359212u},
                                     {"ISO-8859-1", 6, 55574671043037024u}},
                                    atkUnknown, atkLineEnd);
}

}  // namespace
}  // namespace torvane
