// The file-open and file-save dialog components: properties set at design
// time (title, filter, default extension) and the chosen file name, shown
// through the dialog service.
#pragma once

#include <QString>

class QWidget;

namespace torvane {

class TFileDialog {
 public:
  explicit TFileDialog(bool save) : save_(save) {}

  QString Title;
  QString Filter;      // "description|pattern", pairs separated by '|'
  QString DefaultExt;  // "*.asm" or "asm"
  QString FileName;    // initial name before Execute, the chosen full path after

  bool IsSaveDialog() const { return save_; }
  // Shows the dialog; true and FileName set when the user chose a file.
  bool Execute(QWidget* parent);

 private:
  bool save_;
};

class TOpenDialog : public TFileDialog {
 public:
  TOpenDialog() : TFileDialog(false) {}
};

class TSaveDialog : public TFileDialog {
 public:
  TSaveDialog() : TFileDialog(true) {}
};

}  // namespace torvane
