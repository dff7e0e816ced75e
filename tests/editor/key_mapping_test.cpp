// Qt key events to virtual keys, and virtual keys back to shortcut texts.
#include <gtest/gtest.h>

#include "editor/shortcut_text.h"
#include "platform/virtual_keys.h"

namespace torvane {
namespace {

TEST(KeyMappingTest, QtKeysBecomeClassicCodes) {
  const Qt::KeyboardModifiers none;
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backspace, none), 8);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Return, none), 13);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Enter, Qt::KeypadModifier), 13);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_PageUp, none), 33);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Down, none), 40);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Delete, none), 46);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F1, none), 112);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F24, none), 135);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Z, Qt::ControlModifier), 'Z');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_0, none), '0');
  // Qt reports Shift+Tab as Backtab and shifted digits as their symbols.
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backtab, Qt::ShiftModifier), VK_TAB);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier), '1');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_ParenRight, Qt::ShiftModifier), '0');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_BraceLeft, Qt::ShiftModifier), VK_OEM_4);
  // With the X keycode the digit row is layout-free: "&" is 1 on a French
  // layout (it would be 7 on a US one), "§" is Shift+3 on a German one.
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Ampersand, Qt::ControlModifier, 10), '1');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Ampersand, Qt::ControlModifier), '7');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_section, Qt::ShiftModifier, 12), '3');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Agrave, Qt::ControlModifier, 19), '0');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Q, Qt::ControlModifier, 10), 'Q');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, Qt::NoModifier, 20), VK_OEM_MINUS);
  // Keypad keys have codes of their own, except Enter and the moves.
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_5, Qt::KeypadModifier), VK_NUMPAD0 + 5);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, Qt::KeypadModifier), VK_ADD);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, none), VK_OEM_PLUS);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Home, Qt::KeypadModifier), VK_HOME);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Adiaeresis, none), 0);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_unknown, none), 0);

  EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier | Qt::ShiftModifier), ssCtrl | ssShift);
  EXPECT_EQ(ShiftStateFromQt(Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier), ssAlt);
}

TEST(KeyMappingTest, ShortcutTexts) {
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(ShortCut('Z', ssCtrl)), "Ctrl+Z");
  EXPECT_EQ(ShortCutToText(ShortCut('Z', ssCtrl | ssShift)), "Ctrl+Shift+Z");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_BACK, ssAlt)), "Alt+Backspace");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_NEXT, 0)), "PgDown");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F1, 0)), "F1");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_NUMPAD0 + 3, 0)), "Num+3");
  EXPECT_EQ(ShortCutToText(ShortCut(200, ssCtrl)), "Ctrl+#200");
  // Every code the mapping produces names back to itself through Qt.
  for (std::uint16_t vk = 1; vk < 256; ++vk) {
    const QKeyCombination qt = QtKeyFromVirtualKey(vk);
    if (qt.key() != Qt::Key_unknown) {
      EXPECT_EQ(VirtualKeyFromQt(qt.key(), qt.keyboardModifiers()), vk) << vk;
    }
  }
}

}  // namespace
}  // namespace torvane
