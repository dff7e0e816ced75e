// The panel beside the editor while debugging: the registers (values that
// changed since the last stop in red, FLAGS with its named flags), memory
// as hex and characters at an address, a label or a register (followed
// while stepping) and the stack words at SS:SP; hex or decimal. Made when a
// session starts, hidden when it ends, so the window is as before otherwise.
#pragma once

#include <QDockWidget>
#include <functional>
#include <optional>
#include <string>

#include "debug/x86_state.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QPlainTextEdit;

namespace torvane {

class TDebugPanel : public QDockWidget {
 public:
  explicit TDebugPanel(QWidget* parent);

  // Reads `size` bytes at a linear address (throws when it cannot).
  std::function<std::string(std::uint32_t address, std::size_t size)> ReadMemory;
  // The linear address of a label of the source, if there is one.
  std::function<std::optional<std::uint32_t>(const std::string& name)> LabelAddress;

  // After a stop: shows the registers (changes against `before`), the
  // memory at the address field's place and the stack.
  void ShowStop(const TX86Registers& now, const std::optional<TX86Registers>& before);
  // The memory field's text as a linear address: hex (7C00, 0x7C00, 7C00h),
  // segment:offset (in protected mode a selector a segment register holds),
  // a register (segment DS; SS for SP and BP; CS for IP) or a label.
  // Nothing when it is none of these.
  std::optional<std::uint32_t> MemoryAddress(const QString& text, const TX86Registers& r) const;

  // A line at the panel's top: where the program stopped, why a key did
  // nothing.
  void SetNote(const QString& text);
  QString Note() const;

  QTextEdit* RegistersView() const { return registers_; }
  QLineEdit* AddressField() const { return address_; }
  QPlainTextEdit* MemoryView() const { return memory_; }
  QPlainTextEdit* StackView() const { return stack_; }
  QCheckBox* DecimalBox() const { return decimal_; }

 private:
  void Refresh();
  QString Number(std::uint32_t value, int hex_digits) const;

  QLabel* note_ = nullptr;
  QTextEdit* registers_ = nullptr;
  QLineEdit* address_ = nullptr;
  QPlainTextEdit* memory_ = nullptr;
  QPlainTextEdit* stack_ = nullptr;
  QCheckBox* decimal_ = nullptr;
  std::optional<TX86Registers> now_;
  std::optional<TX86Registers> before_;
};

}  // namespace torvane
