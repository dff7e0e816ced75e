// File dialog components on top of the dialog service.
#include "platform/gui/file_dialog.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>

#include "platform/gui/dialogs.h"

namespace torvane {

std::string ToFileSystemName(const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  struct stat st {};
  const std::size_t slash = encoded.rfind('/');
  if (encoded.empty() || ::lstat(encoded.c_str(), &st) == 0 || slash == std::string::npos) {
    return encoded;
  }
  const std::string directory = encoded.substr(0, slash + 1);
  const QString wanted = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) {
    return encoded;
  }
  std::string found;
  int matches = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (QFile::decodeName(entry->d_name) == wanted) {
      found = directory + entry->d_name;
      ++matches;
    }
  }
  ::closedir(dir);
  // Two names that decode alike cannot be told apart: open neither.
  return matches == 1 ? found : encoded;
}

bool TFileDialog::Execute(QWidget* parent) {
  TFileDialogRequest request;
  request.parent = parent;
  request.save = save_;
  request.title = Title;
  request.filter = Filter;
  request.default_ext = DefaultExt;
  request.file_name = FileName;
  request.initial_dir = InitialDir;
  const std::optional<QString> chosen = Dialogs().ChooseFile(request);
  if (!chosen || chosen->isEmpty()) {
    return false;
  }
  FileName = *chosen;
  return true;
}

}  // namespace torvane
