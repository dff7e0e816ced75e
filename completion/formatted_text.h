// Drawing and measuring formatted popup text (completion/format_chunks.h)
// with a painter's font: colours, styles, columns, spaces and images.
#pragma once

#include <QFont>
#include <QRect>
#include <string_view>

#include "completion/proposal_types.h"

class QPainter;

namespace torvane {

// Draws `text` from the left of `rect` at its top with the painter's font
// and pen, and returns the x where it ended. Text stops once x has passed
// the right edge. A selected item keeps the pen's colour (colour commands
// are ignored); an image without an image list draws nothing.
int DrawFormattedText(QPainter& painter, const QRect& rect, std::string_view text,
                      const TImageList* images, const TProposalColumns* columns, bool selected);

// The width the same walk takes with `font`, unlimited on the right.
int MeasureFormattedText(const QFont& font, std::string_view text, const TProposalColumns* columns,
                         const TImageList* images);

// The font with the given style set in place of its own.
QFont WithFontStyles(QFont font, TFontStyles styles);

}  // namespace torvane
