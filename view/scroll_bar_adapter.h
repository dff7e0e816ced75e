// The scroll-bar calls of the editor (get and set the scroll information,
// show a bar, enable its arrows) answered by QAbstractScrollArea's bars, or,
// in the custom style, by the application's TSrcEditScrollBar objects. The
// flat and Encarta styles draw plain bars.
#pragma once

#include "view/scroll_bars.h"
#include "view/scroll_rules.h"

class QAbstractScrollArea;
class QScrollBar;

namespace torvane {

class TScrollBarAdapter {
 public:
  TScrollBarAdapter(QAbstractScrollArea& area, const TSrcScrollBars& settings)
      : area_(area), settings_(settings) {}

  // Each answers 0 / false when the bar is unknown or, in the custom style,
  // when there is no object for it.
  bool GetScrollInfo(int bar, TScrollInfo& info) const;
  int SetScrollInfo(int bar, const TScrollInfo& info, bool redraw);
  bool ShowScrollBar(int bar, bool show);
  bool EnableScrollBar(int bar, int arrows);
  // The custom style draws no bars of its own.
  void StyleChanged();

 private:
  QScrollBar* QtBar(int bar) const;
  const TSrcEditScrollBar* CustomBar(int bar) const;
  bool UsesQtBars() const { return settings_.Style() != sbsCustom; }

  QAbstractScrollArea& area_;
  const TSrcScrollBars& settings_;
};

}  // namespace torvane
