// The settings dialog's layout and handlers.
#include "app/options_dialog.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"
#include "platform/ini_file.h"

namespace torvane {

TFOptions* FOptions = nullptr;

TFOptions::TFOptions(QWidget* parent) : TModalForm(parent) {
  setObjectName(QStringLiteral("FOptions"));
  setWindowTitle(QStringLiteral("选项设置"));
  QFont form_font(QStringLiteral("宋体"));
  form_font.setPixelSize(15);
  setFont(form_font);
  setFixedSize(575, 251);
  move(98, 157);

  Label1 = new QLabel(QStringLiteral("Asm 编译器路径："), this);
  Label1->move(53, 23);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setAccessibleName(QStringLiteral("Asm 编译器路径"));
  Edit1->setGeometry(93, 45, 353, Edit1->sizeHint().height());
  Button1 = new QPushButton(QStringLiteral("…"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setAccessibleName(QStringLiteral("选择编译器"));
  Button1->setGeometry(455, 43, 31, 31);
  Button2 = new QPushButton(QStringLiteral("确定(&O)"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(418, 200, 93, 31);
  Label2 = new QLabel(QStringLiteral("编译选项："), this);
  Label2->move(53, 118);
  Label2->hide();
  Edit2 = new QLineEdit(QStringLiteral("-fbin"), this);
  Edit2->setGeometry(133, 110, 421, Edit2->sizeHint().height());
  Edit2->hide();
  for (QPushButton* button : {Button1, Button2}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  setTabOrder(Edit1, Button1);
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, Edit2);

  // Programs here have no suffix: none is added, and every file is listed.
  OpenDialog1.Filter = QStringLiteral("所有文件(*)|*");
  OpenDialog1.FileName = QStringLiteral("nasm");

  connect(Button1, &QPushButton::clicked, this,
          [this] { RunGuarded(this, [this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this,
          [this] { RunGuarded(this, [this] { Button2Click(); }); });
  FormCreate();
}

TFOptions::~TFOptions() = default;

void TFOptions::FormCreate() {
  ini_ = std::make_unique<TIniFile>(SettingsFilePath(SettingsDirectory));
  Edit1->setText(QFile::decodeName(
      QByteArray::fromStdString(ini_->ReadString(kOptionsSection, kAssemblerKey, ""))));
}

void TFOptions::Button1Click() {
  if (OpenDialog1.Execute(this)) {
    Edit1->setText(OpenDialog1.FileName);
  }
}

void TFOptions::Button2Click() {
  if (!ini_) {
    return;  // already closed
  }
  // The dialog closes only after the write succeeded; a failure raises
  // "Unable to write to ..." and leaves it open.
  ini_->WriteString(kOptionsSection, kAssemblerKey, QFile::encodeName(Edit1->text()).toStdString());
  done(mrOk);
}

void TFOptions::FormClose() {
  ini_.reset();
}

void TFOptions::done(int result) {
  FormClose();
  TModalForm::done(result);
}

int ShowOptionsDialog(QWidget* parent) {
  TFOptions form(parent);
  FOptions = &form;
  const int result = Dialogs().ExecForm(form);
  FOptions = nullptr;
  return result;
}

}  // namespace torvane
