// The completion proposal component: a popup list with its own window that
// an editor uses for the hint of a collapsed block and, once attached, as a
// completion list opened by its shortcut. TSrcBaseCompletionProposal holds
// the properties and shows and cancels the window; TSrcCompletionProposal
// attaches to editors through their key chains and command hooks and
// completes the word at the caret.
#pragma once

#include <QFont>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "completion/proposal_types.h"
#include "editor/edit_controller.h"
#include "platform/colors.h"
#include "platform/virtual_keys.h"

class QPainter;

namespace torvane {

class TCustomSrcEdit;
class TSrcBaseCompletionProposalForm;

// "MS Sans Serif" 8, the font of list items and, bold, of the title.
QFont DefaultProposalFont();

class TSrcBaseCompletionProposal : public QObject {
  Q_OBJECT

 public:
  explicit TSrcBaseCompletionProposal(QObject* parent = nullptr);
  ~TSrcBaseCompletionProposal() override;

  TSrcBaseCompletionProposalForm& Form() { return *form_; }
  const TSrcBaseCompletionProposalForm& Form() const { return *form_; }
  bool Visible() const;

  // --- properties --------------------------------------------------------
  SrcCompletionType DefaultType() const { return default_type_; }
  void SetDefaultType(SrcCompletionType type) { default_type_ = type; }
  TSrcCompletionOptions Options() const { return options_; }
  void SetOptions(TSrcCompletionOptions options);
  // Items in the formatted-text language, as document bytes.
  std::vector<std::string>& ItemList() { return item_list_; }
  const std::vector<std::string>& ItemList() const { return item_list_; }
  // With scoUseInsertList: what is compared and inserted for item i.
  std::vector<std::string>& InsertList() { return insert_list_; }
  const std::vector<std::string>& InsertList() const { return insert_list_; }
  int NbLinesInWindow() const { return nb_lines_in_window_; }
  void SetNbLinesInWindow(int lines);
  TColor ClSelect() const { return cl_select_; }
  void SetClSelect(TColor color) { cl_select_ = color; }
  TColor ClSelectedText() const { return cl_selected_text_; }
  void SetClSelectedText(TColor color) { cl_selected_text_ = color; }
  TColor ClBackground() const { return cl_background_; }
  void SetClBackground(TColor color) { cl_background_ = color; }
  TColor ClTitleBackground() const { return cl_title_background_; }
  void SetClTitleBackground(TColor color) { cl_title_background_ = color; }
  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  const std::string& EndOfTokenChr() const { return end_of_token_chr_; }
  void SetEndOfTokenChr(std::string chars) { end_of_token_chr_ = std::move(chars); }
  const std::string& TriggerChars() const { return trigger_chars_; }
  void SetTriggerChars(std::string chars) { trigger_chars_ = std::move(chars); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font) { font_ = font; }
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor color) { font_color_ = color; }
  const QFont& TitleFont() const { return title_font_; }
  void SetTitleFont(const QFont& font) { title_font_ = font; }
  TColor TitleFontColor() const { return title_font_color_; }
  void SetTitleFontColor(TColor color) { title_font_color_ = color; }
  TProposalColumns& Columns() { return columns_; }
  const TProposalColumns& Columns() const { return columns_; }
  bool Resizeable() const { return resizeable_; }
  void SetResizeable(bool on) { resizeable_ = on; }
  // 0: the height of the text in Font.
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int height) { item_height_ = height; }
  // Not owned.
  const TImageList* Images() const { return images_; }
  void SetImages(const TImageList* images) { images_ = images; }
  int Margin() const { return margin_; }
  void SetMargin(int margin) { margin_ = margin; }
  // Free for the owner: the editor keeps its hint-is-showing flag here.
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // --- showing -----------------------------------------------------------
  // Shows the items at the screen point (x, y) in the given kind; the
  // current text filters list mode.
  void ShowProposal(std::string current_text, int x, int y, SrcCompletionType kind);
  // Stops the timer, hides a visible window (its close step) and reports it.
  virtual void CancelProposal();

  // --- events ------------------------------------------------------------
  std::function<void(TSrcBaseCompletionProposal& sender, int index)> OnChange;
  std::function<void(TSrcBaseCompletionProposal& sender)> OnClose;
  std::function<void(SrcCompletionType kind, TSrcBaseCompletionProposal& sender,
                     std::string& current_input, int& x, int& y, bool& can_execute)>
      OnExecute;
  std::function<void(TSrcBaseCompletionProposal& sender, int index, const QFont& font,
                     int& item_width)>
      OnMeasureItem;
  std::function<void(TSrcBaseCompletionProposal& sender, int index, QPainter& painter,
                     const QRect& item_rect, bool& custom_draw)>
      OnPaintItem;
  std::function<void(TSrcBaseCompletionProposal& sender, int current_index, int& level,
                     int& index_to_display, char& end_token, std::string& display_string)>
      OnParameterToken;
  std::function<void(TSrcBaseCompletionProposal& sender)> OnShow;

  // --- called by the window in list mode ---------------------------------
  // Completes with the selected item; end_char 0 when no character ended
  // the word. Without an editor the window only closes.
  virtual void CompleteFromForm(char end_char, TShiftState shift);
  // Escape and the keys that end the list: the window hides, the editor
  // takes the focus back and the cancel is reported.
  virtual void CancelFromForm();
  // Runs a command in the window's editor (the keys it passes on).
  void EditorCommand(TSrcEditorCommand command, char ch = 0, void* data = nullptr);
  // The window closed: the swallow flag and similar state end with it.
  virtual void FormClosed() {}
  // A trigger character was typed into the editor from the list.
  virtual void TriggerTyped(TCustomSrcEdit*) {}

 protected:
  std::unique_ptr<TSrcBaseCompletionProposalForm> form_;

 private:
  SrcCompletionType default_type_ = ctCode;
  TSrcCompletionOptions options_ = kDefaultCompletionOptions;
  std::vector<std::string> item_list_;
  std::vector<std::string> insert_list_;
  int nb_lines_in_window_ = 8;
  TColor cl_select_ = clHighlight;
  TColor cl_selected_text_ = clHighlightText;
  TColor cl_background_ = clWindow;
  TColor cl_title_background_ = clBtnFace;
  int width_ = 260;
  std::string end_of_token_chr_ = "()[]. ";
  std::string trigger_chars_ = ".";
  std::string title_;
  QFont font_;
  TColor font_color_ = clWindowText;
  QFont title_font_;
  TColor title_font_color_ = clBtnText;
  TProposalColumns columns_;
  bool resizeable_ = true;
  int item_height_ = 0;
  const TImageList* images_ = nullptr;
  int margin_ = 2;
  int tag_ = 0;
};

