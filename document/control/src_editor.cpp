// Opening and saving documents, the document properties and the byte events.
#include "document/control/src_editor.h"

#include <QFile>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <exception>
#include <string_view>

#include "completion/completion_proposal.h"
#include "completion/proposal_hint.h"
#include "document/control/document_printer.h"
#include "platform/file_access.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/file_dialog.h"
#include "platform/gui/message_dialog.h"

namespace torvane {

namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

bool EndsWithLineBreak(std::string_view bytes) {
  return !bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n');
}

// Splits at CR, LF or CR LF; a break at the very end opens no further line.
std::string WithCrLfAfterEveryLine(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      out.append(text, i, std::string::npos);
      out += "\r\n";
      break;
    }
    out.append(text, i, end - i);
    out += "\r\n";
    i = end + 1;
    if (text[end] == '\r' && i < text.size() && text[i] == '\n') {
      ++i;
    }
  }
  return out;
}

}  // namespace

QString DocumentOpenErrorText(const std::string& file_name) {
  return QStringLiteral("%1 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！")
      .arg(FromFileName(file_name));
}

QString DocumentSaveErrorText(const std::string& file_name) {
  return QStringLiteral("%1 文档保存时出错\r\n\r\n可能该文档属性是为只读被其它程序以独占方式打开！")
      .arg(FromFileName(file_name));
}

QString DocumentChangedText(const std::string& file_name) {
  return QStringLiteral(
             "%1\r\n\r\n该文档在打开或上次保存之后已被其它程序修改。\r\n"
             "要用编辑器中的内容覆盖它吗？")
      .arg(FromFileName(file_name));
}

TCustomSrcEditor::TCustomSrcEditor(QWidget* parent)
    : TSrcEditorBase(parent), controller_(&InstallController<TSrcDocumentCommands>()) {
  controller_->OnChange = [this] { TextChanged(); };
  controller_->StoredCaret = [this] { return stored_caret_; };
  controller_->OnPrint = [this](bool with_dialog) { PrintDocument(with_dialog); };
  completion_ = std::make_unique<TSrcCompletionProposal>();
  completion_->SetClBackground(clInfoBk);
  completion_->SetTimerInterval(500);
  completion_hint_ = std::make_unique<TProposalHint>(*completion_);
  SetCollapsedCodeHint(completion_hint_.get());
}

TCustomSrcEditor::~TCustomSrcEditor() {
  SetCollapsedCodeHint(nullptr);
}

bool TCustomSrcEditor::OpenDocument(const std::string& file_name, TOpenDialog* dialog,
                                    TSrcDocumentOptions options) {
  std::string name = file_name;
  if ((options & doDefine) != 0 && dialog != nullptr) {
    if (dialog->Title.isEmpty()) {
      dialog->Title = QStringLiteral("打开文档...");
    }
    if (!dialog->Execute(window())) {
      return false;
    }
    name = dialog->FileSystemName();
  }

  TFileStamp stamp;
  try {
    if (!OnLoadDocument && (options & doSelection) == 0) {
      // Nothing needs the bytes before the lines: they are split while they
      // are read.
      TSrcReadFacts facts;
      if (name.empty() || !Lines().ReadFromFileArriving(name, nullptr, &stamp, &facts)) {
        ShowInfoMessage(DocumentOpenErrorText(name));
        return false;
      }
      TakeReadFacts(name, stamp, facts);
    } else {
      std::string bytes;
      if (name.empty() || !ReadFileBytes(name, &bytes, nullptr, &stamp)) {
        ShowInfoMessage(DocumentOpenErrorText(name));
        return false;
      }
      TSrcMemoryStream stream(std::move(bytes));
      DoLoadDocument(stream, options);
      if ((options & doSelection) != 0) {
        const std::int64_t left = stream.Size() - stream.Position();
        std::string text(static_cast<std::size_t>(left > 0 ? left : 0), '\0');
        text.resize(stream.Read(text.data(), text.size()));
        controller_->InsertTextAtCaret(text);
      } else {
        const std::string& data = stream.Bytes();
        const TSrcReadFacts facts{data.size(), data.find_first_of("\r\n") != std::string::npos,
                                  EndsWithLineBreak(data)};
        Lines().ReadFromBytes(stream.TakeBytes());
        TakeReadFacts(name, stamp, facts);
      }
    }
    SetFirstVisibleRow(1);
  } catch (const std::exception&) {
    ShowInfoMessage(DocumentOpenErrorText(name));
    return false;
  }
  if ((options & doReset) != 0) {
    Adopt(name);
  }
  return true;
}

void TCustomSrcEditor::TakeReadFacts(const std::string& name, const TFileStamp& stamp,
                                     const TSrcReadFacts& facts) {
  final_line_break_ = facts.size == 0 ? unseen_final_break_ : facts.final_break;
  if (!facts.breaks_seen) {
    SetDocumentFormat(unseen_format_);
  }
  stamped_name_ = name;
  stamp_ = stamp;
}

