// The painting options objects of the editor: selection colours, active
// line, right edge, line divider and background picture. Each setter stores
// a changed value and fires OnChange, to which the editor is bound.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>

#include "platform/colors.h"

namespace torvane {

enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
};

// The pen style a line is drawn with.
Qt::PenStyle ToQtPenStyle(TPenStyle style);

enum TSrcBackgroundRepeatMode : std::uint8_t { brmNone, brmVert, brmHori, brmAll };

// The common pattern: an OnChange notification fired once per effective
// change, and once by CopyFrom.
class TSrcViewOption {
 public:
  std::function<void()> OnChange;

 protected:
  template <typename T>
  void Store(T& field, const T& value) {
    if (field == value) {
      return;
    }
    field = value;
    Changed();
  }
  void Changed() {
    if (OnChange) {
      OnChange();
    }
  }
};

class TSrcSelectedColor : public TSrcViewOption {
 public:
  TColor Background() const { return background_; }
  TColor Foreground() const { return foreground_; }
  void SetBackground(TColor c) { Store(background_, c); }
  void SetForeground(TColor c) { Store(foreground_, c); }
  void CopyFrom(const TSrcSelectedColor& other);

 private:
  TColor background_ = clHighlight;
  TColor foreground_ = clHighlightText;
};

// The glyph of the active line lives with the gutter, which draws it.
class TSrcActiveLine : public TSrcViewOption {
 public:
  bool Visible() const { return visible_; }
  TColor Background() const { return background_; }
  TColor Foreground() const { return foreground_; }
  void SetVisible(bool v) { Store(visible_, v); }
  void SetBackground(TColor c) { Store(background_, c); }
  void SetForeground(TColor c) { Store(foreground_, c); }
  void CopyFrom(const TSrcActiveLine& other);

 private:
  bool visible_ = true;
  TColor background_ = clYellow;
  TColor foreground_ = clNavy;
};

class TSrcRightEdge : public TSrcViewOption {
 public:
  bool Visible() const { return visible_; }
  int Position() const { return position_; }
  TColor Color() const { return color_; }
  TPenStyle Style() const { return style_; }
  bool MouseMove() const { return mouse_move_; }
  void SetVisible(bool v) { Store(visible_, v); }
  void SetPosition(int column) { Store(position_, column); }
  void SetColor(TColor c) { Store(color_, c); }
  void SetStyle(TPenStyle s) { Store(style_, s); }
  void SetMouseMove(bool v) { Store(mouse_move_, v); }
  void CopyFrom(const TSrcRightEdge& other);

 private:
  bool visible_ = true;
  int position_ = 80;
  TColor color_ = clSilver;
  TPenStyle style_ = psSolid;
  bool mouse_move_ = false;
};

class TSrcLineDivider : public TSrcViewOption {
 public:
  bool Visible() const { return visible_; }
  TColor Color() const { return color_; }
  TPenStyle Style() const { return style_; }
  void SetVisible(bool v) { Store(visible_, v); }
  void SetColor(TColor c) { Store(color_, c); }
  void SetStyle(TPenStyle s) { Store(style_, s); }
  void CopyFrom(const TSrcLineDivider& other);

 private:
  bool visible_ = false;
  TColor color_ = clRed;
  TPenStyle style_ = psSolid;
};

class TSrcEditBackground : public TSrcViewOption {
 public:
  const QImage& Background() const { return background_; }
  bool Visible() const { return visible_; }
  TSrcBackgroundRepeatMode RepeatMode() const { return repeat_mode_; }
  void SetBackground(const QImage& picture);
  void SetVisible(bool v) { Store(visible_, v); }
  void SetRepeatMode(TSrcBackgroundRepeatMode m) { Store(repeat_mode_, m); }
  void CopyFrom(const TSrcEditBackground& other);
  // Visible and not empty: the picture is drawn under the text.
  bool Shows() const { return visible_ && !background_.isNull(); }

 private:
  QImage background_;
  bool visible_ = false;
  TSrcBackgroundRepeatMode repeat_mode_ = brmNone;
};

}  // namespace torvane
