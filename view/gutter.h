// The gutter's settings (TSrcGutter): what it shows, its colours and sizes,
// and the arithmetic on them: the pixel width, the auto-sized digit count,
// the text of a line number and the layout the editor applies.
#pragma once

#include <QFont>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/colors.h"

namespace torvane {

using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;

enum TSrcGutterBorderStyle : std::uint8_t { gbsNone, gbsMiddle, gbsRight };

class TSrcGutter {
 public:
  static constexpr int kMinDigitCount = 2;
  static constexpr int kMaxDigitCount = 12;
  static constexpr int kMinGradientSteps = 2;

  TSrcGutter();
  TSrcGutter(const TSrcGutter&) = delete;
  TSrcGutter& operator=(const TSrcGutter&) = delete;

  // Copies the font and every value but Cursor and the offset colours, then
  // notifies once.
  void CopyFrom(const TSrcGutter& source);

  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font);
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor color);
  TColor Color() const { return color_; }
  void SetColor(TColor color) { Store(color_, color); }
  TColor BorderColor() const { return border_color_; }
  void SetBorderColor(TColor color) { Store(border_color_, color); }
  int Width() const { return width_; }
  void SetWidth(int width);
  bool ShowLineNumbers() const { return show_line_numbers_; }
  void SetShowLineNumbers(bool show) { Store(show_line_numbers_, show); }
  int DigitCount() const { return digit_count_; }
  void SetDigitCount(int count);
  bool LeadingZeros() const { return leading_zeros_; }
  void SetLeadingZeros(bool on) { Store(leading_zeros_, on); }
  bool ZeroStart() const { return zero_start_; }
  void SetZeroStart(bool on) { Store(zero_start_, on); }
  int LeftOffset() const { return left_offset_; }
  void SetLeftOffset(int pixels);
  int RightOffset() const { return right_offset_; }
  void SetRightOffset(int pixels);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { Store(visible_, visible); }
  bool UseFontStyle() const { return use_font_style_; }
  void SetUseFontStyle(bool on) { Store(use_font_style_, on); }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool on) { Store(auto_size_, on); }
  // The digit count in use: DigitCount, or more when auto-sized.
  int AutoSizeDigitCount() const { return auto_size_digit_count_; }
  TSrcGutterBorderStyle BorderStyle() const { return border_style_; }
  // Notifies even when the style does not change.
  void SetBorderStyle(TSrcGutterBorderStyle style);
  int LineNumberStart() const { return line_number_start_; }
  // Negative values become 0; ZeroStart follows whether it is 0.
  void SetLineNumberStart(int start);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool on) { Store(gradient_, on); }
  TColor GradientStartColor() const { return gradient_start_color_; }
  void SetGradientStartColor(TColor color) { Store(gradient_start_color_, color); }
  TColor GradientEndColor() const { return gradient_end_color_; }
  void SetGradientEndColor(TColor color) { Store(gradient_end_color_, color); }
  int GradientSteps() const { return gradient_steps_; }
  void SetGradientSteps(int steps);
  // Dashes instead of the numbers that do not end in 0.
  bool Intens() const { return intens_; }
  void SetIntens(bool on) { Store(intens_, on); }
  TColor LeftOffsetColor() const { return left_offset_color_; }
  void SetLeftOffsetColor(TColor color) { Store(left_offset_color_, color); }
  TColor RightOffsetColor() const { return right_offset_color_; }
  void SetRightOffsetColor(TColor color) { Store(right_offset_color_, color); }
  TColor LineModifiedColor() const { return line_modified_color_; }
  void SetLineModifiedColor(TColor color) { Store(line_modified_color_, color); }
  bool ShowLineModified() const { return show_line_modified_; }
  void SetShowLineModified(bool on) { Store(show_line_modified_, on); }
  TColor LineNormalColor() const { return line_normal_color_; }
  void SetLineNormalColor(TColor color) { Store(line_normal_color_, color); }

  // Width in pixels for a character width: 0 when hidden, Width without line
  // numbers, else the offsets, the digits and 4 pixels.
  int GutterPixelWidth(int char_width) const;
  // Fits the digit count to the highest number shown for `line_count` lines,
  // never below DigitCount (notifies when it changes); without line numbers
  // it goes back to DigitCount silently.
  void AutoSizeDigits(int line_count);
  // The number shown for a 1-based line, right-aligned in the digit count.
  std::string LineNumberText(int line) const;
  // The number shown for a 1-based line (64-bit: a large start cannot overflow).
  std::int64_t ShownNumber(int line) const;

  std::function<void()> OnChange;

 private:
  template <typename T>
  void Store(T& field, T value) {
    if (field != value) {
      field = value;
      Changed();
    }
  }
  void Changed() const;

  QFont font_;
  TColor font_color_ = clWindowText;
  TColor color_ = clBtnFace;
  TColor border_color_ = clWindow;
  int width_ = 30;  // invariant: >= 0
  bool show_line_numbers_ = false;
  int digit_count_ = 4;  // invariant: kMinDigitCount..kMaxDigitCount
  bool leading_zeros_ = false;
  bool zero_start_ = false;
  int left_offset_ = 16;  // invariant: >= 0
  int right_offset_ = 2;  // invariant: >= 0
  TCursor cursor_ = crDefault;
  bool visible_ = true;
  bool use_font_style_ = true;
  bool auto_size_ = false;
  int auto_size_digit_count_ = 4;
  TSrcGutterBorderStyle border_style_ = gbsMiddle;
  int line_number_start_ = 1;  // invariant: >= 0
  bool gradient_ = false;
  TColor gradient_start_color_ = clWindow;
  TColor gradient_end_color_ = clBtnFace;
  int gradient_steps_ = 48;  // invariant: >= kMinGradientSteps
  bool intens_ = false;
  TColor left_offset_color_ = clNone;
  TColor right_offset_color_ = clNone;
  TColor line_modified_color_ = clYellow;
  bool show_line_modified_ = false;
  TColor line_normal_color_ = clLime;
};

// What the editor needs from the gutter's layout: its width and the
// character width of ticks and indent guides.
struct TGutterLayout {
  int Width = 0;
  int CharWidth = 0;
};

// Steps of the editor's answer to a gutter change: raises RightOffset to the
// room the fold bar (12) and the modified-line bars (5) need, sizes the
// digits for `line_count`, and measures with the gutter font's character
// width when UseFontStyle, else with the editor's column width.
TGutterLayout ComputeGutterLayout(TSrcGutter& gutter, int line_count, bool code_folding,
                                  int column_width, const std::function<int()>& gutter_char_width);

}  // namespace torvane