// (sender, value, shift, index, end token): the value may be changed before
// it replaces the word.
using TCodeCompletionEvent =
    std::function<void(TSrcBaseCompletionProposal& sender, std::string& value, TShiftState shift,
                       int index, char end_token)>;

class TSrcCompletionProposal : public TSrcBaseCompletionProposal, private ISrcEditCommandHandler {
  Q_OBJECT

 public:
  explicit TSrcCompletionProposal(QObject* parent = nullptr);
  ~TSrcCompletionProposal() override;

  // Ctrl+Space by default.
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut) { shortcut_ = shortcut; }
  // Setting an editor attaches it (it stays attached when another is set).
  TCustomSrcEdit* Editor() const { return editor_; }
  void SetEditor(TCustomSrcEdit* editor);
  int TimerInterval() const { return timer_interval_; }
  void SetTimerInterval(int ms);

  void AttachEditor(TCustomSrcEdit* editor);
  void DetachEditor(TCustomSrcEdit* editor);
  int AttachedCount() const { return static_cast<int>(attached_.size()); }
  bool IsAttached(const TCustomSrcEdit* editor) const;

  // Opens the proposal for the word left of the editor's caret.
  void StartCompletion(TCustomSrcEdit* editor);
  // The byte where the word being completed starts.
  int CompletionStart() const { return completion_start_; }
  bool SwallowNextKey() const { return swallow_next_key_; }

  void CancelProposal() override;
  void CompleteFromForm(char end_char, TShiftState shift) override;
  void CancelFromForm() override;
  void FormClosed() override { swallow_next_key_ = false; }
  void TriggerTyped(TCustomSrcEdit* editor) override;

  TCodeCompletionEvent OnCodeCompletion;
  TCodeCompletionEvent OnAfterCodeCompletion;
  std::function<void(TSrcBaseCompletionProposal& sender)> OnCancelled;

 private:
  // The editor's chains (kbd_handler.h) and command hook.
  void EditorKeyDown(TCustomSrcEdit* editor, std::uint16_t& key, TShiftState shift);
  void EditorKeyPress(TCustomSrcEdit* editor, char& ch);
  void HookedCommand(bool after_processing, bool& handled, TSrcEditorCommand& command, char& ch,
                     void* data, void* handler_data) override;
  void EditorDestroyed(QObject* editor);
  bool IsWordChar(const TCustomSrcEdit& editor, std::string_view line, std::size_t i) const;
  std::string CompletionValue(char end_char, const std::string& selected) const;
  void TimerFired();

  TShortCut shortcut_;
  TCustomSrcEdit* editor_ = nullptr;
  int timer_interval_ = 1000;
  std::vector<TCustomSrcEdit*> attached_;
  bool swallow_next_key_ = false;
  int completion_start_ = 1;
  // Created only with scoUseBuiltInTimer.
  std::unique_ptr<QTimer> timer_;
  TCustomSrcEdit* timer_editor_ = nullptr;
};

}  // namespace torvane
