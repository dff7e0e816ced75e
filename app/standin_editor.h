// A stand-in for the document editor control until the real one exists: a
// plain text box that offers exactly the operations the main window uses
// (OpenDocument, SaveDocument, the modified flag, ClearAll) and keeps the
// file's bytes and line-break format in the line store.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <string>

#include "document/string_list.h"

namespace torvane {

class TOpenDialog;
class TSaveDialog;

// Options of OpenDocument and SaveDocument (a bit set).
enum TSrcDocumentOption : std::uint8_t {
  doSelection = 1,  // work on the selection only (not offered by the stand-in)
  doReset = 2,      // adopt the file as the editor's document
  doDefine = 4,     // let the user choose the file name in the dialog first
};
using TSrcDocumentOptions = std::uint8_t;

enum TSrcDocumentState : std::uint8_t { smsNormal, smsDocument };

class TStandInEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TStandInEditor(QWidget* parent = nullptr);

  // True when the file was read into the editor. With doDefine the dialog
  // picks the name (its FileName then holds it); a cancelled dialog or an
  // unreadable file returns false and changes nothing (the latter after the
  // open-error message). The modified flag stays as it was unless doReset.
  bool OpenDocument(const std::string& file_name, TOpenDialog* dialog, TSrcDocumentOptions options);
  // True when the file was written. The file is replaced only once all of
  // the new bytes are on disk; a failure shows the save-error message.
  bool SaveDocument(const std::string& file_name, TSaveDialog* dialog, TSrcDocumentOptions options);

  bool Modified() const;
  void SetModified(bool modified);
  // Empties the text, the undo history and the modified flag.
  void ClearAll();

  TSrcEditFileFormat DocumentFormat() const { return lines_.FileFormat(); }
  void SetDocumentFormat(TSrcEditFileFormat format) { lines_.SetFileFormat(format); }
  const std::string& DocumentName() const { return document_name_; }
  TSrcDocumentState DocumentState() const { return document_state_; }

  // The text as bytes, lines joined with the document's line break and none
  // after the last, exactly as a save writes it.
  std::string DocumentBytes();

 private:
  // Brings the line store up to date with the text box: lines the user did
  // not touch keep their original bytes, edited lines are encoded afresh.
  void SyncLines();
  void ShowLines();
  void Adopt(const std::string& file_name, TSrcDocumentOptions options);

  // Holds the bytes as last read or saved; the text box shows them decoded.
  // Each text block's user state is the index of the line it was shown from.
  TSrcEditStringList lines_;
  std::string document_name_;
  TSrcDocumentState document_state_ = smsNormal;
};

}  // namespace torvane
