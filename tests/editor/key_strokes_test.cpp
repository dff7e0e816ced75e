// The key binding table: default contents, lookups, duplicate checks, chords.
#include "editor/key_strokes.h"

#include <gtest/gtest.h>

#include <vector>

namespace torvane {
namespace {

constexpr TShiftState kNone = 0;
constexpr TShiftState kCtrlShift = ssCtrl | ssShift;

struct Binding {
  TSrcEditorCommand command;
  std::uint16_t key;
  TShiftState shift;
};

// The default table in its insertion order.
std::vector<Binding> DefaultBindings() {
  std::vector<Binding> b = {
      {ecUp, VK_UP, kNone},     {ecSelUp, VK_UP, ssShift},     {ecScrollUp, VK_UP, ssCtrl},
      {ecDown, VK_DOWN, kNone}, {ecSelDown, VK_DOWN, ssShift}, {ecScrollDown, VK_DOWN, ssCtrl},
  };
  const struct {
    std::uint16_t key;
    TSrcEditorCommand none, shift, ctrl, ctrlShift;
  } rows[] = {
      {VK_LEFT, ecLeft, ecSelLeft, ecWordLeft, ecSelWordLeft},
      {VK_RIGHT, ecRight, ecSelRight, ecWordRight, ecSelWordRight},
      {VK_NEXT, ecPageDown, ecSelPageDown, ecPageBottom, ecSelPageBottom},
      {VK_PRIOR, ecPageUp, ecSelPageUp, ecPageTop, ecSelPageTop},
      {VK_HOME, ecLineStart, ecSelLineStart, ecEditorTop, ecSelEditorTop},
      {VK_END, ecLineEnd, ecSelLineEnd, ecEditorBottom, ecSelEditorBottom},
  };
  for (const auto& r : rows) {
    b.push_back({r.none, r.key, kNone});
    b.push_back({r.shift, r.key, ssShift});
    b.push_back({r.ctrl, r.key, ssCtrl});
    b.push_back({r.ctrlShift, r.key, kCtrlShift});
  }
  const std::vector<Binding> rest = {
      {ecToggleMode, VK_INSERT, kNone},
      {ecCopy, VK_INSERT, ssCtrl},
      {ecCut, VK_DELETE, ssShift},
      {ecPaste, VK_INSERT, ssShift},
      {ecDeleteChar, VK_DELETE, kNone},
      {ecDeleteLastChar, VK_BACK, kNone},
      {ecDeleteLastChar, VK_BACK, ssShift},
      {ecDeleteLastWord, VK_BACK, ssCtrl},
      {ecUndo, VK_BACK, ssAlt},
      {ecRedo, VK_BACK, ssAlt | ssShift},
      {ecLineBreak, VK_RETURN, kNone},
      {ecLineBreak, VK_RETURN, ssShift},
      {ecTab, VK_TAB, kNone},
      {ecShiftTab, VK_TAB, ssShift},
      {ecContextHelp, VK_F1, kNone},
      {ecSelectAll, 'A', ssCtrl},
      {ecCopy, 'C', ssCtrl},
      {ecPaste, 'V', ssCtrl},
      {ecCut, 'X', ssCtrl},
      {ecBlockIndent, 'I', kCtrlShift},
      {ecBlockUnindent, 'U', kCtrlShift},
      {ecLineBreak, 'M', ssCtrl},
      {ecInsertLine, 'N', ssCtrl},
      {ecDeleteWord, 'T', ssCtrl},
      {ecDeleteLine, 'Y', ssCtrl},
      {ecDeleteEOL, 'Y', kCtrlShift},
      {ecUndo, 'Z', ssCtrl},
      {ecRedo, 'Z', kCtrlShift},
  };
  b.insert(b.end(), rest.begin(), rest.end());
  for (int n = 0; n <= 9; ++n) {
    b.push_back(
        {static_cast<TSrcEditorCommand>(301 + n), static_cast<std::uint16_t>('0' + n), ssCtrl});
  }
  for (int n = 0; n <= 9; ++n) {
    b.push_back(
        {static_cast<TSrcEditorCommand>(351 + n), static_cast<std::uint16_t>('0' + n), kCtrlShift});
  }
  b.push_back({ecNormalSelect, 'N', kCtrlShift});
  b.push_back({ecColumnSelect, 'C', kCtrlShift});
  b.push_back({ecLineSelect, 'L', kCtrlShift});
  b.push_back({ecMatchBracket, 'B', kCtrlShift});
  return b;
}

TSrcEditKeyStrokes Defaults() {
  TSrcEditKeyStrokes keys;
  keys.ResetDefaults();
  return keys;
}

TEST(KeyStrokesTest, DefaultTableHoldsTheBindingsInOrder) {
  const TSrcEditKeyStrokes keys = Defaults();
  const std::vector<Binding> expected = DefaultBindings();
  ASSERT_EQ(expected.size(), 82u);
  ASSERT_EQ(keys.Count(), 82);
  for (int i = 0; i < keys.Count(); ++i) {
    SCOPED_TRACE(keys[i].DisplayName());
    EXPECT_EQ(keys[i].Command(), expected[i].command) << i;
    EXPECT_EQ(keys[i].Key(), expected[i].key) << i;
    EXPECT_EQ(keys[i].Shift(), expected[i].shift) << i;
    EXPECT_EQ(keys[i].Key2(), 0) << i;  // no chords
    EXPECT_EQ(keys[i].Index(), i);
    EXPECT_EQ(keys.FindShortcutPair(keys[i].ShortCut(), 0), i) << "duplicate key";
  }
  // ResetDefaults replaces, not appends.
  TSrcEditKeyStrokes again = keys;
  again.AddBinding(ecUserFirst, 'Q', ssCtrl);
  again.ResetDefaults();
  EXPECT_EQ(again.Count(), 82);
}

TEST(KeyStrokesTest, LookupsMatchModifiersExactlyAndTakeTheFirstEntry) {
  const TSrcEditKeyStrokes keys = Defaults();
  auto command = [&](std::uint16_t key, TShiftState shift) {
    const int i = keys.FindKeyBinding(key, shift);
    return i < 0 ? ecNone : keys[i].Command();
  };
  EXPECT_EQ(command(VK_DELETE, ssShift), ecCut);
  EXPECT_EQ(command(VK_DELETE, kNone), ecDeleteChar);
  EXPECT_EQ(keys.FindKeyBinding(VK_DELETE, kCtrlShift), -1);
  EXPECT_EQ(keys.FindKeyBinding(VK_DELETE, ssCtrl), -1);
  EXPECT_EQ(command('Z', ssCtrl), ecUndo);
  EXPECT_EQ(command('Z', kCtrlShift), ecRedo);
  EXPECT_EQ(command(VK_BACK, ssAlt | ssShift), ecRedo);
  EXPECT_EQ(command('7', kCtrlShift), ecSetMarker(7));
  EXPECT_EQ(keys.FindKeyBinding('Z', kNone), -1);

  // Commands bound twice: the first entry is the earlier key.
  auto firstKeyOf = [&](TSrcEditorCommand c) {
    for (int i = 0; i < keys.Count(); ++i) {
      if (keys[i].Command() == c) {
        return keys[i].ShortCut();
      }
    }
    return TShortCut{0};
  };
  EXPECT_EQ(firstKeyOf(ecCopy), ShortCut(VK_INSERT, ssCtrl));
  EXPECT_EQ(firstKeyOf(ecLineBreak), ShortCut(VK_RETURN, kNone));
  EXPECT_EQ(firstKeyOf(ecUndo), ShortCut(VK_BACK, ssAlt));
  EXPECT_EQ(firstKeyOf(ecPaste), ShortCut(VK_INSERT, ssShift));

  // A duplicate added later never wins.
  TSrcEditKeyStrokes copy = keys;
  copy.AddBinding(ecCommentBlock, 'Z', ssCtrl);
  EXPECT_EQ(copy[copy.FindKeyBinding('Z', ssCtrl)].Command(), ecUndo);
}

TEST(KeyStrokesTest, ShortcutPacking) {
  EXPECT_EQ(ShortCut(VK_DELETE, ssShift), 0x2000 + 46);
  EXPECT_EQ(ShortCut('Z', ssCtrl), 0x4000 + 'Z');
  EXPECT_EQ(ShortCut(VK_BACK, ssAlt | ssShift), 0x8000 + 0x2000 + 8);
  EXPECT_EQ(ShortCut(0x100, kNone), 0);  // a high-byte key cannot be packed
  EXPECT_EQ(ShortCut(0x1041, ssCtrl), 0);
  const TShortCut all = ShortCut(VK_F1, ssShift | ssAlt | ssCtrl);
  EXPECT_EQ(ShortCutKey(all), VK_F1);
  EXPECT_EQ(ShortCutShift(all), ssShift | ssAlt | ssCtrl);
  EXPECT_EQ(ShortCutKey(0x1FFF), 0x1FFF);  // the low 13 bits

  TSrcEditKeyStroke entry;
  entry.SetShortCut(ShortCut('Q', ssCtrl));
  EXPECT_EQ(entry.Key(), 'Q');
  EXPECT_EQ(entry.Shift(), ssCtrl);
  entry.SetKey(0x200);
  EXPECT_EQ(entry.ShortCut(), 0);
}

TEST(KeyStrokesTest, ShortcutSettersRefuseDuplicatesAddBindingDoesNot) {
  TSrcEditKeyStrokes keys = Defaults();
  const int fresh = keys.AddBinding(ecCommentBlock, 'Q', ssCtrl);
  try {
    keys[fresh].SetShortCut(ShortCut('Z', ssCtrl));
    FAIL() << "no error";
  } catch (const ESrcKeyError& e) {
    EXPECT_STREQ(e.what(), "Shortcut already exists");
  }
  EXPECT_EQ(keys[fresh].ShortCut(), ShortCut('Q', ssCtrl));  // unchanged

  // Setting an entry's own value, and 0, is always allowed.
  EXPECT_NO_THROW(keys[fresh].SetShortCut(ShortCut('Q', ssCtrl)));
  const int undo = keys.FindKeyBinding('Z', ssCtrl);
  EXPECT_NO_THROW(keys[undo].SetShortCut(ShortCut('Z', ssCtrl)));

  // The pair decides: Ctrl+Q, K is free although Ctrl+Q alone is taken.
  const int chord = keys.AddBinding(ecMatchBracket, 'W', ssCtrl);
  keys[chord].SetShortCut2(ShortCut('K', kNone));
  keys[chord].SetShortCut(ShortCut('Q', ssCtrl));
  EXPECT_EQ(keys.FindChordBinding('Q', ssCtrl, 'K', kNone), chord);
  const int other = keys.AddBinding(ecSelWord, 'Q', ssCtrl);
  EXPECT_THROW(keys[other].SetShortCut2(ShortCut('K', kNone)), ESrcKeyError);
  EXPECT_EQ(keys[other].Key2(), 0);
  keys[other].SetShortCut2(0);
  EXPECT_NO_THROW(keys[other].SetShortCut2(0));

  // AddBinding and free-standing entries take any keys.
  const int before = keys.Count();
  keys.AddBinding(ecRedo, 'Z', ssCtrl);
  EXPECT_EQ(keys.Count(), before + 1);
  TSrcEditKeyStroke loose;
  EXPECT_NO_THROW(loose.SetShortCut(ShortCut('Z', ssCtrl)));
}

TEST(KeyStrokesTest, CopiesAndDeletionsKeepEntriesInTheirOwnTable) {
  const TSrcEditKeyStrokes source = Defaults();
  TSrcEditKeyStrokes copy;
  copy.AddBinding(ecUserFirst, 'Q', ssCtrl);
  copy.CopyFrom(source);
  ASSERT_EQ(copy.Count(), source.Count());
  for (int i = 0; i < source.Count(); ++i) {
    EXPECT_EQ(copy[i].Command(), source[i].Command());
    EXPECT_EQ(copy[i].Collection(), &copy);
    EXPECT_EQ(copy.FindKeyBinding(source[i].Key(), source[i].Shift()),
              source.FindKeyBinding(source[i].Key(), source[i].Shift()));
  }
  // The copy's duplicate checks look at the copy, and the source is untouched.
  copy.Delete(copy.FindKeyBinding('Z', ssCtrl));
  EXPECT_EQ(copy.Count(), 81);
  EXPECT_NO_THROW(copy[0].SetShortCut(ShortCut('Z', ssCtrl)));
  EXPECT_THROW(copy[1].SetShortCut(ShortCut('Z', ssCtrl)), ESrcKeyError);
  EXPECT_EQ(source[0].Key(), VK_UP);
  EXPECT_EQ(copy[40].Index(), 40);

  copy.CopyFrom(copy);  // copying onto itself keeps the table
  EXPECT_EQ(copy.Count(), 81);
  TSrcEditKeyStroke loose = copy[0];
  EXPECT_EQ(loose.Collection(), nullptr);
  EXPECT_EQ(loose.Index(), -1);
  EXPECT_THROW(copy.Items(81), ESrcKeyError);
  EXPECT_THROW(copy.Delete(-1), ESrcKeyError);
}

TEST(KeyStrokesTest, DisplayNames) {
  const TSrcEditKeyStrokes keys = Defaults();
  EXPECT_EQ(keys[keys.FindKeyBinding('Z', ssCtrl)].DisplayName(), "ecUndo - Ctrl+Z ");
  TSrcEditKeyStrokes more;
  more.AddBinding(1005, 'Q', ssCtrl, 'K', kNone);
  more.AddBinding(ecNone, 0, kNone);
  EXPECT_EQ(more[0].DisplayName(), "1005 - Ctrl+Q K");
  EXPECT_EQ(more[1].DisplayName(), "ecNone - ");
}

TEST(KeyStrokesTest, TranslateKeyTriesChordsFirstAndRemembersPrefixes) {
  TSrcEditKeyStrokes keys = Defaults();
  keys.AddBinding(ecCommentBlock, 'Q', ssCtrl, 'Z', ssCtrl);
  keys.AddBinding(ecMatchBracket, VK_SCROLL, kNone, 'B', kNone);
  TSrcEditKeyTranslator t;

  EXPECT_EQ(t.TranslateKey(keys, 'Z', ssCtrl), ecUndo);
  EXPECT_EQ(t.TranslateKey(keys, 'Q', ssCtrl), ecNone);  // unbound: a prefix
  EXPECT_EQ(t.LastKey(), 'Q');
  EXPECT_EQ(t.LastShift(), ssCtrl);
  EXPECT_EQ(t.TranslateKey(keys, 'Z', ssCtrl), ecCommentBlock);  // the chord wins
  EXPECT_EQ(t.LastKey(), 0);
  EXPECT_EQ(t.TranslateKey(keys, 'Z', ssCtrl), ecUndo);

  // A prefix followed by a key without chord falls back to the single key.
  t.TranslateKey(keys, 'Q', ssCtrl);
  EXPECT_EQ(t.TranslateKey(keys, VK_DELETE, kNone), ecDeleteChar);
  EXPECT_EQ(t.LastKey(), 0);

  // Keys outside 30…145 never become prefixes; the bounds themselves do.
  for (const std::uint16_t key : {VK_ESCAPE, std::uint16_t{29}, VK_OEM_1, std::uint16_t{146}}) {
    t.TranslateKey(keys, 'Q', ssCtrl);
    EXPECT_EQ(t.TranslateKey(keys, key, kNone), ecNone);
    EXPECT_EQ(t.LastKey(), 0) << key;
  }
  EXPECT_EQ(t.TranslateKey(keys, VK_BACK, kCtrlShift), ecNone);
  EXPECT_EQ(t.LastKey(), 0);
  t.TranslateKey(keys, 30, kNone);
  EXPECT_EQ(t.LastKey(), 30);
  t.TranslateKey(keys, VK_SCROLL, kNone);
  EXPECT_EQ(t.LastKey(), VK_SCROLL);
  EXPECT_EQ(t.TranslateKey(keys, 'B', kNone), ecMatchBracket);

  // A key Qt has no code for matches nothing, not even an entry without keys.
  keys.Add().SetCommand(ecSelectAll);
  EXPECT_EQ(t.TranslateKey(keys, 0, kNone), ecNone);
}

}  // namespace
}  // namespace torvane
