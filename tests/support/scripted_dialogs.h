// A dialog service for widget tests: answers come from queues filled by the
// test, every request is recorded, and an unexpected dialog fails the test
// instead of blocking on a modal window.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gui/dialogs.h"
#include "platform/gui/message_dialog.h"

namespace torvane {

class TScriptedDialogs : public TDialogService {
 public:
  TScriptedDialogs() : scope_(*this) {}

  // Queued answers, used front first.
  std::deque<std::optional<QString>> file_answers;  // nothing = Cancel
  std::deque<int> message_answers;
  std::deque<std::function<int(QDialog&)>> form_scripts;

  // What was asked.
  std::vector<TFileDialogRequest> file_requests;
  std::vector<TMessageRequest> messages;
  std::vector<QString> form_titles;
  int beeps = 0;
  // When set, every dialog takes the keyboard as a real one does: a window
  // of its own is activated and focused while it is asked, and hidden
  // again before the answer returns (leaving no window active, as without
  // a window manager).
  bool take_focus = false;

  std::optional<QString> ChooseFile(const TFileDialogRequest& request) override {
    const FocusTaker taker(take_focus);
    file_requests.push_back(request);
    if (file_answers.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << request.title.toStdString();
      return std::nullopt;
    }
    // Taken apart rather than copied: GCC 12 at -O3 takes a copied
    // optional<QString> for "maybe uninitialized".
    const bool cancelled = !file_answers.front().has_value();
    QString answer = cancelled ? QString() : *file_answers.front();
    file_answers.pop_front();
    if (cancelled) {
      return std::nullopt;
    }
    return answer;
  }

  int ShowMessage(const TMessageRequest& request) override {
    const FocusTaker taker(take_focus);
    messages.push_back(request);
    if (request.buttons == TMsgButtons::Ok) {
      return mrOk;
    }
    if (message_answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << request.text.toStdString();
      return mrCancel;
    }
    const int answer = message_answers.front();
    message_answers.pop_front();
    return answer;
  }

  int ExecForm(QDialog& form) override {
    const FocusTaker taker(take_focus);
    form_titles.push_back(form.windowTitle());
    // An information box nobody scripted is read like a message and
    // answered with its first button; its label shows CR LF as '\n'.
    auto* box = dynamic_cast<TMessageDialog*>(&form);
    if (box != nullptr && form_scripts.empty()) {
      TMessageRequest request;
      request.caption = box->windowTitle();
      request.text = box->Message()->text().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
      request.icon = TMsgIcon::Information;
      for (const QPushButton* button : box->Buttons()) {
        request.captions << button->text();
      }
      messages.push_back(request);
      return 1;
    }
    if (form_scripts.empty()) {
      ADD_FAILURE() << "unexpected form: " << form.windowTitle().toStdString();
      return mrCancel;
    }
    auto script = std::move(form_scripts.front());
    form_scripts.pop_front();
    return script(form);
  }

  void Beep() override { ++beeps; }

  // The last message's text, for short assertions.
  QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }

 private:
  class FocusTaker {
   public:
    explicit FocusTaker(bool on) {
      if (on) {
        window_ = std::make_unique<QLineEdit>();
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        window_->setFocus();
      }
    }
    ~FocusTaker() {
      if (window_) {
        window_->hide();
      }
    }
    FocusTaker(const FocusTaker&) = delete;
    FocusTaker& operator=(const FocusTaker&) = delete;

   private:
    std::unique_ptr<QLineEdit> window_;
  };

  ScopedDialogService scope_;
};

}  // namespace torvane
