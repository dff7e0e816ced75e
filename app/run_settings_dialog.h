// 运行设置…: edits [Run] of the settings file (emulator paths, extra
// arguments, memory, the emulator's display, the kind of program).
#pragma once

#include "app/modal_form.h"
#include "run/run_settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace torvane {

class TFRunSettings : public TModalForm {
 public:
  TFRunSettings(const TRunSettings& settings, QWidget* parent = nullptr);

  // The settings as the fields hold them.
  TRunSettings Settings() const;

  QLineEdit* QemuEdit = nullptr;
  QLineEdit* QemuArgumentsEdit = nullptr;
  QLineEdit* DosBoxEdit = nullptr;
  QLineEdit* DosBoxArgumentsEdit = nullptr;
  QSpinBox* MemoryEdit = nullptr;
  QCheckBox* DisplayCheck = nullptr;
  QComboBox* KindCombo = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;
};

// Shows the dialog over the settings of `settings_file` and writes them when
// the user confirms (a failed write raises "Unable to write to ..." and keeps
// the dialog open). Returns the modal result.
int ShowRunSettingsDialog(QWidget* parent, const std::string& settings_file);

}  // namespace torvane
