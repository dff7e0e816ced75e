// The NASM highlighter: NASM's own lexical rules (comments from ';' only,
// three kinds of strings, every number form, identifiers with ._?$#@~, local
// labels, preprocessor tokens) and its reserved words by kind. Lines are
// scanned independently; no state is carried from one line to the next.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "highlight/custom_highlighter.h"
#include "highlight/packed_word_table.h"

namespace torvane {

// The first eight values match the assembly highlighter's kinds.
enum TNasmTokenKind : int {
  ntkComment = 0,
  ntkIdentifier = 1,
  ntkInstruction = 2,
  ntkLineEnd = 3,
  ntkNumber = 4,
  ntkWhitespace = 5,
  ntkString = 6,
  ntkSymbol = 7,
  ntkRegister = 8,
  ntkDirective = 9,
  ntkPreprocessor = 10,
  ntkLabel = 11,
};

class TSrcNasmHighlighter final : public TSrcCustomHighlighter {
 public:
  TSrcNasmHighlighter();
  ~TSrcNasmHighlighter() override;

  static const TSrcHighlighterClass& StaticClass();
  const TSrcHighlighterClass& ClassType() const override { return StaticClass(); }
  static std::string ClassLanguageTitle() { return "NASM"; }

  TSrcHighlighterAttributes* CommentAttri() const { return attribute_of_kind_[ntkComment]; }
  TSrcHighlighterAttributes* StringAttri() const { return attribute_of_kind_[ntkString]; }
  TSrcHighlighterAttributes* NumberAttri() const { return attribute_of_kind_[ntkNumber]; }
  TSrcHighlighterAttributes* InstructionAttri() const { return attribute_of_kind_[ntkInstruction]; }
  TSrcHighlighterAttributes* RegisterAttri() const { return attribute_of_kind_[ntkRegister]; }
  TSrcHighlighterAttributes* DirectiveAttri() const { return attribute_of_kind_[ntkDirective]; }
  TSrcHighlighterAttributes* PreprocessorAttri() const {
    return attribute_of_kind_[ntkPreprocessor];
  }
  TSrcHighlighterAttributes* LabelAttri() const { return attribute_of_kind_[ntkLabel]; }
  TSrcHighlighterAttributes* SymbolAttri() const { return attribute_of_kind_[ntkSymbol]; }
  TSrcHighlighterAttributes* IdentifierAttri() const { return attribute_of_kind_[ntkIdentifier]; }
  TSrcHighlighterAttributes* SpaceAttri() const { return attribute_of_kind_[ntkWhitespace]; }

  TSrcHighlighterAttributes* DefaultAttributeFor(int role) const override;
  TSrcCharSet IdentifierCharacters() const override;
  bool IsFilterStored() const override;
  // Every line scans alone (the state after any line is 0), so the editor
  // keeps no states for it.
  bool HasRangeStates() const override { return false; }
  bool AtLineEnd() const override { return kind_ == ntkLineEnd; }
  std::string TokenText() const override {
    return line_.substr(static_cast<std::size_t>(token_start_),
                        static_cast<std::size_t>(run_ - token_start_));
  }
  int TokenLength() const override { return run_ - token_start_; }
  TSrcHighlighterAttributes* TokenAttributes() const override { return attribute_of_kind_[kind_]; }
  int TokenKind() const override { return kind_; }
  int TokenStart() const override { return token_start_; }
  void AdvanceToken() override;
  void StartLine(std::string_view text, int line_index) override;

  int LineIndex() const { return line_index_; }

  // The labels the lines define (the tokens scanned as labels), each once, in
  // the order of their first definition; completion offers them. Leaves the
  // scanner at the end of the last line.
  std::vector<std::string> DefinedLabels(const TSrcEditStringList& lines);
  // The same over lines held elsewhere (a document's expanded text).
  std::vector<std::string> DefinedLabels(const std::vector<std::string>& lines);

 private:
  template <typename LineAt>
  std::vector<std::string> LabelsOf(int count, LineAt line_at);
  // The scanning rules; the dispatch table maps a token's first character to
  // one of them.
  enum TScanRule : std::uint8_t {
    srLineEnd,
    srLineFeed,
    srCarriageReturn,
    srSpace,
    srQuote,      // ' and ": no escapes
    srBackquote,  // `: backslash escapes
    srComment,
    srNumber,
    srDollar,      // $, $$, $0FF, $name
    srWord,        // a letter or '_': maybe a reserved word
    srDot,         // .local, ..@x, or '.' alone
    srIdentStart,  // '?' or '@': never a reserved word
    srPercent,     // preprocessor tokens, or '%' and '%%' as operators
    srSymbol,
    srMultiByte,
  };
  // Kind stored in the keyword table for db..dz, resb..resz, equ, times and
  // incbin; reported as a directive.
  static constexpr int kDataDirectiveKind = ntkLabel + 1;

  // The kind of the name at run (a reserved word's kind, or identifier) and,
  // in `end`, where it ends.
  int NameKind(int run, int& end) const;
  int ScanWord(int run);
  [[gnu::noinline]] int ScanOther(TScanRule rule, int run);
  int ScanPercent(int run);
  int ScanNumber(int start, bool dollar_prefix) const;
  int ScanQuoted(int run) const;
  int ScanIdentifier(int run) const;
  int ScanToLineEnd(int run) const;
  bool IsLabelEnd(int run, int kind) const;
  // False when a word of that kind ending at `run` is certainly no label
  // (IsLabelEnd would say so): a quick test for the common case.
  bool MayEndLabel(int run, int kind) const;

  TPackedWordTable words_{ntkIdentifier};
  std::array<TSrcHighlighterAttributes*, ntkLabel + 1> attribute_of_kind_{};
  std::array<TScanRule, 256> rules_{};

  // The scanner. The line is copied so that it ends in NULs (which every
  // rule stops at; enough of them for the word table's loads) and stays valid
  // however the caller's buffer changes; the copy reuses its capacity, so
  // scanning allocates nothing per line.
  // invariant: line_ holds the line, then at least kMaxLength NULs; what
  // follows them is left over from longer lines and never read.
  std::string line_;
  int line_index_ = 0;
  int run_ = 0;          // invariant: 0 <= run_ <= line_.size()
  int token_start_ = 0;  // invariant: token_start_ <= run_
  int kind_ = ntkLineEnd;
  // Where the first token other than blanks starts: only there can a word be
  // a label.
  int first_token_start_ = 0;
};

}  // namespace torvane
