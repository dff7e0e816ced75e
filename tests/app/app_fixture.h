// Shared set-up of the application tests: a temporary start-up directory that
// is also the current directory, scripted dialogs, and file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "document/control/src_editor.h"
#include "platform/codepage.h"
#include "platform/file_access.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {

// What the title-bar button does to a modal form (scripted forms are not
// shown, and closing a hidden dialog does nothing).
inline void CloseWithTitleBarButton(QDialog& form) {
  form.show();
  form.close();
}

// Types through the editor's command path: a one-byte character is the
// character command, anything longer the input-method string.
inline void TypeText(TSrcEditor& editor, const QString& text) {
  for (const QChar c : text) {
    std::string bytes = EncodeText(QString(c));
    if (bytes.size() == 1) {
      editor.ProcessCommand(ecChar, bytes[0]);
    } else {
      editor.ProcessCommand(ecImeStr, 0, &bytes);
    }
  }
}

// The editor's text decoded, lines joined with '\n'.
inline QString EditorText(TSrcEditor& editor) {
  return DecodeText(editor.Model().Lines().GetAllText())
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The close prompt's question.
inline const QString kCloseQuestion =
    QStringLiteral("文件没有保存，直接退出将丢失修改结果。保存吗？");
// The question before New, Open or a message replace a modified text.
inline const QString kDiscardQuestion =
    QStringLiteral("文件已经修改，不保存将丢失修改结果。保存吗？");

// A menu's captions in order, "-" for a separator.
inline QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions()) {
    captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return captions;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

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
  // How often the close prompt's question (or another) was asked.
  int Questions(const QString& question = kCloseQuestion) const {
    int n = 0;
    for (const TMessageRequest& m : dialogs_.messages) {
      n += m.text == question ? 1 : 0;
    }
    return n;
  }

  QTemporaryDir dir_;
  QString old_dir_;
  TScriptedDialogs dialogs_;
};

// A main window shown and active with the keyboard in its editor, closed at
// the end without the save question.
class WindowTest : public AppTest {
 protected:
  void SetUp() override { StartWindow(); }
  void TearDown() override { CloseWindow(); }
  void StartWindow() {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    window_->SrcEditor1->setFocus();
  }
  void CloseWindow() {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
      window_.reset();
    }
  }

  std::unique_ptr<TFAsmEd> window_;
};

}  // namespace torvane
