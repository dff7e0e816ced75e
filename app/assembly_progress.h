// While the assembler runs the window stays responsive: the output pane says
// that it runs, a Cancel button and the Escape key end the run, and the
// editor and the menus wait until it is over.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace torvane {

class TChildProcess;

class TAssemblyProgress : public QObject {
 public:
  TAssemblyProgress(QMainWindow& window, QWidget& editor, QPlainTextEdit& pane,
                    QPushButton& cancel_button);
  // Puts back the pane's text, the editor, the menus and the focus.
  ~TAssemblyProgress() override;
  TAssemblyProgress(const TAssemblyProgress&) = delete;
  TAssemblyProgress& operator=(const TAssemblyProgress&) = delete;

  // The program runs: shows so and offers to cancel it until this object ends.
  void Attach(TChildProcess& child, const QString& source_name);
  // Ends the run, as the Cancel button and Escape do.
  void Cancel();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMainWindow& window_;
  QWidget& editor_;
  QPlainTextEdit& pane_;
  QPushButton& cancel_button_;
  TChildProcess* child_ = nullptr;
  QString pane_text_;
  bool editor_had_focus_ = false;
  std::vector<QPointer<QAction>> disabled_actions_;
};

}  // namespace torvane