bool TCustomSrcEditor::SaveDocument(const std::string& file_name, TSaveDialog* dialog,
                                    TSrcDocumentOptions options) {
  std::string name = file_name;
  if ((options & doDefine) != 0 && dialog != nullptr) {
    if (dialog->Title.isEmpty()) {
      dialog->Title = QStringLiteral("保存文档 %1").arg(FromFileName(file_name));
    }
    if (!dialog->Execute(window())) {
      return false;
    }
    name = dialog->FileSystemName();
  }

  if (!ConfirmOverwrite(name)) {
    return false;
  }
  bool written = false;
  TFileStamp stamp;
  try {
    if (!OnSaveDocument && (options & doSelection) == 0) {
      // Nothing needs the bytes whole: they go to the file in pieces.
      written = !name.empty() &&
                WriteFileSafely(
                    name, [this](const TByteSink& sink) { WriteDocument(sink); }, nullptr, &stamp);
    } else {
      TSrcMemoryStream stream(DocumentBytes(options));
      DoSaveDocument(stream, options);
      written = !name.empty() && WriteFileSafely(name, stream.Bytes(), nullptr, &stamp);
    }
  } catch (const std::exception&) {
    written = false;
  }
  if (!written) {
    ShowInfoMessage(DocumentSaveErrorText(name));
    return false;
  }
  stamped_name_ = name;
  stamp_ = stamp;
  if ((options & doReset) != 0) {
    Adopt(name);
  }
  return true;
}

bool TCustomSrcEditor::ConfirmOverwrite(const std::string& file_name) const {
  if (file_name.empty() || file_name != stamped_name_) {
    return true;
  }
  const TFileStamp now = StampOf(file_name);
  if (!now.exists || now.SameContent(stamp_)) {
    return true;
  }
  TMessageRequest question;
  question.parent = window();
  question.caption = QGuiApplication::applicationDisplayName();
  question.text = DocumentChangedText(file_name);
  question.icon = TMsgIcon::Warning;
  question.buttons = TMsgButtons::YesNo;
  question.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
  return Dialogs().ShowMessage(question) == mrYes;
}

std::string TCustomSrcEditor::DocumentBytes(TSrcDocumentOptions options) const {
  if ((options & doSelection) != 0) {
    return WithCrLfAfterEveryLine(Model().SelectedText());
  }
  // Room for the final break: a text of a gigabyte is then made once.
  const std::size_t spare = LineBreakOf(DocumentFormat()).size();
  std::string bytes = Model().Folds().CollapsedCount() == 0 ? Model().Lines().TextBytes(spare)
                                                            : ExpandedLines()->TextBytes(spare);
  if (WantsFinalBreak(bytes)) {
    bytes += LineBreakOf(DocumentFormat());
  }
  return bytes;
}

void TCustomSrcEditor::WriteDocument(const TByteSink& sink) const {
  std::unique_ptr<TSrcEditStringList> expanded;
  if (Model().Folds().CollapsedCount() != 0) {
    expanded = ExpandedLines();
  }
  char last = 0;
  bool any = false;
  (expanded ? *expanded : Model().Lines()).ForEachPiece([&](std::string_view piece) {
    last = piece.back();
    any = true;
    sink(piece);
  });
  if (WantsFinalBreak(std::string_view(&last, any ? 1 : 0))) {
    sink(LineBreakOf(DocumentFormat()));
  }
}

bool TCustomSrcEditor::WantsFinalBreak(std::string_view text) const {
  // The store writes no break after the last line; a last line left empty
  // already ends the text with one.
  return final_line_break_ && !EndsWithLineBreak(text) && !text.empty();
}

std::unique_ptr<TSrcEditStringList> TCustomSrcEditor::ExpandedLines() const {
  auto lines = std::make_unique<TSrcEditStringList>();
  lines->SetFileFormat(Model().Lines().FileFormat());
  lines->AppendLinesFrom(Model().Folds().ExpandedLines());
  return lines;
}

void TCustomSrcEditor::Adopt(const std::string& file_name) {
  document_name_ = file_name;
  document_state_ = smsDocument;
  MarkDocumentClean();
  DeliverPendingStatus();
}

void TCustomSrcEditor::MarkDocumentClean() {
  SetModified(false);
  Model().RaiseStatusChange(TSrcStatusChanges{scAll});
}

void TCustomSrcEditor::SetDocumentName(const std::string& name) {
  if (name != document_name_) {
    document_name_ = name;
    DeliverPendingStatus();
  }
}

void TCustomSrcEditor::SetDocumentFormat(TSrcEditFileFormat format) {
  if (format != Lines().FileFormat()) {
    Lines().SetFileFormat(format);
    DeliverPendingStatus();
  }
}

void TCustomSrcEditor::DeliverPendingStatus() {
  Model().RaiseStatusChange(TSrcStatusChanges{});
}

void TCustomSrcEditor::TextChanged() {
  stored_caret_ = CaretPos();
  if (OnChange) {
    OnChange();
  }
}

QPrinter& TCustomSrcEditor::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>();
  }
  return *printer_;
}

bool TCustomSrcEditor::PrintDocument(bool with_dialog) {
  QPrinter& printer = Printer();
  if (with_dialog) {
    QPrintDialog dialog(&printer, window());
    if (Dialogs().ExecForm(dialog) != mrOk) {
      return false;
    }
  }
  if (Model().Folds().CollapsedCount() == 0) {
    return PrintLines(Lines(), Font(), printer);
  }
  return PrintLines(*ExpandedLines(), Font(), printer);
}

void TCustomSrcEditor::DoLoadDocument(TSrcMemoryStream& stream, TSrcDocumentOptions options) {
  if (OnLoadDocument) {
    OnLoadDocument(*this, stream, options);
  }
}

void TCustomSrcEditor::DoSaveDocument(TSrcMemoryStream& stream, TSrcDocumentOptions options) {
  if (OnSaveDocument) {
    OnSaveDocument(*this, stream, options);
  }
}

void TCustomSrcEditor::DoCloseDocument() {
  if (OnCloseDocument) {
    OnCloseDocument(*this);
  }
}

}  // namespace torvane
