// The find bar under the editor: a search field, an optional replace field,
// the options and a line that says what the last search did.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "editor/text_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {

class TCustomSrcEdit;
class TSrcEditFoldRange;

class TFindBar : public QWidget {
  Q_OBJECT

 public:
  TFindBar(TCustomSrcEdit& editor, QWidget* parent = nullptr);

  // Shows the bar, with the replace row when `replace`, the search field
  // filled from the selection (one line) or the word at the caret, and
  // focused.
  void Open(bool replace);
  // Hides the bar; the editor gets the focus back with the match selected.
  void Close();
  // Selects the next match from the caret (backward: before the selection)
  // and says whether the search went round; false when nothing matched.
  bool FindNext(bool backward);
  // Replaces the selection when it is a match, then finds the next one.
  bool ReplaceOne();
  // Replaces every match (in the selection when asked) in one undo group.
  int ReplaceAll();
  bool ReplaceShown() const;
  // The editor holds another text: the last result and a selection scope
  // taken from the old text go.
  void DocumentReplaced();
  // Keys the window handles itself: the fields must not take them.
  void SetWindowKeys(const QList<QKeySequence>& keys) { window_keys_ = keys; }
  // Called as the bar is about to show (true) and after it was hidden, so the
  // window can make room for it.
  std::function<void(bool shown)> OnShowChange;

  QLineEdit* FindEdit = nullptr;
  QLineEdit* ReplaceEdit = nullptr;
  QCheckBox* MatchCase = nullptr;
  QCheckBox* WholeWord = nullptr;
  QCheckBox* RegularExpression = nullptr;
  QCheckBox* InSelection = nullptr;
  QPushButton* NextButton = nullptr;
  QPushButton* PreviousButton = nullptr;
  QPushButton* ReplaceButton = nullptr;
  QPushButton* ReplaceAllButton = nullptr;
  QPushButton* CloseButton = nullptr;
  QLabel* Status = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Reads the fields into the search; an invalid pattern is reported.
  bool PreparePattern();
  // The selection as the scope of "in the selection only".
  void CaptureSelection();
  TSearchScope Scope() const;
  // Whether the selection (or the caret) lies in the scope taken before.
  bool CaretInScope() const;
  void SelectMatch(const TSearchMatch& match);
  void Say(const QString& text);
  void SayNotFound();
  // Every command here changes the editor, which the window disables while
  // the assembler runs.
  bool EditorUsable() const;
  // Collapsed blocks are expanded first, so no hidden text goes unsearched
  // (a block's lines are not in the line store while it is collapsed).
  // Gives the blocks it expanded, innermost first.
  std::vector<TSrcEditFoldRange*> ShowHiddenText();
  // Collapses again those of `blocks` that do not hide any of lines
  // first..last; the text must not have changed since they were expanded.
  void HideTextAgain(const std::vector<TSrcEditFoldRange*>& blocks, int first, int last);
  // The next match from the caret, as the search would find it with every
  // block expanded; only the blocks around it stay expanded.
  std::optional<TSearchMatch> FindAroundFolds(bool backward);
  // Whether a search from `from` to `match` went past a collapsed block.
  bool PassedHiddenText(TBufferPos from, const TSearchMatch& match, bool backward) const;

  TCustomSrcEdit& editor_;
  TTextSearch search_;
  TSearchScope selection_;  // in lines of the expanded text
  QList<QKeySequence> window_keys_;
  QList<QWidget*> replace_row_;
};

}  // namespace torvane
