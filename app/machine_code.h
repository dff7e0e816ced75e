// 查看 > 机器码(&M): the machine code beside the source. After each
// assembly the listing NASM wrote is read into the line map; a column
// between the gutter and the text shows each line's address and first
// bytes (dimmed when the line changed since), resting the mouse on it shows
// every byte and the listing's lines in the completion's hint, and the
// status bar gets the binary's size and a boot sector that runs into its
// signature. Off by default; kept as MachineCode in [View].
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/column_row_images.h"
#include "editor/line_observer.h"
#include "listing/line_track.h"
#include "view/side_column.h"

class QAction;

namespace torvane {

class TFAsmEd;
class TProposalHint;

class TMachineCode : public QObject, public ISrcEditSideColumn, public ISrcEditLineObserver {
 public:
  // Adds its item to the window's 查看 menu and reads its switch.
  explicit TMachineCode(TFAsmEd& window);
  ~TMachineCode() override;
  TMachineCode(const TMachineCode&) = delete;
  TMachineCode& operator=(const TMachineCode&) = delete;

  // The assembler ran on the current file: its listing and binary are read
  // (a missing listing leaves the column empty).
  void AssemblyFinished();

  bool Shown() const { return shown_; }
  void SetShown(bool on);
  QAction* Action() const { return action_; }
  const TListingTrack& Track() const { return track_; }
  // What the column shows on a line ("" for none) and whether it is dimmed.
  QString ColumnText(int line, bool* stale = nullptr) const;
  // The hint's lines for a line, empty without code.
  QString HintText(int line) const;
  // The status bar's text after the last assembly ("" before one).
  const QString& SizeText() const { return size_text_; }
  // The last listing read, its map (null without one).
  const std::string& ListingBytes() const { return listing_; }
  const std::shared_ptr<const TListingMap>& Map() const { return map_; }
  // The code of an expanded line of the text as the column shows it.
  TTrackedCode CodeOfLine(int line) const;
  // Where the assembly's line `assembled` of the file in the editor is now.
  int CurrentLineOf(int assembled) const;
  // After a new listing was read.
  std::function<void()> OnListingChanged;

  int Width(const TCustomSrcEdit& editor) const override;
  // Copies the row's image, drawn on first sight of its text.
  void PaintRow(TCustomSrcEdit& editor, QPainter& painter, const QRect& cell, int line,
                bool first_row) override;
  const TColumnRowImages& RowImages() const { return rows_; }

  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Clicked();
  // Follows the text now in the editor when the map lists its file.
  void AttachToCurrentFile();
  TLineText Texts() const;
  void ShowSize();
  void UpdateHint(int x, int y);

  TFAsmEd& window_;
  QAction* action_ = nullptr;
  bool shown_ = false;
  std::shared_ptr<const TListingMap> map_;
  std::string listing_;  // the listing's bytes, for the hint
  TListingTrack track_;
  int address_digits_ = 4;
  QString size_text_;
  bool out_of_date_said_ = false;
  bool out_of_date_ = false;
  std::unique_ptr<TProposalHint> hint_;
  int hint_line_ = 0;
  TColumnRowImages rows_;
};

}  // namespace torvane
