// Shortcut names through QKeySequence.
#include "editor/shortcut_text.h"

#include <QKeySequence>

namespace torvane {

std::string ShortCutToText(TShortCut shortcut) {
  if (shortcut == 0) {
    return {};
  }
  const TShiftState shift = ShortCutShift(shortcut);
  Qt::KeyboardModifiers modifiers;
  if ((shift & ssShift) != 0) {
    modifiers |= Qt::ShiftModifier;
  }
  if ((shift & ssCtrl) != 0) {
    modifiers |= Qt::ControlModifier;
  }
  if ((shift & ssAlt) != 0) {
    modifiers |= Qt::AltModifier;
  }
  const QKeyCombination key = QtKeyFromVirtualKey(ShortCutKey(shortcut));
  if (key.key() == Qt::Key_unknown) {
    // A code Qt has no name for still shows which key it is.
    const QString prefix = QKeySequence(QKeyCombination(modifiers, Qt::Key_A))
                               .toString(QKeySequence::NativeText)
                               .chopped(1);
    return (prefix + QStringLiteral("#%1").arg(ShortCutKey(shortcut))).toStdString();
  }
  const QKeySequence sequence(QKeyCombination(modifiers | key.keyboardModifiers(), key.key()));
  return sequence.toString(QKeySequence::NativeText).toStdString();
}

}  // namespace torvane
