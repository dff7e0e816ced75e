// Paints the gutter band for a range of display rows: the background (plain
// or a gradient), line numbers or dashes, offset bands, the border, marks,
// the active-line indicator, wrapped-row indicators and modified-line bars.
// It reads the editor through TGutterPaintContext and needs no widget.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/colors.h"

namespace torvane {

class TSrcEditModel;
class TSrcEditMark;
class TSrcGutter;
class TSrcBookMarkOpt;
class TSrcGlyph;
class TSrcInternalImage;
class TheTextDrawer;

// Fills `rect` with `steps` bands (clamped to 2..256) from `start` to `end`,
// left to right when horizontal, else top to bottom; the first band has the
// start colour and the last exactly the end colour.
void FillGradient(QPainter& painter, TColor start, TColor end, bool horizontal, const QRect& rect,
                  int steps);

// What a gutter pass reads from the editor.
struct TGutterPaintContext {
  const TSrcEditModel* Model = nullptr;
  const TSrcGutter* Gutter = nullptr;
  const TSrcBookMarkOpt* BookMarkOptions = nullptr;
  TheTextDrawer* Drawer = nullptr;
  const QFont* EditorFont = nullptr;  // the drawer's font outside the gutter
  TColor EditorFontColor = clWindowText;
  int GutterExtent = 0;
  int RowHeight = 1;
  int FirstVisibleRow = 1;
  int ClientHeight = 0;
  int GutterCharWidth = 0;
  bool CodeFolding = false;
  TColor FolderBarColor = clNone;
  // The active-line indicator and the wrapped-row indicator; nullptr when
  // they are not shown.
  const TSrcGlyph* ActiveLineIndicator = nullptr;
  const TSrcGlyph* WrapIndicator = nullptr;
  // Lines hidden by collapsed blocks above a line (folding plugs it in), so
  // numbers stay those of the expanded text.
  std::function<int(int line)> HiddenLinesBefore;
  // OnGutterGetText and OnGutterPaint.
  std::function<void(int line, std::string& text)> GetText;
  std::function<void(int line, int x, int y)> LinePainted;
  // Extra marks of a line, drawn after the bookmarks at x.
  std::function<void(QPainter&, int line, int x, int top)> PaintLineMarks;
};

class TGutterPainter {
 public:
  TGutterPainter();
  ~TGutterPainter();
  TGutterPainter(const TGutterPainter&) = delete;
  TGutterPainter& operator=(const TGutterPainter&) = delete;

  // Paints the part of the gutter inside `rect` for display rows
  // first_row..last_row (last_row < first_row: no rows).
  void PaintGutterArea(QPainter& painter, const QRect& rect, int first_row, int last_row,
                       const TGutterPaintContext& context);

  // The shared strip of bookmark glyphs, created on first use.
  bool HasBuiltInStrip() const { return strip_ != nullptr; }

 private:
  void PaintLineNumbers(int first_line, int last_line);
  void PaintDash(int line, int top);
  void PaintBorder();
  void PaintMarks(int first_line, int last_line);
  void PaintMarkGlyph(const TSrcEditMark& mark, int& offset, int top);
  void PaintModifiedBars();
  int RowTop(int row) const;
  QRect RowBox(int top) const;

  std::unique_ptr<TSrcInternalImage> strip_;
  // --- per pass
  QPainter* painter_ = nullptr;
  const TGutterPaintContext* ctx_ = nullptr;
  QRect rect_;
  int first_row_ = 1;
  int last_row_ = 0;
  std::vector<int> offsets_;  // x offset of the marks, per painted row
  std::vector<const TSrcEditMark*> remembered_;
};

}  // namespace torvane
