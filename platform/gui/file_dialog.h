// The file-open and file-save dialog components: properties set at design
// time (title, filter, default extension) and the chosen file name, shown
// through the dialog service.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace torvane {

// The file-system bytes of a path a dialog chose. A name that is not valid in
// the file-system encoding reaches Qt decoded with replacement characters, so
// when the plainly encoded path does not exist, the one directory entry
// whose decoded name is the chosen one stands for it (its bytes unchanged).
std::string ToFileSystemName(const QString& path);

class TFileDialog {
 public:
  explicit TFileDialog(bool save) : save_(save) {}

  QString Title;
  QString Filter;      // "description|pattern", pairs separated by '|'
  QString DefaultExt;  // "*.asm" or "asm"
  QString FileName;    // initial name before Execute, the chosen full path after
  QString InitialDir;  // the folder shown first when FileName names none

  // FileName as the system calls want it (see ToFileSystemName).
  std::string FileSystemName() const { return ToFileSystemName(FileName); }

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
