// Shared set-up of the application tests: a temporary start-up directory that
// is also the current directory, scripted dialogs, and file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "platform/file_access.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {

// What the title-bar button does to a modal form (scripted forms are not
// shown, and closing a hidden dialog does nothing).
inline void CloseWithTitleBarButton(QDialog& form) {
  form.show();
  form.close();
}

class AppTest : public ::testing::Test {
 protected:
  AppTest() : old_dir_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~AppTest() override { QDir::setCurrent(old_dir_); }

  std::string Dir() const { return dir_.path().toStdString(); }
  std::string Path(const std::string& name) const { return Dir() + "/" + name; }
  QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }
  void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileSafely(path, bytes)) << path;
  }
  std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  bool Exists(const std::string& path) const { return access(path.c_str(), F_OK) == 0; }

  QTemporaryDir dir_;
  QString old_dir_;
  TScriptedDialogs dialogs_;
};

}  // namespace torvane
