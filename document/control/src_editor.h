// The document editor control: the memo editor with a document name and
// state, the line-break format as a property, opening a file into the editor
// and saving its text (optionally through a file dialog), the host's byte
// events, and a set of extra editor commands.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "document/control/document_commands.h"
#include "document/control/document_types.h"
#include "document/file_format.h"
#include "editor/positions.h"
#include "platform/file_access.h"
#include "view/src_memo.h"

class QPrinter;

namespace torvane {

struct TSrcReadFacts;

class TOpenDialog;
class TProposalHint;
class TSaveDialog;
class TSrcCompletionProposal;

// The editor the document layer builds on.
using TSrcEditorBase = TSrcMemo;

// The two messages of failed file operations, lines separated by CR LF.
QString DocumentOpenErrorText(const std::string& file_name);
QString DocumentSaveErrorText(const std::string& file_name);
// The question before overwriting a file another program has changed.
QString DocumentChangedText(const std::string& file_name);

class TCustomSrcEditor : public TSrcEditorBase {
  Q_OBJECT

 public:
  explicit TCustomSrcEditor(QWidget* parent = nullptr);
  ~TCustomSrcEditor() override;

  // True when the file was read into the editor. With doDefine the dialog
  // chooses the name (an untitled dialog is titled "打开文档..."); a
  // cancelled dialog returns false with nothing changed, an unreadable file
  // or a failing load handler shows the open-error message.
  bool OpenDocument(const std::string& file_name, TOpenDialog* dialog, TSrcDocumentOptions options);
  // True when the file was written. The file is replaced only once all the
  // new bytes are on disk; any failure shows the save-error message and
  // leaves the old file as it was. When another program has changed the file
  // since this control last read or wrote it, the user is asked first; No
  // (or closing the question) returns false and writes nothing.
  bool SaveDocument(const std::string& file_name, TSaveDialog* dialog, TSrcDocumentOptions options);
  // The text counts as saved: the modified flag is cleared and every status
  // listener hears of it.
  void MarkDocumentClean();

  const std::string& DocumentName() const { return document_name_; }
  void SetDocumentName(const std::string& name);
  TSrcDocumentState DocumentState() const { return document_state_; }
  void SetDocumentState(TSrcDocumentState state) { document_state_ = state; }
  TSrcEditFileFormat DocumentFormat() const { return Model().Lines().FileFormat(); }
  void SetDocumentFormat(TSrcEditFileFormat format);
  // Whether a save ends the text with a line break: an open remembers
  // whether the file ended with one, so saving gives it back. Off at first.
  bool FinalLineBreak() const { return final_line_break_; }
  void SetFinalLineBreak(bool on) { final_line_break_ = on; }
  // What an open gives a file that shows no line break of its own: one line
  // gets `format` (sffDos at first, as the line store detects it), an empty
  // file also `final_break`, as a new document would.
  void SetUnseenLineBreaks(TSrcEditFileFormat format, bool final_break) {
    unseen_format_ = format;
    unseen_final_break_ = final_break;
  }
  // The file last read or written whole and its state then (the window
  // compares it with the disk when it gets the focus back).
  const std::string& StampedName() const { return stamped_name_; }
  const TFileStamp& Stamp() const { return stamp_; }
  // Where the caret stood at the last text change.
  TBufferPos StoredCaret() const { return stored_caret_; }

  // --- the command side ---------------------------------------------------
  TSrcDocumentCommands& Controller() { return *controller_; }
  void ProcessCommand(TSrcEditorCommand command, char ch = 0, void* data = nullptr) {
    controller_->ProcessCommand(command, ch, data);
  }
  bool Modified() const { return controller_->Modified(); }
  void SetModified(bool value) { controller_->SetModified(value); }
  // Empties the text, marks, bookmarks and undo history; clears the flag.
  void ClearAll() { controller_->ClearAll(); }
  void Undo() { controller_->Undo(); }
  void Redo() { controller_->Redo(); }
  void SelectAll() { controller_->SelectAll(); }
  // The highlighter paints and also gives the word commands their characters.
  void SetHighlighter(TSrcCustomHighlighter* highlighter) {
    TSrcEditorBase::SetHighlighter(highlighter);
    controller_->SetHighlighter(highlighter);
  }
  // After every text change, once StoredCaret holds the caret.
  std::function<void()> OnChange;

  // The printer command 906 prints on; its settings (an output file, for
  // one) stay from one print to the next.
  QPrinter& Printer();
  // Prints the document, after the print dialog when with_dialog is set;
  // false when cancelled or the printer could not be started.
  bool PrintDocument(bool with_dialog);

  // The editor's own completion proposal (hidden until used): the collapsed-
  // code hint shows through it, and once shown its shortcut opens a list.
  TSrcCompletionProposal& CompletionProposal() { return *completion_; }

  TSrcDocumentEvent OnLoadDocument;
  TSrcDocumentEvent OnSaveDocument;
  std::function<void(TCustomSrcEditor& sender)> OnCloseDocument;

 protected:
  virtual void DoLoadDocument(TSrcMemoryStream& stream, TSrcDocumentOptions options);
  virtual void DoSaveDocument(TSrcMemoryStream& stream, TSrcDocumentOptions options);
  virtual void DoCloseDocument();

 private:
  // The document with every collapsed block expanded: what saving and
  // printing write.
  std::unique_ptr<TSrcEditStringList> ExpandedLines() const;
  // The bytes a save writes (the whole text, or the selection with CR LF
  // after every line).
  std::string DocumentBytes(TSrcDocumentOptions options) const;
  // The whole text as DocumentBytes gives it, handed out in pieces.
  void WriteDocument(const TByteSink& sink) const;
  // Whether a save adds a line break after `text` (its end is enough).
  bool WantsFinalBreak(std::string_view text) const;
  void Adopt(const std::string& file_name);
  // After the lines of `name` were read: its final break, its format when
  // it had no break to tell, and its stamp.
  void TakeReadFacts(const std::string& name, const TFileStamp& stamp, const TSrcReadFacts& facts);
  // False when the file changed behind our back and the user keeps it.
  bool ConfirmOverwrite(const std::string& file_name) const;
  void DeliverPendingStatus();
  // The change step: StoredCaret first, then OnChange.
  void TextChanged();

  TSrcDocumentCommands* controller_;  // owned by the base editor
  std::unique_ptr<QPrinter> printer_;
  // Goes before the base editor, whose key chains it leaves on the way.
  std::unique_ptr<TSrcCompletionProposal> completion_;
  std::unique_ptr<TProposalHint> completion_hint_;
  std::string document_name_;
  TSrcDocumentState document_state_ = smsNormal;
  TBufferPos stored_caret_;
  bool final_line_break_ = false;
  TSrcEditFileFormat unseen_format_ = sffDos;
  bool unseen_final_break_ = false;
  // The file last read or written whole, and how it was left then.
  std::string stamped_name_;
  TFileStamp stamp_;
};

// The control as forms place it.
class TSrcEditor : public TCustomSrcEditor {
  Q_OBJECT

 public:
  using TCustomSrcEditor::TCustomSrcEditor;
};

}  // namespace torvane
