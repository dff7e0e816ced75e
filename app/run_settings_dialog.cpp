// The run settings form: a grid of labelled fields and two buttons.
#include "app/run_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"

namespace torvane {
namespace {

QString FromBytes(const std::string& s) {
  return QFile::decodeName(QByteArray::fromStdString(s));
}

std::string ToBytes(const QString& s) {
  return QFile::encodeName(s).toStdString();
}

}  // namespace

TFRunSettings::TFRunSettings(const TRunSettings& settings, QWidget* parent) : TModalForm(parent) {
  setObjectName(QStringLiteral("FRunSettings"));
  setWindowTitle(QStringLiteral("运行设置"));
  auto* form = new QFormLayout;
  QemuEdit = new QLineEdit(FromBytes(settings.QemuPath), this);
  QemuEdit->setObjectName(QStringLiteral("QemuEdit"));
  QemuArgumentsEdit = new QLineEdit(FromBytes(settings.QemuArguments), this);
  QemuArgumentsEdit->setObjectName(QStringLiteral("QemuArgumentsEdit"));
  DosBoxEdit = new QLineEdit(FromBytes(settings.DosBoxPath), this);
  DosBoxEdit->setObjectName(QStringLiteral("DosBoxEdit"));
  DosBoxArgumentsEdit = new QLineEdit(FromBytes(settings.DosBoxArguments), this);
  DosBoxArgumentsEdit->setObjectName(QStringLiteral("DosBoxArgumentsEdit"));
  MemoryEdit = new QSpinBox(this);
  MemoryEdit->setObjectName(QStringLiteral("MemoryEdit"));
  MemoryEdit->setRange(1, kMaxMemoryMb);
  MemoryEdit->setSuffix(QStringLiteral(" MB"));
  MemoryEdit->setValue(settings.MemoryMb);
  DisplayCheck = new QCheckBox(QStringLiteral("显示模拟器窗口(&D)"), this);
  DisplayCheck->setObjectName(QStringLiteral("DisplayCheck"));
  DisplayCheck->setChecked(settings.ShowDisplay);
  KindCombo = new QComboBox(this);
  KindCombo->setObjectName(QStringLiteral("KindCombo"));
  KindCombo->addItem(QStringLiteral("自动（org 0x100 的源程序是 DOS 程序）"), rkAuto);
  KindCombo->addItem(QStringLiteral("引导扇区或磁盘映像（QEMU）"), rkBootImage);
  KindCombo->addItem(QStringLiteral("DOS .COM 程序（DOSBox）"), rkDosCom);
  KindCombo->setCurrentIndex(KindCombo->findData(settings.Kind));
  form->addRow(QStringLiteral("QEMU 程序："), QemuEdit);
  form->addRow(QStringLiteral("QEMU 附加参数："), QemuArgumentsEdit);
  form->addRow(QStringLiteral("DOSBox 程序："), DosBoxEdit);
  form->addRow(QStringLiteral("DOSBox 附加参数："), DosBoxArgumentsEdit);
  form->addRow(QStringLiteral("内存："), MemoryEdit);
  form->addRow(QStringLiteral("程序类型："), KindCombo);
  form->addRow(QString(), DisplayCheck);

  OkButton = new QPushButton(QStringLiteral("确定(&O)"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  CancelButton = new QPushButton(QStringLiteral("取消(&C)"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  resize(520, sizeHint().height());
  connect(CancelButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

TRunSettings TFRunSettings::Settings() const {
  TRunSettings settings;
  settings.QemuPath = ToBytes(QemuEdit->text().trimmed());
  settings.DosBoxPath = ToBytes(DosBoxEdit->text().trimmed());
  if (settings.QemuPath.empty()) {
    settings.QemuPath = kDefaultQemu;
  }
  if (settings.DosBoxPath.empty()) {
    settings.DosBoxPath = kDefaultDosBox;
  }
  settings.QemuArguments = ToBytes(QemuArgumentsEdit->text());
  settings.DosBoxArguments = ToBytes(DosBoxArgumentsEdit->text());
  settings.MemoryMb = MemoryEdit->value();
  settings.ShowDisplay = DisplayCheck->isChecked();
  settings.Kind = static_cast<TRunKindChoice>(KindCombo->currentData().toInt());
  return settings;
}

int ShowRunSettingsDialog(QWidget* parent, const std::string& settings_file) {
  TFRunSettings form(ReadRunSettings(settings_file), parent);
  QObject::connect(form.OkButton, &QPushButton::clicked, &form, [&form, settings_file] {
    RunGuarded(&form, [&] {
      WriteRunSettings(settings_file, form.Settings());
      form.accept();  // mrOk
    });
  });
  return Dialogs().ExecForm(form);
}

}  // namespace torvane
