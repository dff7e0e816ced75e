// The editor's scroll-bar settings (TSrcScrollBars) and the component that
// answers the scroll-bar calls itself in the custom style (TSrcEditScrollBar).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/colors.h"
#include "view/scroll_rules.h"

namespace torvane {

enum TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarsStyle : std::uint8_t { sbsRegular, sbsEncarta, sbsFlat, sbsCustom };

class TSrcScrollBars;

class TSrcEditScrollBar {
 public:
  TSrcEditScrollBar() = default;
  // Clears the settings' reference to this bar.
  ~TSrcEditScrollBar();
  TSrcEditScrollBar(const TSrcEditScrollBar&) = delete;
  TSrcEditScrollBar& operator=(const TSrcEditScrollBar&) = delete;

  // Copies the four events.
  void CopyFrom(const TSrcEditScrollBar& source);
  TSrcScrollBars* ScrollBars() const { return scroll_bars_; }

  std::function<bool(TScrollInfo& info)> OnGetScrollInfo;
  std::function<int(const TScrollInfo& info, bool redraw)> OnSetScrollInfo;
  std::function<bool(bool show)> OnShowScrollBar;
  std::function<bool(int arrows)> OnEnabledScrollBar;

  // The events, answering 0 / false when they are not assigned.
  bool GetScrollInfo(TScrollInfo& info) const { return OnGetScrollInfo && OnGetScrollInfo(info); }
  int SetScrollInfo(const TScrollInfo& info, bool redraw) const {
    return OnSetScrollInfo ? OnSetScrollInfo(info, redraw) : 0;
  }
  bool ShowScrollBar(bool show) const { return OnShowScrollBar && OnShowScrollBar(show); }
  bool EnableScrollBar(int arrows) const {
    return OnEnabledScrollBar && OnEnabledScrollBar(arrows);
  }

 private:
  friend class TSrcScrollBars;
  TSrcScrollBars* scroll_bars_ = nullptr;
};

class TSrcScrollBars {
 public:
  TSrcScrollBars() = default;
  // Clears the back-references of the bars it still names.
  ~TSrcScrollBars();
  TSrcScrollBars(const TSrcScrollBars&) = delete;
  TSrcScrollBars& operator=(const TSrcScrollBars&) = delete;

  void CopyFrom(const TSrcScrollBars& source);

  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle bars);
  TScrollBarsStyle Style() const { return style_; }
  void SetStyle(TScrollBarsStyle style);
  TColor HintColor() const { return hint_color_; }
  void SetHintColor(TColor color) { hint_color_ = color; }
  TScrollHintFormat HintFormat() const { return hint_format_; }
  void SetHintFormat(TScrollHintFormat format) { hint_format_ = format; }
  // Not owned; each bar learns that it belongs to these settings.
  TSrcEditScrollBar* Vertical() const { return vertical_; }
  void SetVertical(TSrcEditScrollBar* bar) { Attach(vertical_, bar); }
  TSrcEditScrollBar* Horizontal() const { return horizontal_; }
  void SetHorizontal(TSrcEditScrollBar* bar) { Attach(horizontal_, bar); }
  bool HasHorizontal() const { return scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth; }
  bool HasVertical() const { return scroll_bars_ == ssVertical || scroll_bars_ == ssBoth; }

  std::function<void()> OnChange;

 private:
  friend class TSrcEditScrollBar;
  void Attach(TSrcEditScrollBar*& slot, TSrcEditScrollBar* bar);
  void Forget(const TSrcEditScrollBar* bar);
  void Changed() const;

  TScrollStyle scroll_bars_ = ssBoth;
  TScrollBarsStyle style_ = sbsRegular;
  TColor hint_color_ = clInfoBk;
  TScrollHintFormat hint_format_ = shfTopLineOnly;
  TSrcEditScrollBar* vertical_ = nullptr;
  TSrcEditScrollBar* horizontal_ = nullptr;
};

}  // namespace torvane
