// File dialog components on top of the dialog service.
#include "platform/gui/file_dialog.h"

#include "platform/gui/dialogs.h"

namespace torvane {

bool TFileDialog::Execute(QWidget* parent) {
  TFileDialogRequest request;
  request.parent = parent;
  request.save = save_;
  request.title = Title;
  request.filter = Filter;
  request.default_ext = DefaultExt;
  request.file_name = FileName;
  const std::optional<QString> chosen = Dialogs().ChooseFile(request);
  if (!chosen || chosen->isEmpty()) {
    return false;
  }
  FileName = *chosen;
  return true;
}

}  // namespace torvane
