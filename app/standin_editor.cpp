// The stand-in editor: decoded lines in a QPlainTextEdit over the byte lines
// of the line store, with the document control's open and save rules.
#include "app/standin_editor.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <vector>

#include "document/src_stream.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/file_dialog.h"

namespace torvane {
namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

std::string ToFileName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

// The document control's information box: the application's title as
// caption, one button "确定(&O)".
void ShowInfoMessage(QWidget* parent, const QString& text) {
  TMessageRequest request;
  request.parent = parent;
  request.caption = QGuiApplication::applicationDisplayName();
  request.text = text;
  request.icon = TMsgIcon::Information;
  request.buttons = TMsgButtons::Ok;
  request.captions = {QStringLiteral("确定(&O)")};
  Dialogs().ShowMessage(request);
}

QString OpenErrorText(const std::string& file_name) {
  return QStringLiteral("%1 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！")
      .arg(FromFileName(file_name));
}

QString SaveErrorText(const std::string& file_name) {
  return QStringLiteral("%1 文档保存时出错\r\n\r\n可能该文档属性是为只读被其它程序以独占方式打开！")
      .arg(FromFileName(file_name));
}

}  // namespace

TStandInEditor::TStandInEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("SrcEditor1"));
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::Monospace);
  setFont(font);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
  lines_.SetFileFormat(sffDos);
}

bool TStandInEditor::OpenDocument(const std::string& file_name, TOpenDialog* dialog,
                                  TSrcDocumentOptions options) {
  std::string name = file_name;
  if ((options & doDefine) != 0) {
    if (dialog == nullptr) {
      return false;
    }
    if (dialog->Title.isEmpty()) {
      dialog->Title = QStringLiteral("打开文档...");
    }
    if (!dialog->Execute(window())) {
      return false;
    }
    name = ToFileName(dialog->FileName);
  }
  std::string bytes;
  if (name.empty() || !ReadFileBytes(name, &bytes)) {
    ShowInfoMessage(window(), OpenErrorText(name));
    return false;
  }
  const bool was_modified = Modified();
  try {
    TSrcMemoryStream stream(std::move(bytes));
    lines_.ReadFromStream(stream);
  } catch (const ESrcError&) {
    // The store refused the content (too many or too long lines).
    ShowInfoMessage(window(), OpenErrorText(name));
    return false;
  }
  ShowLines();
  SetModified(was_modified);
  verticalScrollBar()->setValue(0);
  Adopt(name, options);
  return true;
}

bool TStandInEditor::SaveDocument(const std::string& file_name, TSaveDialog* dialog,
                                  TSrcDocumentOptions options) {
  std::string name = file_name;
  if ((options & doDefine) != 0) {
    if (dialog == nullptr) {
      return false;
    }
    if (dialog->Title.isEmpty()) {
      dialog->Title = QStringLiteral("保存文档 %1").arg(FromFileName(file_name));
    }
    if (!dialog->Execute(window())) {
      return false;
    }
    name = ToFileName(dialog->FileName);
  }
  if (name.empty() || !WriteFileSafely(name, DocumentBytes())) {
    ShowInfoMessage(window(), SaveErrorText(name));
    return false;
  }
  lines_.MarkModifiedLinesSaved();
  Adopt(name, options);
  return true;
}

void TStandInEditor::Adopt(const std::string& file_name, TSrcDocumentOptions options) {
  if ((options & doReset) != 0) {
    document_name_ = file_name;
    document_state_ = smsDocument;
    SetModified(false);
  }
}

bool TStandInEditor::Modified() const {
  return document()->isModified();
}

void TStandInEditor::SetModified(bool modified) {
  document()->setModified(modified);
}

void TStandInEditor::ClearAll() {
  lines_.ClearLines();
  setPlainText(QString());  // also empties the undo history
  SetModified(false);
}

std::string TStandInEditor::DocumentBytes() {
  SyncLines();
  TSrcMemoryStream stream;
  lines_.WriteToStream(stream);
  return stream.TakeBytes();
}

void TStandInEditor::ShowLines() {
  QStringList shown;
  shown.reserve(lines_.LineCount());
  for (int i = 0; i < lines_.LineCount(); ++i) {
    shown << DecodeText(lines_.GetLine(i));
  }
  setPlainText(shown.join(QLatin1Char('\n')));
  int index = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    block.setUserState(index++);
  }
}

void TStandInEditor::SyncLines() {
  std::vector<std::string> text;
  const QTextDocument* doc = document();
  // An empty text box is an empty document, not one empty line.
  if (doc->blockCount() == 1 && doc->firstBlock().text().isEmpty()) {
    lines_.ClearLines();
    return;
  }
  // A block still showing exactly what its original line decodes to keeps
  // that line's bytes, so undecodable bytes survive an edit elsewhere. The
  // original is the line the block was shown from or, after a line break was
  // typed at its start, the line after the previous block's.
  int expected = 0;
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    const QString shown = block.text();
    int match = -1;
    for (const int candidate : {block.userState(), expected}) {
      if (candidate >= 0 && candidate < lines_.LineCount() &&
          shown == DecodeText(lines_.GetLine(candidate))) {
        match = candidate;
        break;
      }
    }
    if (match >= 0) {
      text.emplace_back(lines_.GetLine(match));
      expected = match + 1;
    } else {
      // An edited line: the lines after it still follow their own states;
      // a block split off its start may still hold the original text.
      text.push_back(EncodeText(shown));
      expected = std::max(expected, block.userState());
    }
  }
  const TSrcEditFileFormat format = lines_.FileFormat();
  lines_.ClearLines();
  lines_.AppendLinesFrom(text);
  lines_.SetFileFormat(format);
  int index = 0;
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    block.setUserState(index++);
  }
}

}  // namespace torvane
