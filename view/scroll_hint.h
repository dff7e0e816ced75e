// The scroll hint: one small frameless popup shared by all editors that
// shows the top line while the thumb is dragged. It never takes focus.
#pragma once

#include <QString>

#include "platform/colors.h"

class QWidget;

namespace torvane {

struct TScrollHintPlace {
  bool Follows = false;  // beside the thumb rather than near the top
  int TrackPos = 0;      // the thumb and the bar's maximum, read back
  int RangeMax = 0;
};

// Shows `text` (cut to 255 characters) at the right edge of `client`.
void ShowScrollHint(QWidget& client, const QString& text, TColor color,
                    const TScrollHintPlace& place);
void HideScrollHint();
// The popup once it was first shown, else nullptr (for tests).
QWidget* ScrollHintWindow();

}  // namespace torvane
