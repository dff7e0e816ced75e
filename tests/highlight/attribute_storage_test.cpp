#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "highlight/asm_highlighter.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "tests/highlight/stub_highlighter.h"

namespace torvane {
namespace {

// Points the process-wide registry at a file in a temporary directory.
class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    TRegistryStore::SetDefaultFileName(Path("registry.ini"));
  }
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

  QTemporaryDir dir_;
};

TEST_F(StorageTest, OwnRegistryLayoutRoundTrip) {
  TSrcAsmHighlighter saved;
  saved.CommentAttri()->SetForeground(clGrayText);
  saved.CommentAttri()->SetStyle({});
  saved.KeyAttri()->SetStyle({fsBold, fsUnderline});
  saved.StringAttri()->SetBackground(clYellow);
  ASSERT_TRUE(saved.SaveAttributesToRegistry(TRegistryRoot::CurrentUser, "Software\\Torvane\\Asm"));

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Torvane\\Asm\\Reserved Word"));
  EXPECT_EQ(reg.ReadInteger("Style"), 5);
  EXPECT_EQ(reg.ReadInteger("Background"), static_cast<int>(clNone));
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Torvane\\Asm\\Comment"));
  EXPECT_EQ(static_cast<TColor>(reg.ReadInteger("Foreground")), clGrayText);

  TSrcAsmHighlighter loaded;
  int changes = 0;
  loaded.AddChangeListener({this, [&](TSrcPersistent*) { ++changes; }});
  EXPECT_TRUE(
      loaded.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\Torvane\\Asm"));
  EXPECT_EQ(loaded.CommentAttri()->Foreground(), clGrayText);
  EXPECT_EQ(loaded.CommentAttri()->Style(), TFontStyles{});
  EXPECT_EQ(loaded.KeyAttri()->Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(loaded.StringAttri()->Background(), clYellow);
  EXPECT_GT(changes, 0);

  EXPECT_FALSE(loaded.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\None"));
  StubHighlighter empty;
  EXPECT_TRUE(empty.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\Torvane"));
  EXPECT_FALSE(empty.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\None"));

  // One attribute's key missing, another holding a string: both fail, the
  // others still load.
  {
    TRegistry edit;
    ASSERT_TRUE(edit.OpenKey("Software\\Torvane\\Partial\\Number", true));
    edit.WriteInteger("Foreground", static_cast<int>(clRed));
    ASSERT_TRUE(edit.OpenKey("\\Software\\Torvane\\Partial\\Symbol", true));
    edit.WriteString("Foreground", "clBlue");
    edit.WriteInteger("Style", 1);
  }
  TSrcAsmHighlighter partial;
  EXPECT_FALSE(
      partial.LoadAttributesFromRegistry(TRegistryRoot::CurrentUser, "Software\\Torvane\\Partial"));
  EXPECT_EQ(partial.NumberAttri()->Foreground(), clRed);
  EXPECT_EQ(partial.SymbolAttri()->Foreground(), clNone);
  EXPECT_EQ(partial.SymbolAttri()->Style(), TFontStyles{fsBold});
}

TEST_F(StorageTest, IniLayoutWithAMissingSection) {
  const std::string file = Path("attrs.ini");
  TSrcAsmHighlighter saved;
  saved.CommentAttri()->SetForeground(clWindow);
  saved.KeyAttri()->SetStyle({fsBold, fsUnderline});
  ASSERT_TRUE(saved.SaveAttributesToIni(file));
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadString("Comment", "Foreground", ""), "-16777211");
  EXPECT_EQ(ini.ReadString("Comment", "Background", ""), "536870911");
  EXPECT_EQ(ini.ReadString("Reserved Word", "Style", ""), "5");

  ini.EraseSection("Space");
  ini.WriteString("Number", "Foreground", "not a number");
  ini.WriteString("String", "Style", "10");
  TSrcAsmHighlighter loaded;
  loaded.NumberAttri()->SetForeground(clRed);
  EXPECT_FALSE(loaded.LoadAttributesFromIni(file));
  EXPECT_EQ(loaded.CommentAttri()->Foreground(), clWindow);
  EXPECT_EQ(loaded.KeyAttri()->Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(loaded.NumberAttri()->Foreground(), clRed);  // unreadable: kept
  EXPECT_EQ(loaded.StringAttri()->Style(), (TFontStyles{fsItalic, fsStrikeOut}));

  // A file that cannot be written reports failure.
  EXPECT_FALSE(saved.SaveAttributesToIni(Path("attrs.ini/inside")));
  EXPECT_FALSE(loaded.LoadAttributesFromIni(Path("missing.ini")));
}

TEST_F(StorageTest, ForeignOneValueLayout) {
  {
    TRegistry edit;
    ASSERT_TRUE(edit.OpenKey("Software\\Other\\Colors", true));
    edit.WriteString("Comment", "x,y,BU,0,0,9,14");
    edit.WriteString("Defaults", "x,y,bI,1,1,99,99");
    edit.WriteString("Short", "x,y,B");
    edit.WriteString("BadIndex", "x,y,B,0,0,16,0");
    edit.WriteString("BadNumber", "x,y,B,0,0,red,0");
  }
  TSrcHighlighterAttributes a("Comment");
  ASSERT_TRUE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Colors",
                                        "Comment", true));
  EXPECT_EQ(a.Foreground(), clRed);
  EXPECT_EQ(a.Background(), clAqua);
  EXPECT_EQ(a.Style(), (TFontStyles{fsBold, fsUnderline}));
  ASSERT_TRUE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Colors",
                                        "Defaults", true));
  EXPECT_EQ(a.Foreground(), clWindowText);
  EXPECT_EQ(a.Background(), clWindow);
  EXPECT_EQ(a.Style(), TFontStyles{fsItalic});  // flags are case-sensitive

  for (const char* bad : {"Short", "BadIndex", "BadNumber", "Missing"}) {
    EXPECT_FALSE(
        a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Colors", bad, true))
        << bad;
    EXPECT_EQ(a.Foreground(), clWindowText) << bad;  // a failed load changes nothing
  }
  EXPECT_FALSE(
      a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Nowhere", "Comment", true));
}

TEST_F(StorageTest, ForeignPerKeyLayout) {
  {
    TRegistry edit;
    ASSERT_TRUE(edit.OpenKey("Software\\Other\\Keys\\Number", true));
    edit.WriteInteger("Foreground Color", 12);
    edit.WriteString("Background Color New", "$00FF00");
    edit.WriteString("Bold", "True");
    edit.WriteString("Italic", "false");
    edit.WriteString("Underline", "1");
    edit.WriteString("Default Foreground", "0");
    edit.WriteString("Default Background", "FALSE");
    ASSERT_TRUE(edit.OpenKey("\\Software\\Other\\Keys\\Named", true));
    edit.WriteString("Foreground Color New", "clred");
    edit.WriteString("Background Color New", "-16777211");
    for (const char* flag : {"Bold", "Italic", "Underline"}) {
      edit.WriteString(flag, "0");
    }
    edit.WriteString("Default Foreground", "0");
    ASSERT_TRUE(edit.OpenKey("\\Software\\Other\\Keys\\Defaults", true));
    edit.WriteInteger("Foreground Color", 0);
    edit.WriteInteger("Background Color", 0);
    for (const char* flag :
         {"Bold", "Italic", "Underline", "Default Foreground", "Default Background"}) {
      edit.WriteString(flag, "yes");
    }
  }
  TSrcHighlighterAttributes a("Number");
  ASSERT_TRUE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Keys",
                                        "Number", false));
  EXPECT_EQ(a.Foreground(), clBlue);
  EXPECT_EQ(a.Background(), clLime);
  EXPECT_EQ(a.Style(), (TFontStyles{fsBold, fsUnderline}));

  // "Default Background" missing: nothing is loaded.
  EXPECT_FALSE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Keys",
                                         "Named", false));
  EXPECT_EQ(a.Foreground(), clBlue);
  {
    TRegistry edit;
    ASSERT_TRUE(edit.OpenKey("Software\\Other\\Keys\\Named", false));
    edit.WriteString("Default Background", "0");
  }
  ASSERT_TRUE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Keys",
                                        "Named", false));
  EXPECT_EQ(a.Foreground(), clRed);
  EXPECT_EQ(a.Background(), clWindow);
  EXPECT_EQ(a.Style(), TFontStyles{});

  ASSERT_TRUE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Keys",
                                        "Defaults", false));
  EXPECT_EQ(a.Foreground(), clWindowText);
  EXPECT_EQ(a.Background(), clWindow);
  EXPECT_EQ(a.Style(), (TFontStyles{fsBold, fsItalic, fsUnderline}));
  EXPECT_FALSE(a.LoadFromForeignRegistry(TRegistryRoot::CurrentUser, "Software\\Other\\Keys",
                                         "Absent", false));
}

}  // namespace
}  // namespace torvane
