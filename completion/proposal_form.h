// The popup window of a completion proposal: a frameless top-level that
// shows the items as a completion list (ctCode, which takes the keyboard),
// or as a hint or parameter list (ctHint, ctParams), which never takes the
// focus from the editor.
#pragma once

#include <QWidget>
#include <string>

#include "completion/proposal_list.h"
#include "completion/proposal_types.h"
#include "platform/virtual_keys.h"

class QScrollBar;
class QSizeGrip;

namespace torvane {

class TCustomSrcEdit;
class TSrcBaseCompletionProposal;

class TSrcBaseCompletionProposalForm : public QWidget {
  Q_OBJECT

 public:
  explicit TSrcBaseCompletionProposalForm(TSrcBaseCompletionProposal& owner);
  ~TSrcBaseCompletionProposalForm() override;

  SrcCompletionType DisplayType() const { return display_type_; }
  // Switches the window flags for the kind: only list mode may be activated.
  void SetDisplayType(SrcCompletionType kind);
  TProposalList& List() { return list_; }
  const TProposalList& List() const { return list_; }
  // The editor the window belongs to; not owned.
  TCustomSrcEdit* CurrentEditor() const { return editor_; }
  void SetCurrentEditor(TCustomSrcEdit* editor) { editor_ = editor; }

  // Measurements from the owner's fonts (taken at each show).
  void Measure();
  int EffectiveItemHeight() const { return item_height_; }
  int FontHeight() const { return font_height_; }
  int TitleHeight() const { return title_height_; }
  // The frame around list mode: the sizing frame when resizeable.
  int FrameWidth() const;

  // Sizes and places the window for its kind at the screen point, keeping
  // it on the available desktop of the screen the point lies on.
  void PlaceProposalForm(int x, int y);
  void ShowList();
  void ShowHint();
  // The close step: hides the window, copies list-mode size back to the
  // owner and fires OnClose. Nothing when hidden.
  void CloseForm();
  // Parameter lists: the part (comma-separated) shown as current.
  int CurrentParameter() const { return current_parameter_; }
  void SetCurrentParameter(int index) { current_parameter_ = index; }
  // A parameter item with its current part in bold, as drawn and measured.
  std::string FormatParameterItem(int index, const std::string& item) const;

  // One key of list mode (virtual-key code); the typed text follows through
  // TypeInList.
  void ListKeyDown(std::uint16_t key, TShiftState shift);
  void TypeInList(const std::string& text);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void PaintHint(QPainter& painter);
  void PaintList(QPainter& painter);
  void SyncScrollBar();
  QRect ItemsRect() const;
  void SelectAndNotify(int position);
  void EditorCommand(std::uint16_t command, char ch = 0);
  void TypeCharInList(char ch);

  TSrcBaseCompletionProposal& owner_;
  SrcCompletionType display_type_ = ctCode;
  TProposalList list_;
  TCustomSrcEdit* editor_ = nullptr;
  QScrollBar* scroll_bar_;
  QSizeGrip* size_grip_;
  int item_height_ = 0;
  int font_height_ = 0;
  int title_height_ = 0;
  int current_parameter_ = 0;
  bool placing_ = false;
};

}  // namespace torvane
