// The stored difference lists of a key table.
#include "editor/key_strokes_store.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/ini_file.h"

namespace torvane {
namespace {

TSrcEditKeyStrokes Defaults() {
  TSrcEditKeyStrokes keys;
  keys.ResetDefaults();
  return keys;
}

// Both tables bind the same pairs to the same commands (order aside).
void ExpectSameBindings(const TSrcEditKeyStrokes& a, const TSrcEditKeyStrokes& b) {
  const TSrcKeystrokeChanges changes = KeystrokeChanges(a, b);
  EXPECT_EQ(changes.Added.Count(), 0);
  EXPECT_EQ(changes.Removed.Count(), 0);
  EXPECT_EQ(a.Count(), b.Count());
}

// A table with a rebound key, a removed key and a user-command chord.
TSrcEditKeyStrokes Customised() {
  TSrcEditKeyStrokes keys = Defaults();
  keys[keys.FindKeyBinding('Z', ssCtrl)].SetCommand(ecCommentBlock);
  keys.Delete(keys.FindKeyBinding('Y', ssCtrl));
  keys.AddBinding(1005, 'Q', ssCtrl, 'K', 0);
  return keys;
}

TEST(KeyStrokesStoreTest, DifferencesListChangedEntriesInTableOrder) {
  EXPECT_EQ(KeystrokeChanges(Defaults(), Defaults()).Added.Count(), 0);
  const TSrcEditKeyStrokes keys = Customised();
  const TSrcKeystrokeChanges changes = KeystrokeChanges(keys, Defaults());
  ASSERT_EQ(changes.Added.Count(), 2);
  EXPECT_EQ(changes.Added[0].Command(), ecCommentBlock);
  EXPECT_EQ(changes.Added[0].ShortCut(), ShortCut('Z', ssCtrl));
  EXPECT_EQ(changes.Added[1].Command(), 1005);
  EXPECT_EQ(changes.Added[1].ShortCut2(), ShortCut('K', 0));
  ASSERT_EQ(changes.Removed.Count(), 2);
  EXPECT_EQ(changes.Removed[0].Command(), ecDeleteLine);
  EXPECT_EQ(changes.Removed[1].Command(), ecUndo);

  TSrcEditKeyStrokes applied = Defaults();
  ApplyKeystrokeChanges(applied, changes);
  ExpectSameBindings(applied, keys);
}

TEST(KeyStrokesStoreTest, IniRoundTripAndBadValues) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TIniFile ini(dir.filePath("keys.ini").toStdString());
  SaveKeystrokes(ini, Customised(), Defaults());
  EXPECT_EQ(ini.ReadString("AddedKeystrokes", "Item0", ""), "ecCommentBlock,16474,0");
  EXPECT_EQ(ini.ReadString("AddedKeystrokes", "Item1", ""), "1005,16465,75");

  TSrcEditKeyStrokes loaded = Defaults();
  LoadKeystrokes(ini, loaded);
  ExpectSameBindings(loaded, Customised());

  // Saving an unchanged table leaves nothing to apply.
  SaveKeystrokes(ini, Defaults(), Defaults());
  EXPECT_FALSE(ini.SectionExists("AddedKeystrokes"));
  TSrcEditKeyStrokes plain = Defaults();
  LoadKeystrokes(ini, plain);
  ExpectSameBindings(plain, Defaults());

  // Names are read without regard to case; a removed entry only goes when it
  // still has its command.
  ini.WriteString("AddedKeystrokes", "Item0", "ECREDO, 16465 ,0");
  ini.WriteString("RemovedKeystrokes", "Item0", "ecSelectAll,16449,0");
  ini.WriteString("RemovedKeystrokes", "Item1", "ecCut,16449,0");
  TSrcEditKeyStrokes edited = Defaults();
  LoadKeystrokes(ini, edited);
  EXPECT_EQ(edited.FindKeyBinding('A', ssCtrl), -1);
  EXPECT_EQ(edited[edited.FindKeyBinding('Q', ssCtrl)].Command(), ecRedo);

  // A bad value changes nothing, even when earlier values were good.
  for (const char* bad : {"ecNoSuchCommand,1,0", "ecRedo,70000,0", "ecRedo,12", "ecRedo,1,x",
                          "ecRedo,,0", "ecRedo,1,0,"}) {
    ini.WriteString("RemovedKeystrokes", "Item2", bad);
    TSrcEditKeyStrokes keys = Defaults();
    try {
      LoadKeystrokes(ini, keys);
      ADD_FAILURE() << bad;
    } catch (const ESrcKeyError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Invalid keystroke value ") + bad);
    }
    ExpectSameBindings(keys, Defaults());
  }
}

}  // namespace
}  // namespace torvane
