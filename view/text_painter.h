// The renderer of the text area: for each painted display row it takes the
// row's line through the position mapping, cuts it into tokens, merges
// tokens that look alike into runs, splits runs at the selection and draws
// them in fixed cells through the text drawer.
#pragma once

#include <QPainter>
#include <QRect>
#include <climits>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colors.h"
#include "platform/font_styles.h"

namespace torvane {

class TSrcEditModel;
class TViewMetrics;
class TheTextDrawer;
class TSrcSelectedColor;
class TSrcActiveLine;
class TSrcRightEdge;
class TSrcLineDivider;
class TSrcEditBackground;

// One token of a line: bytes [Start, Start + Length) with its own look, or
// the row's plain look when HasAttribute is false.
struct TPaintToken {
  int Start = 0;
  int Length = 0;
  bool HasAttribute = false;
  TColor Foreground = clNone;
  TColor Background = clNone;
  TFontStyles Style;
};

// Everything a paint pass reads besides the model; references stay valid for
// the editor's lifetime.
struct TPaintSources {
  const TSrcEditModel& Model;
  const TViewMetrics& Metrics;
  TheTextDrawer& Drawer;
  const TSrcSelectedColor& SelectedColor;
  const TSrcActiveLine& ActiveLine;
  const TSrcRightEdge& RightEdge;
  const TSrcLineDivider& LineDivider;
  const TSrcEditBackground& Background;
};

// The editor's plain look and the hooks the painter calls per pass.
struct TPaintLook {
  TColor Color = clWindow;               // the control's background
  TColor FontColor = clWindowText;       // the editor font's colour
  TFontStyles FontStyle;                 // the editor font's style
  TColor WhitespaceForeground = clNone;  // the highlighter's whitespace look
  TColor WhitespaceBackground = clNone;
  bool Focused = false;
  // Fills `tokens` for a 1-based line, in order, at least those with bytes
  // in [from, to); without a highlighter one plain token.
  std::function<void(int line, std::string_view text, int from, int to,
                     std::vector<TPaintToken>& tokens)>
      CollectTokens;
  // OnSpecialLineColors: true when the line has colours of its own.
  std::function<bool(int line, TColor& foreground, TColor& background)> SpecialLineColors;
};

class TTextPainter {
 public:
  explicit TTextPainter(const TPaintSources& sources) : src_(sources) {}

  // Paints the text area part of `rect` (client coordinates, already right
  // of the gutter) for display rows first_row..last_row and columns
  // first_column..last_column.
  void PaintTextRows(QPainter& painter, const QRect& rect, int first_row, int last_row,
                     int first_column, int last_column, const TPaintLook& look);

 private:
  struct TSelectionRange {
    bool Visible = false;
    int StartColumn = 0, StartRow = 0, EndColumn = 0, EndRow = 0;
  };
  // The pending run: columns [ColStart, ColEnd) of line bytes [ByteStart, ByteEnd).
  struct TRun {
    int ColStart = 0, ColEnd = 0;
    int ByteStart = 0, ByteEnd = 0;
    TColor Foreground = clNone, Background = clNone;
    TFontStyles Style;
    bool Empty() const { return ColEnd <= ColStart; }
  };
  static constexpr int kToRowEnd = INT_MAX;

  void ComputeSelectionRange(int first_line, int last_line);
  void PaintRowsOfLines(int first_line, int last_line, int first_row, int last_row);
  void PaintRow(int row, int line, std::string_view text, bool special, TColor special_fg,
                TColor special_bg);
  // Sets row_first_col_, row_last_col_ and row_shift_ for a row of `line`.
  void RowColumns(int row, int line);
  void RowSelection(int row, std::string_view text);
  TColor EditorForeground(int line, bool caret_row) const;
  TColor EditorBackground(int line, bool caret_row) const;
  // The columns of the bytes under line columns first..last (1-based).
  void BuildColumns(int line, std::string_view text, int first, int last);
  // 0-based first cell of byte i, for col_begin_ <= i <= col_end_.
  int Col(std::size_t i) const { return columns_[i - col_begin_]; }

  // token_runs.cpp
  void AppendTokenRun(const TPaintToken& token);
  void FlushTokenRun(bool fill_to_row_end);
  void DrawRunParts(int first_column, int last_column, TColor fg, TColor bg);
  void DrawRunText(int first_column, int last_column, bool selected);
  void DrawPilcrow(int column);
  void SetRowColors(bool selected);
  int ClipLeft(int x) const;
  // x of a line column on the current row, kept in range far past the window.
  int ColumnX(long long column) const;

  // background_picture.cpp
  void DrawBackgroundPicture(const QRect& target, TColor background);
  void DrawRightEdge(int top, int bottom);

  const TPaintSources src_;
  // --- per pass
  QPainter* painter_ = nullptr;
  const TPaintLook* look_ = nullptr;
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;  // right and bottom exclusive
  int first_column_ = 1, last_column_ = 1;
  int right_edge_x_ = -1;  // -1: not in the painted rectangle
  int caret_row_ = 0;
  TSelectionRange selection_;
  std::vector<TPaintToken> tokens_;
  // The painted part of the line: bytes [col_begin_, col_end_), whole
  // characters covering the painted columns, so a paint pass of a 50 MB line
  // costs what its visible part costs. columns_[i - col_begin_] is the
  // 0-based first cell of byte i; its last entry (byte col_end_) is the line's
  // cells when col_end_ is the line's end, and beyond the painted columns
  // otherwise.
  std::vector<int> columns_;
  std::size_t col_begin_ = 0, col_end_ = 0;
  std::string draw_text_;
  std::vector<int> dot_columns_;  // blanks whose mark is drawn as a shape
  // --- per row
  std::string_view text_;
  int row_top_ = 0;
  // The row's painted line columns; a wrapped row starts row_shift_ columns
  // into its line and ends at its last cell.
  int row_first_col_ = 1, row_last_col_ = 1;
  int row_shift_ = 0;
  bool special_ = false;
  TColor normal_fg_ = clNone, normal_bg_ = clNone, sel_fg_ = clNone, sel_bg_ = clNone;
  int sel_from_ = 0, sel_to_ = 0;  // selected columns [from, to); to may be kToRowEnd
  bool wholly_selected_ = false;
  int next_column_ = 1;  // the first column not drawn yet
  TRun run_;
};

}  // namespace torvane
