// The vocabulary of the completion proposal: display kinds, options and
// columns (images come from the gutter's TImageList).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/font_styles.h"
#include "view/gutter_glyphs.h"  // TImageList

namespace torvane {

enum SrcCompletionType : std::uint8_t { ctCode, ctHint, ctParams };

// In ordinal order: the ordinal is the bit number.
enum TSrcCompletionOption : std::uint8_t {
  scoAnsiStrings,
  scoCaseSensitive,
  scoLimitToMatchedText,
  scoTitleIsCentered,
  scoUseInsertList,
  scoUsePrettyText,
  scoUseBuiltInTimer,
  scoEndCharCompletion,
  scoConsiderWordBreakChars,
  scoCompleteWithTab,
  scoCompleteWithEnter,
};

class TSrcCompletionOptions {
 public:
  constexpr TSrcCompletionOptions() = default;
  static constexpr TSrcCompletionOptions FromMask(std::uint32_t mask) {
    TSrcCompletionOptions options;
    options.mask_ = mask & 0x7FF;
    return options;
  }
  constexpr std::uint32_t Mask() const { return mask_; }
  constexpr bool Has(TSrcCompletionOption o) const { return (mask_ & (1u << o)) != 0; }
  constexpr void Set(TSrcCompletionOption o, bool on) {
    mask_ = on ? (mask_ | (1u << o)) : (mask_ & ~(1u << o));
  }
  constexpr bool operator==(const TSrcCompletionOptions&) const = default;

 private:
  std::uint32_t mask_ = 0;
};

// scoLimitToMatchedText, scoEndCharCompletion, scoCompleteWithTab, scoCompleteWithEnter.
inline constexpr TSrcCompletionOptions kDefaultCompletionOptions =
    TSrcCompletionOptions::FromMask(1668);

struct TProposalColumn {
  // The column is as wide as this word followed by a blank.
  std::string BiggestWord;
  TFontStyles DefaultFontStyle;
};
using TProposalColumns = std::vector<TProposalColumn>;

}  // namespace torvane
