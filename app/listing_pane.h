// 查看 > 列表文件(&T): the last assembly's listing in the lower area below
// the messages, read-only and coloured by column, kept in step with the
// source: the caret's line selects its listing line, a click on a listing
// line puts the caret on the source line it is about (opening an included
// file as a message jump does). Off by default; kept as ListingPane in
// [View].
#pragma once

#include <QObject>
#include <memory>

class QAction;
class QPlainTextEdit;

namespace torvane {

class TFAsmEd;
class TMachineCode;

class TListingPane : public QObject {
 public:
  TListingPane(TFAsmEd& window, TMachineCode& code);
  ~TListingPane() override;
  TListingPane(const TListingPane&) = delete;
  TListingPane& operator=(const TListingPane&) = delete;

  // A new listing was read: the pane shows it.
  void ListingChanged();
  bool Shown() const { return shown_; }
  void SetShown(bool on);
  QAction* Action() const { return action_; }
  QPlainTextEdit* Pane() const { return pane_; }
  // Selects the listing line of the caret's line (none: nothing changes).
  void FollowCaret();
  // The source line of 0-based listing line `block`: caret there; false
  // when the line is about no source line.
  bool JumpToListingLine(int block);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TFAsmEd& window_;
  TMachineCode& code_;
  QAction* action_ = nullptr;
  QPlainTextEdit* pane_ = nullptr;  // in the splitter only while shown, else ours
  QObject* pane_viewport_ = nullptr;
  QObject* editor_viewport_ = nullptr;
  bool shown_ = false;
  bool following_ = false;  // the pane's selection is being set from the caret
};

}  // namespace torvane
