// Shared set-up of the document control's tests: an editor, scripted
// dialogs, a temporary directory and the message boxes the control shows.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "document/control/src_editor.h"
#include "platform/file_access.h"
#include "platform/gui/message_dialog.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {

class DocumentTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = Path(name);
    EXPECT_TRUE(WriteFileSafely(path, bytes));
    return path;
  }
  static std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  // The next message box is answered with OK and its text recorded.
  void ExpectMessage() {
    dialogs_.form_scripts.push_back([this](QDialog& form) {
      auto* box = dynamic_cast<TMessageDialog*>(&form);
      EXPECT_NE(box, nullptr);
      if (box != nullptr) {
        boxes_.push_back(box->DialogText());
        messages_.push_back(box->Message()->text());
      }
      return static_cast<int>(mrOk);
    });
  }
  void Type(const std::string& text) {
    for (char c : text) {
      editor_.ProcessCommand(ecChar, c);
    }
  }
  std::string Text() const { return editor_.Model().Lines().GetAllText(); }

  QTemporaryDir dir_;
  TScriptedDialogs dialogs_;
  TSrcEditor editor_;
  std::vector<QString> boxes_;     // what Ctrl+C would copy
  std::vector<QString> messages_;  // the label texts
};

}  // namespace torvane
