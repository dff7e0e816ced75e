// The one walk over formatted text that draws it or measures it.
#include "completion/formatted_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <limits>
#include <vector>

#include "completion/format_chunks.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/font_stock.h"  // FontStylesOf

namespace torvane {

QFont WithFontStyles(QFont font, TFontStyles styles) {
  font.setBold(styles.Contains(fsBold));
  font.setItalic(styles.Contains(fsItalic));
  font.setUnderline(styles.Contains(fsUnderline));
  font.setStrikeOut(styles.Contains(fsStrikeOut));
  return font;
}

namespace {

TFontStyles ApplyStyle(TFontStyles styles, const TFormatChunk& chunk) {
  switch (chunk.Action) {
    case fsaAdd:
      return styles.With(chunk.Style);
    case fsaRemove:
      return styles.Without(chunk.Style);
    case fsaToggle:
      return styles.Contains(chunk.Style) ? styles.Without(chunk.Style) : styles.With(chunk.Style);
  }
  return styles;
}

// Without a painter the walk only measures. Measuring applies the styles
// too, so a popup sized by it is wide enough for the bold text it draws.
int WalkFormattedText(QPainter* painter, const QFont& base_font, const QRect& rect,
                      std::string_view text, const TImageList* images,
                      const TProposalColumns* columns, bool selected) {
  std::vector<TFormatChunk> chunks;
  SplitFormatChunks(text, chunks);
  TFontStyles styles = FontStylesOf(base_font);
  std::size_t column = 0;
  const bool has_columns = columns != nullptr && !columns->empty();
  if (has_columns) {
    styles = (*columns)[0].DefaultFontStyle;
  }
  const QFont saved_font = painter != nullptr ? painter->font() : QFont();
  const QPen saved_pen = painter != nullptr ? painter->pen() : QPen();
  int x = rect.left();
  int column_start = rect.left();
  const int right = rect.right() + 1;
  for (const TFormatChunk& chunk : chunks) {
    const QFont font = WithFontStyles(base_font, styles);
    switch (chunk.Kind) {
      case fckText: {
        const QString decoded = DecodeText(chunk.Text);
        const QFontMetrics metrics(font);
        if (painter != nullptr) {
          painter->setFont(font);
          painter->drawText(QPoint(x, rect.top() + metrics.ascent()), decoded);
        }
        x += metrics.horizontalAdvance(decoded);
        break;
      }
      case fckColor:
        if (painter != nullptr && !selected && chunk.Color != clNone) {
          painter->setPen(ToQColor(chunk.Color));
        }
        break;
      case fckStyle:
        styles = ApplyStyle(styles, chunk);
        break;
      case fckColumn:
        if (has_columns && column < columns->size()) {
          const TProposalColumn& current = (*columns)[column];
          const QFontMetrics metrics(WithFontStyles(base_font, current.DefaultFontStyle));
          column_start += metrics.horizontalAdvance(DecodeText(current.BiggestWord + " "));
          x = column_start;
          ++column;
          if (column < columns->size()) {
            styles = (*columns)[column].DefaultFontStyle;
          }
        }
        break;
      case fckHSpace:
        x += chunk.Value;
        break;
      case fckImage:
        if (images != nullptr) {
          if (painter != nullptr) {
            images->Draw(*painter, chunk.Value, x, rect.top());
          }
          x += images->Width();
        }
        break;
    }
    if (x > right) {
      break;
    }
  }
  if (painter != nullptr) {
    painter->setFont(saved_font);
    painter->setPen(saved_pen);
  }
  return x;
}

}  // namespace

int DrawFormattedText(QPainter& painter, const QRect& rect, std::string_view text,
                      const TImageList* images, const TProposalColumns* columns, bool selected) {
  return WalkFormattedText(&painter, painter.font(), rect, text, images, columns, selected);
}

int MeasureFormattedText(const QFont& font, std::string_view text, const TProposalColumns* columns,
                         const TImageList* images) {
  const QRect unlimited(0, 0, std::numeric_limits<int>::max() / 2, 1);
  return WalkFormattedText(nullptr, font, unlimited, text, images, columns, false);
}

}  // namespace torvane
