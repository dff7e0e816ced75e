// The x86 assembly highlighter: comments, strings, numbers, symbols, the
// instruction mnemonics as keywords, everything else as identifiers. Lines
// are scanned independently; no state is carried from one line to the next.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "highlight/custom_highlighter.h"
#include "highlight/keyword_hash.h"
#include "highlight/packed_word_table.h"

namespace torvane {

enum TAsmTokenKind : int {
  atkComment = 0,
  atkIdentifier = 1,
  atkKeyword = 2,
  atkLineEnd = 3,
  atkNumber = 4,
  atkWhitespace = 5,
  atkString = 6,
  atkSymbol = 7,
  atkUnknown = 8,  // never produced
};

// The mnemonics, comma-separated, in the order they are added to the table.
extern const char* const kAsmKeywords;

class TSrcAsmHighlighter final : public TSrcCustomHighlighter {
 public:
  TSrcAsmHighlighter();
  ~TSrcAsmHighlighter() override;

  static const TSrcHighlighterClass& StaticClass();
  const TSrcHighlighterClass& ClassType() const override { return StaticClass(); }
  static std::string ClassLanguageTitle() { return "x86 Assembly"; }

  TSrcHighlighterAttributes* CommentAttri() const { return comment_attri_; }
  TSrcHighlighterAttributes* IdentifierAttri() const { return identifier_attri_; }
  TSrcHighlighterAttributes* KeyAttri() const { return key_attri_; }
  TSrcHighlighterAttributes* NumberAttri() const { return number_attri_; }
  TSrcHighlighterAttributes* SpaceAttri() const { return space_attri_; }
  TSrcHighlighterAttributes* StringAttri() const { return string_attri_; }
  TSrcHighlighterAttributes* SymbolAttri() const { return symbol_attri_; }

  TSrcHighlighterAttributes* DefaultAttributeFor(int role) const override;
  TSrcCharSet IdentifierCharacters() const override;
  bool IsFilterStored() const override;
  bool AtLineEnd() const override { return kind_ == atkLineEnd; }
  std::string TokenText() const override {
    return std::string(line_.data() + token_start_, static_cast<std::size_t>(run_ - token_start_));
  }
  int TokenLength() const override { return run_ - token_start_; }
  TSrcHighlighterAttributes* TokenAttributes() const override { return attribute_of_kind_[kind_]; }
  int TokenKind() const override { return kind_; }
  int TokenStart() const override { return base_ + token_start_; }
  void AdvanceToken() override;
  void StartLine(std::string_view text, int line_index) override;
  bool ResumesAtTokens() const override { return true; }
  void StartLineAt(std::string_view text, int line_index, int offset) override;
  // Every line is scanned on its own: nothing carries over a line break.
  bool HasRangeStates() const override { return false; }

  const TSrcKeywordTable& Keywords() const { return keywords_; }
  int LineIndex() const { return line_index_; }

 private:
  // The scanning rules; the dispatch table maps a token's first character to
  // one of them.
  enum TScanRule : std::uint8_t {
    srLineEnd,
    srLineFeed,
    srCarriageReturn,
    srSpace,
    srString,
    srComment,
    srSlash,
    srNumber,
    srIdentifier,
    srLower,
    srGreater,
    srSymbol,
    srUnknown,
  };
  void ScanToken();
  // Makes line_ the `size` bytes at `text` and the NULs after them.
  void SetWindow(const char* text, std::size_t size);
  // Drops the window's bytes before `keep_from` and copies more of source_
  // after them; false when the window already reaches the line's end.
  bool ExtendWindow(int keep_from);
  int ScanString(int run) const;
  int ScanToLineEnd(int run) const;
  int ScanMultiByte(int run) const;

  TSrcKeywordTable keywords_{atkIdentifier};
  // The same keywords packed for the scan, which looks words up there.
  TPackedWordTable words_{atkIdentifier};
  TSrcHighlighterAttributes* comment_attri_;
  TSrcHighlighterAttributes* identifier_attri_;
  TSrcHighlighterAttributes* key_attri_;
  TSrcHighlighterAttributes* number_attri_;
  TSrcHighlighterAttributes* space_attri_;
  TSrcHighlighterAttributes* string_attri_;
  TSrcHighlighterAttributes* symbol_attri_;
  std::array<TSrcHighlighterAttributes*, 9> attribute_of_kind_{};
  std::array<TScanRule, 256> rules_{};

  // The scanner. The line is copied so that it ends in NULs (which every
  // rule stops at; enough of them for the eight-byte tests and the word
  // table's loads) and stays valid however the caller's buffer changes; the
  // copy reuses its capacity, so scanning allocates nothing per line.
  // A scan from StartLineAt copies a window of the line, bytes [base_,
  // base_ + size_) of source_, and copies more whenever a token ends near
  // the window's end, where the bytes after it could change it.
  // invariant: line_ holds size_ bytes of the line, then kMaxLength NULs;
  // what follows them is left over from longer lines and never read
  std::string line_;
  int size_ = 0;
  std::string_view source_;  // empty after StartLine, which copies it all
  int base_ = 0;
  int line_index_ = 0;
  int run_ = 0;          // invariant: 0 <= run_ <= size_; relative to base_
  int token_start_ = 0;  // invariant: token_start_ <= run_
  int kind_ = atkLineEnd;
};

}  // namespace torvane
