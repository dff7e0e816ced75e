// The scanning rules of the NASM highlighter, its attributes and class record.
#include "highlight/nasm_highlighter.h"

#include <bit>
#include <cstring>
#include <unordered_set>

#include "highlight/byte_scan.h"
#include "highlight/nasm_fold_regions.h"
#include "highlight/nasm_words.h"
#include "platform/codepage.h"

namespace torvane {

namespace {

using namespace byte_scan;

constexpr const char* kNasmFilter = "NASM Files (*.asm;*.nasm;*.inc;*.s)|*.asm;*.nasm;*.inc;*.s";

using TCharTable = std::array<bool, 256>;

constexpr TCharTable MakeTable(std::string_view chars, bool alphanumeric) {
  TCharTable t{};
  for (unsigned char c : chars) {
    t[c] = true;
  }
  for (int c = 0; alphanumeric && c < 256; ++c) {
    t[c] = t[c] || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  }
  return t;
}

// Characters 1..9, 11, 12, 14..32 form whitespace runs.
constexpr TCharTable kSpaceChars = [] {
  TCharTable t{};
  for (int c = 1; c <= 32; ++c) {
    t[c] = c != 10 && c != 13;
  }
  return t;
}();
// NUL, LF and CR end a comment or a string.
constexpr TCharTable kLineEndChars = MakeTable(std::string_view("\0\n\r", 3), false);
// What continues an identifier in NASM.
constexpr TCharTable kIdentChars = MakeTable("_.$#@~?", true);
// Of those, 1 for what a reserved word can hold (letters, digits, '_'), 2 for
// the rest.
constexpr std::array<std::uint8_t, 256> kNameClass = [] {
  std::array<std::uint8_t, 256> t{};
  const TCharTable word = MakeTable("_", true);
  for (int c = 0; c < 256; ++c) {
    t[c] = word[c] ? 1 : kIdentChars[c] ? 2 : 0;
  }
  return t;
}();
// What continues a number: digits, letters (radix prefixes and suffixes, hex
// digits, exponents), '_' and the point of a float.
constexpr TCharTable kNumberChars = MakeTable("_.", true);

// 0x80 in each byte of x that continues a number.
constexpr std::uint64_t NumberCharBytes(std::uint64_t x) {
  return WordCharBytes(x) | BytesEqual(x, '.');
}

// 0x80 in each byte of x that continues an identifier.
constexpr std::uint64_t IdentCharBytes(std::uint64_t x) {
  return WordCharBytes(x) | BytesBetween(x, '#' - 1, '$' + 1) | BytesBetween(x, '?' - 1, '@' + 1) |
         BytesEqual(x, '.') | BytesEqual(x, '~');
}

static_assert(AgreesWith(IdentCharBytes, kIdentChars));
static_assert(AgreesWith(NumberCharBytes, kNumberChars));

constexpr bool IsDigit(unsigned c) {
  return c - '0' < 10;
}

std::unique_ptr<TSrcCustomHighlighter> CreateNasmHighlighter() {
  return std::make_unique<TSrcNasmHighlighter>();
}

std::unique_ptr<TSrcHighlighterAttributes> MakeAttribute(const char* name, TColor foreground,
                                                         TFontStyles style) {
  auto attr = std::make_unique<TSrcHighlighterAttributes>(name);
  attr->SetForeground(foreground);
  attr->SetStyle(style);
  return attr;
}

}  // namespace

const TSrcHighlighterClass& TSrcNasmHighlighter::StaticClass() {
  static const TSrcHighlighterClass kClass{
      "TSrcNasmHighlighter", &TSrcCustomHighlighter::StaticClass(), &ClassLanguageTitle,
      &ClassSupportedFeatures, &CreateNasmHighlighter};
  return kClass;
}

TSrcNasmHighlighter::TSrcNasmHighlighter() {
  // Colours in 0x00BBGGRR; those left at clNone take the editor's own.
  auto& a = attribute_of_kind_;
  a[ntkComment] = RegisterAttribute(MakeAttribute("Comment", 0x008000, {fsItalic}));
  a[ntkString] = RegisterAttribute(MakeAttribute("String", 0x1515A3, {}));
  a[ntkNumber] = RegisterAttribute(MakeAttribute("Number", 0x808000, {}));
  a[ntkInstruction] = RegisterAttribute(MakeAttribute("Instruction", 0xC00000, {fsBold}));
  a[ntkRegister] = RegisterAttribute(MakeAttribute("Register", 0x800080, {}));
  a[ntkDirective] = RegisterAttribute(MakeAttribute("Directive", 0xA06000, {}));
  a[ntkPreprocessor] = RegisterAttribute(MakeAttribute("Preprocessor", 0x0050A0, {}));
  a[ntkLabel] = RegisterAttribute(MakeAttribute("Label", clNone, {fsBold}));
  a[ntkSymbol] = RegisterAttribute(MakeAttribute("Symbol", clNone, {}));
  a[ntkIdentifier] = RegisterAttribute(MakeAttribute("Identifier", clNone, {}));
  a[ntkWhitespace] = RegisterAttribute(MakeAttribute("Space", clNone, {}));

  for (int c = 0; c < 256; ++c) {
    TScanRule rule = srSymbol;
    if (c == 0) {
      rule = srLineEnd;
    } else if (c == '\n') {
      rule = srLineFeed;
    } else if (c == '\r') {
      rule = srCarriageReturn;
    } else if (kSpaceChars[c]) {
      rule = srSpace;
    } else if (c == '\'' || c == '"') {
      rule = srQuote;
    } else if (c == '`') {
      rule = srBackquote;
    } else if (c == ';') {
      rule = srComment;
    } else if (IsDigit(c)) {
      rule = srNumber;
    } else if (c == '$') {
      rule = srDollar;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      rule = srWord;
    } else if (c == '.') {
      rule = srDot;
    } else if (c == '?' || c == '@') {
      rule = srIdentStart;
    } else if (c == '%') {
      rule = srPercent;
    } else if (c >= 0x80) {
      rule = srMultiByte;
    }
    rules_[static_cast<std::size_t>(c)] = rule;
  }

  TSrcCharSet word_chars;
  for (int c = 0; c < 256; ++c) {
    word_chars[static_cast<std::size_t>(c)] = kNameClass[static_cast<std::size_t>(c)] == 1;
  }
  const auto add = [this](const std::string& word, int kind) { words_.Add(word, kind); };
  // Registers first: they are a program's commonest words, and the words
  // added first keep their home slots, so looking one up takes one probe.
  EnumerateKeywords(ntkRegister, kNasmRegisters, word_chars, add);
  EnumerateKeywords(ntkInstruction, kNasmInstructions, word_chars, add);
  EnumerateKeywords(kDataDirectiveKind, kNasmDataDirectives, word_chars, add);
  EnumerateKeywords(ntkDirective, kNasmDirectives, word_chars, add);
  AddNasmFoldRegions(FoldRegions());
  WireAttributes();
  SetDefaultFilter(kNasmFilter);
}

TSrcNasmHighlighter::~TSrcNasmHighlighter() = default;

TSrcHighlighterAttributes* TSrcNasmHighlighter::DefaultAttributeFor(int role) const {
  switch (role) {
    case drComment:
      return CommentAttri();
    case drIdentifier:
      return IdentifierAttri();
    case drKeyword:
      return InstructionAttri();
    case drString:
      return StringAttri();
    case drWhitespace:
      return SpaceAttri();
    case drSymbol:
      return SymbolAttri();
    default:
      return nullptr;
  }
}

TSrcCharSet TSrcNasmHighlighter::IdentifierCharacters() const {
  TSrcCharSet set;
  for (int c = 0; c < 256; ++c) {
    set[static_cast<std::size_t>(c)] = kIdentChars[static_cast<std::size_t>(c)];
  }
  return set;
}

bool TSrcNasmHighlighter::IsFilterStored() const {
  return DefaultFilter() != kNasmFilter;
}

void TSrcNasmHighlighter::StartLine(std::string_view text, int line_index) {
  // The buffer only grows; the line and its NULs are written over its start.
  const std::size_t size = text.size();
  if (line_.size() < size + TPackedWordTable::kMaxLength) {
    line_.resize(size + TPackedWordTable::kMaxLength);
  }
  if (size > 0) {  // an empty view may have no data at all
    std::memcpy(line_.data(), text.data(), size);
  }
  std::memset(line_.data() + size, 0, TPackedWordTable::kMaxLength);
  line_index_ = line_index;
  first_token_start_ = 0;
  run_ = 0;
  AdvanceToken();
}

// Inlined into AdvanceToken: words are the commonest tokens.
[[gnu::always_inline]] inline int TSrcNasmHighlighter::NameKind(int run, int& end) const {
  // The letters, digits and '_' among the next eight bytes are found at once
  // (the NULs after the line keep the load inside the buffer), so a short
  // word costs no loop whose exit depends on its length.
  const char* const p = line_.data();
  std::uint64_t bytes;
  std::memcpy(&bytes, p + run, 8);
  const std::uint64_t stops = ~WordCharBytes(bytes) & kHighBits;
  int e = run + (stops != 0 ? std::countr_zero(stops) / 8 : 8);
  unsigned classes = 1;
  for (unsigned c; (c = kNameClass[static_cast<unsigned char>(p[e])]) != 0; ++e) {
    classes |= c;
  }
  end = e;
  // foo.bar, a$, x?: no reserved word holds those characters
  return classes == 1 ? words_.Find(p + run, e - run) : ntkIdentifier;
}

[[gnu::always_inline]] inline int TSrcNasmHighlighter::ScanWord(int run) {
  int end = run;
  const int kind = NameKind(run, end);
  if (run == first_token_start_ && MayEndLabel(end, kind) && IsLabelEnd(end, kind)) {
    kind_ = ntkLabel;
  } else {
    kind_ = kind == kDataDirectiveKind ? ntkDirective : kind;
  }
  return end;
}

void TSrcNasmHighlighter::AdvanceToken() {
  // One dispatch per token; each case leaves `run` after the token. Every
  // loop stops at the NUL that ends line_.
  const char* const p = line_.data();
  int run = run_;
  token_start_ = run;
  const auto at = [p](int i) { return static_cast<unsigned char>(p[i]); };
  const TScanRule rule = rules_[at(run)];
  // Blanks, words and single symbols make up most of a line; they are tested
  // before the switch.
  if (rule == srSpace) {
    kind_ = ntkWhitespace;
    do {
      ++run;
    } while (kSpaceChars[at(run)]);
    if (token_start_ == 0) {  // indentation
      first_token_start_ = run;
    }
    run_ = run;
    return;
  }
  if (rule == srWord) {
    run_ = ScanWord(run);
    return;
  }
  if (rule == srSymbol) {
    kind_ = ntkSymbol;
    run_ = run + 1;
    return;
  }
  if (rule == srLineEnd) {
    kind_ = ntkLineEnd;
    return;
  }
  run_ = ScanOther(rule, run);
}

int TSrcNasmHighlighter::ScanOther(TScanRule rule, int run) {
  // Kept out of AdvanceToken, so the common rules there need few registers.
  const char* const p = line_.data();
  const auto at = [p](int i) { return static_cast<unsigned char>(p[i]); };
  switch (rule) {
    case srLineFeed:
      kind_ = ntkWhitespace;
      ++run;
      break;
    case srCarriageReturn:
      kind_ = ntkWhitespace;
      ++run;
      run += at(run) == '\n' ? 1 : 0;
      break;
    case srQuote:
    case srBackquote:
      kind_ = ntkString;
      run = ScanQuoted(run);
      break;
    case srComment:
      kind_ = ntkComment;
      run = ScanToLineEnd(run + 1);
      break;
    case srNumber:
      kind_ = ntkNumber;
      run = ScanNumber(run, false);
      break;
    case srDollar:
      if (at(run + 1) == '$') {  // the start of the section
        kind_ = ntkIdentifier;
        run += 2;
      } else if (IsDigit(at(run + 1))) {  // $0FF
        kind_ = ntkNumber;
        run = ScanNumber(run + 1, true);
      } else {  // $ alone, or a name that must not be read as a reserved word
        run = ScanIdentifier(run + 1);
        kind_ = token_start_ == first_token_start_ && IsLabelEnd(run, ntkIdentifier)
                    ? ntkLabel
                    : ntkIdentifier;
      }
      break;
    case srDot:
    case srIdentStart:
      if (rule == srDot && !kIdentChars[at(run + 1)]) {
        kind_ = ntkSymbol;
        ++run;
        break;
      }
      run = ScanIdentifier(run + 1);
      kind_ = token_start_ == first_token_start_ && IsLabelEnd(run, ntkIdentifier) ? ntkLabel
                                                                                   : ntkIdentifier;
      break;
    case srPercent:
      run = ScanPercent(run);
      break;
    case srMultiByte: {
      // A multi-byte character of the code page in use is one token.
      kind_ = ntkIdentifier;
      const int length = CharLength(line_, static_cast<std::size_t>(run));
      run += length > 0 ? length : 1;
      break;
    }
    case srLineEnd:
    case srSpace:
    case srWord:
    case srSymbol:
      break;  // handled by AdvanceToken
  }
  return run;
}

[[gnu::always_inline]] inline bool TSrcNasmHighlighter::MayEndLabel(int run, int kind) const {
  // Most lines start with a reserved word, a blank and an operand: such a
  // word is no label, and the call that would skip the blanks is saved.
  if (kind == ntkIdentifier) {
    return true;
  }
  const char* const p = line_.data();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return p[run] == ':' || (blank(p[run]) && (blank(p[run + 1]) || p[run + 1] == ':'));
}

bool TSrcNasmHighlighter::IsLabelEnd(int run, int kind) const {
  // A word that starts a line is a label when a colon follows (whatever the
  // word spells), or when it is no reserved word and a data directive
  // follows ("msg db 'hi'", "len equ $ - msg").
  const char* const p = line_.data();
  while (p[run] == ' ' || p[run] == '\t') {
    ++run;
  }
  if (p[run] == ':') {
    return true;
  }
  if (kind != ntkIdentifier || rules_[static_cast<unsigned char>(p[run])] != srWord) {
    return false;
  }
  int end = run;
  return NameKind(run, end) == kDataDirectiveKind;
}

int TSrcNasmHighlighter::ScanPercent(int run) {
  const char* const p = line_.data();
  const auto at = [p](int i) { return static_cast<unsigned char>(p[i]); };
  const unsigned next = at(run + 1);
  kind_ = ntkPreprocessor;
  if (next == '%' || next == '$') {
    // %%local and %$context (%$$outer) names, or the signed modulo %%
    int name = run + 2;
    while (next == '$' && at(name) == '$') {
      ++name;
    }
    if (!kIdentChars[at(name)]) {
      if (next == '%') {
        kind_ = ntkSymbol;
        return run + 2;
      }
      return name;  // %$ alone
    }
    const int end = ScanIdentifier(name);
    if (run == first_token_start_ && IsLabelEnd(end, ntkIdentifier)) {
      kind_ = ntkLabel;
    }
    return end;
  }
  if (kIdentChars[next]) {  // %define, %1, %?
    return ScanIdentifier(run + 1);
  }
  switch (next) {
    case '+':  // %+ pastes tokens; %+1 is a parameter
    case '-':  // %-1 is a parameter with its condition inverted
      if (IsDigit(at(run + 2))) {
        run += 2;
        while (IsDigit(at(run))) {
          ++run;
        }
        return run;
      }
      if (next == '+') {
        return run + 2;
      }
      break;
    case '[':  // %[expansion]
      return run + 2;
    case '{': {  // %{1:3}
      int close = run + 2;
      while (!kLineEndChars[at(close)] && at(close) != '}') {
        ++close;
      }
      return at(close) == '}' ? close + 1 : run + 2;
    }
    case '!':  // %!environment
      return ScanIdentifier(run + 2);
    case '*':  // %*? and %*??
      run += 2;
      while (at(run) == '?') {
        ++run;
      }
      return run;
    default:
      break;
  }
  kind_ = ntkSymbol;  // the modulo operator
  return run + 1;
}

int TSrcNasmHighlighter::ScanNumber(int start, bool dollar_prefix) const {
  // start: the first digit. A sign belongs to the number only in an
  // exponent: after 'e' of a decimal float (1.5e-3) or 'p' of a hexadecimal
  // one (0x1.8p+1); 0x1e-3 stays a subtraction.
  const char* const p = line_.data();
  const auto at = [p](int i) { return static_cast<unsigned char>(p[i]); };
  const unsigned radix = at(start + 1) | 0x20;
  const bool hex_prefix = dollar_prefix || (p[start] == '0' && (radix == 'x' || radix == 'h'));
  int run = start;
  for (;;) {
    run = RunEnd<NumberCharBytes>(p, run);
    if ((at(run) != '+' && at(run) != '-') || !IsDigit(at(run + 1))) {
      return run;
    }
    const unsigned marker = at(run - 1) | 0x20;
    bool exponent = hex_prefix && marker == 'p';
    if (!hex_prefix && marker == 'e') {
      exponent = true;
      for (int i = start; i < run - 1; ++i) {
        exponent = exponent && (IsDigit(at(i)) || at(i) == '_' || at(i) == '.');
      }
    }
    if (!exponent) {
      return run;
    }
    run += 2;
  }
}

int TSrcNasmHighlighter::ScanQuoted(int run) const {
  // '…' and "…" have no escapes; in `…` a backslash escapes the next
  // character. An unclosed string runs to the end of the line.
  const char* const p = line_.data();
  const char quote = p[run];
  ++run;
  while (!kLineEndChars[static_cast<unsigned char>(p[run])] && p[run] != quote) {
    if (quote == '`' && p[run] == '\\' && !kLineEndChars[static_cast<unsigned char>(p[run + 1])]) {
      ++run;
    }
    ++run;
  }
  return p[run] == quote ? run + 1 : run;
}

int TSrcNasmHighlighter::ScanToLineEnd(int run) const {
  // The NULs after the line stop the eight-byte loads before they leave it.
  return LineBreakAt(line_.data(), run);
}

int TSrcNasmHighlighter::ScanIdentifier(int run) const {
  return RunEnd<IdentCharBytes>(line_.data(), run);
}

template <typename LineAt>
std::vector<std::string> TSrcNasmHighlighter::LabelsOf(int count, LineAt line_at) {
  std::vector<std::string> labels;
  std::unordered_set<std::string> seen;
  for (int i = 0; i < count; ++i) {
    // Only the first token of a line can be a label.
    StartLine(line_at(i), i);
    if (kind_ == ntkWhitespace) {
      AdvanceToken();
    }
    if (kind_ == ntkLabel && seen.insert(TokenText()).second) {
      labels.push_back(TokenText());
    }
  }
  return labels;
}

std::vector<std::string> TSrcNasmHighlighter::DefinedLabels(const TSrcEditStringList& lines) {
  return LabelsOf(lines.LineCount(), [&lines](int i) { return lines.GetLine(i); });
}

std::vector<std::string> TSrcNasmHighlighter::DefinedLabels(const std::vector<std::string>& lines) {
  return LabelsOf(static_cast<int>(lines.size()),
                  [&lines](int i) { return std::string_view(lines[static_cast<std::size_t>(i)]); });
}

}  // namespace torvane
