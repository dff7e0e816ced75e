// Setter rules of the gutter's settings and the layout arithmetic.
#include "view/gutter.h"

#include <algorithm>
#include <cstdio>

namespace torvane {
namespace {

int DecimalDigits(std::int64_t n) {
  int digits = 1;
  for (n = n < 0 ? -n : n; n >= 10; n /= 10) {
    ++digits;
  }
  return digits;
}

QFont DefaultGutterFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setPointSize(8);
  return font;
}

}  // namespace

TSrcGutter::TSrcGutter() : font_(DefaultGutterFont()) {}

void TSrcGutter::Changed() const {
  if (OnChange) {
    OnChange();
  }
}

void TSrcGutter::CopyFrom(const TSrcGutter& source) {
  if (&source == this) {
    return;
  }
  font_ = source.font_;
  font_color_ = source.font_color_;
  color_ = source.color_;
  border_color_ = source.border_color_;
  width_ = source.width_;
  show_line_numbers_ = source.show_line_numbers_;
  digit_count_ = source.digit_count_;
  leading_zeros_ = source.leading_zeros_;
  zero_start_ = source.zero_start_;
  left_offset_ = source.left_offset_;
  right_offset_ = source.right_offset_;
  visible_ = source.visible_;
  use_font_style_ = source.use_font_style_;
  auto_size_ = source.auto_size_;
  auto_size_digit_count_ = source.auto_size_digit_count_;
  border_style_ = source.border_style_;
  line_number_start_ = source.line_number_start_;
  gradient_ = source.gradient_;
  gradient_start_color_ = source.gradient_start_color_;
  gradient_end_color_ = source.gradient_end_color_;
  gradient_steps_ = source.gradient_steps_;
  intens_ = source.intens_;
  line_modified_color_ = source.line_modified_color_;
  show_line_modified_ = source.show_line_modified_;
  line_normal_color_ = source.line_normal_color_;
  Changed();
}

void TSrcGutter::SetFont(const QFont& font) {
  if (!(font == font_)) {
    font_ = font;
    Changed();
  }
}

void TSrcGutter::SetFontColor(TColor color) {
  Store(font_color_, color);
}

void TSrcGutter::SetWidth(int width) {
  Store(width_, std::max(width, 0));
}

void TSrcGutter::SetDigitCount(int count) {
  count = std::clamp(count, kMinDigitCount, kMaxDigitCount);
  if (count != digit_count_) {
    digit_count_ = count;
    auto_size_digit_count_ = count;
    Changed();
  }
}

void TSrcGutter::SetLeftOffset(int pixels) {
  Store(left_offset_, std::max(pixels, 0));
}

void TSrcGutter::SetRightOffset(int pixels) {
  Store(right_offset_, std::max(pixels, 0));
}

void TSrcGutter::SetBorderStyle(TSrcGutterBorderStyle style) {
  border_style_ = style;
  Changed();
}

void TSrcGutter::SetLineNumberStart(int start) {
  start = std::max(start, 0);
  if (start != line_number_start_) {
    line_number_start_ = start;
    zero_start_ = start == 0;
    Changed();
  }
}

void TSrcGutter::SetGradientSteps(int steps) {
  Store(gradient_steps_, std::max(steps, kMinGradientSteps));
}

int TSrcGutter::GutterPixelWidth(int char_width) const {
  if (!visible_) {
    return 0;
  }
  if (!show_line_numbers_) {
    return width_;
  }
  return left_offset_ + right_offset_ + char_width * auto_size_digit_count_ + 4;
}

std::int64_t TSrcGutter::ShownNumber(int line) const {
  if (zero_start_) {
    return std::int64_t{line} - 1;
  }
  if (line_number_start_ > 1) {
    return std::int64_t{line} + line_number_start_ - 1;
  }
  return line;
}

void TSrcGutter::AutoSizeDigits(int line_count) {
  if (!(visible_ && show_line_numbers_)) {
    auto_size_digit_count_ = digit_count_;
    return;
  }
  // Auto-sized or not, the gutter grows for a number wider than the digit
  // count: that number would otherwise be cut at the gutter's left edge.
  // An empty document still shows line 1.
  const int digits = std::max(DecimalDigits(ShownNumber(std::max(line_count, 1))), digit_count_);
  if (digits != auto_size_digit_count_) {
    auto_size_digit_count_ = digits;
    Changed();
  }
}

std::string TSrcGutter::LineNumberText(int line) const {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%*lld", auto_size_digit_count_,
                                   static_cast<long long>(ShownNumber(line)));
  std::string text(buffer, static_cast<std::size_t>(std::max(length, 0)));
  if (leading_zeros_) {
    const std::size_t limit = static_cast<std::size_t>(auto_size_digit_count_ - 1);
    for (std::size_t i = 0; i < text.size() && i < limit && text[i] == ' '; ++i) {
      text[i] = '0';
    }
  }
  return text;
}

TGutterLayout ComputeGutterLayout(TSrcGutter& gutter, int line_count, bool code_folding,
                                  int column_width, const std::function<int()>& gutter_char_width) {
  const int minimum = (code_folding ? 12 : 0) + (gutter.ShowLineModified() ? 5 : 0);
  if (gutter.RightOffset() < minimum) {
    gutter.SetRightOffset(minimum);
  }
  if (gutter.ShowLineNumbers()) {
    gutter.AutoSizeDigits(line_count);
  }
  TGutterLayout layout;
  layout.CharWidth =
      gutter.UseFontStyle() && gutter_char_width ? gutter_char_width() : column_width;
  layout.Width = gutter.GutterPixelWidth(layout.CharWidth);
  return layout;
}

}  // namespace torvane
