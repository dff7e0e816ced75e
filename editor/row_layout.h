// The seam where word wrap plugs into the position mapping: an interface that
// maps unwrapped (column, line) pairs to screen (column, row) pairs and keeps
// itself in step with the line store. Without one, every line is one row.
#pragma once

#include "editor/positions.h"

namespace torvane {

// Implemented by the word-wrap layout. Positions passed in and out carry cell
// columns of the unwrapped line in TBufferPos::Char (the tab and cell walk is
// done by TPositionMapping before and after); indexes are 0-based lines.
class ISrcEditBufferPlugin {
 public:
  virtual ~ISrcEditBufferPlugin() = default;

  virtual TDisplayPos BufferToDisplay(TBufferPos pos) const = 0;
  virtual TBufferPos DisplayToBuffer(TDisplayPos pos) const = 0;
  virtual int WrappedRowCount() const = 0;
  virtual int RowCharCount(int row) const = 0;
  // Each returns the change in the number of rows.
  virtual int InsertLineRows(int index, int count) = 0;
  virtual int DeleteLineRows(int index, int count) = 0;
  virtual int RewrapLines(int index, int count) = 0;
  virtual void WidthChanged() = 0;
  virtual void RebuildLayout() = 0;
};

}  // namespace torvane
