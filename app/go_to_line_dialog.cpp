#include "app/go_to_line_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "platform/gui/dialogs.h"

namespace torvane {

TGoToLineDialog::TGoToLineDialog(int current, int count, QWidget* parent)
    : QDialog(parent), count_(std::max(count, 1)) {
  setObjectName(QStringLiteral("GoToLineDialog"));
  setWindowTitle(QStringLiteral("转到行"));
  auto* layout = new QGridLayout(this);
  Label = new QLabel(QStringLiteral("行号(1 - %1)：").arg(count_), this);
  Edit = new QLineEdit(QString::number(current), this);
  Edit->setObjectName(QStringLiteral("Edit"));
  // Digits only; a number past the last line is taken as the last line.
  Edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), Edit));
  Edit->selectAll();
  OkButton = new QPushButton(QStringLiteral("确定"), this);
  CancelButton = new QPushButton(QStringLiteral("取消"), this);
  OkButton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  layout->addWidget(Label, 0, 0);
  layout->addWidget(Edit, 1, 0);
  layout->addLayout(buttons, 2, 0);
  connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

int TGoToLineDialog::LineNumber() const {
  bool ok = false;
  const qlonglong n = Edit->text().toLongLong(&ok);
  if (!ok) {
    return 0;
  }
  return static_cast<int>(std::clamp<qlonglong>(n, 1, count_));
}

int AskLineNumber(QWidget* parent, int current, int count) {
  TGoToLineDialog dialog(current, count, parent);
  if (Dialogs().ExecForm(dialog) != mrOk) {
    return 0;
  }
  return dialog.LineNumber();
}

}  // namespace torvane
