#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "platform/colors.h"
#include "platform/file_access.h"

namespace torvane {
namespace {

TEST(RegistryStoreTest, KeysValuesAndTheFileRoundTrip) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("sub/registry.ini").toStdString();
  TRegistryStore store(file);
  {
    TRegistry reg(TRegistryRoot::CurrentUser, store);
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Torvane"));
    ASSERT_TRUE(reg.OpenKey("Software\\\\Torvane\\", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Torvane");
    ASSERT_TRUE(reg.OpenKey("Comment", true));  // relative to the current key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Torvane\\Comment");
    reg.WriteInteger("Background", static_cast<int>(clNone));
    reg.WriteInteger("Foreground", static_cast<int>(clWindow));
    reg.WriteString("Text", "a \"quoted\" \\ line\nbreak");
    reg.WriteInteger("background", 7);  // names ignore case: replaces
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_TRUE(reg.KeyExists("torvane\\COMMENT"));
    EXPECT_FALSE(reg.KeyExists("Torvane\\Other"));
  }
  // A second store reads what the first wrote.
  TRegistryStore again(file);
  TRegistry reg(TRegistryRoot::CurrentUser, again);
  EXPECT_FALSE(reg.ValueExists("Background"));  // no key open yet
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Torvane\\Comment"));
  EXPECT_EQ(reg.ReadInteger("Background"), 7);
  EXPECT_EQ(static_cast<TColor>(reg.ReadInteger("Foreground")), clWindow);
  EXPECT_EQ(reg.ReadString("Text"), "a \"quoted\" \\ line\nbreak");
  EXPECT_EQ(reg.GetDataType("Text"), TRegDataType::rdString);
  EXPECT_EQ(reg.GetDataType("Missing"), TRegDataType::rdUnknown);
  EXPECT_THROW(reg.ReadInteger("Text"), ERegistryError);
  EXPECT_THROW(reg.ReadString("Background"), ERegistryError);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryError);
  EXPECT_THROW(reg.WriteInteger("X", 1), ERegistryError);  // opened read-only
  // Other roots are separate trees.
  TRegistry machine(TRegistryRoot::LocalMachine, again);
  EXPECT_FALSE(machine.KeyExists("Software\\Torvane"));
  EXPECT_TRUE(machine.OpenKeyReadOnly(""));

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, &bytes));
  EXPECT_NE(
      bytes.find("[HKEY_CURRENT_USER\\Software\\Torvane\\Comment]\n\"Background\"=dword:00000007\n"
                 "\"Foreground\"=dword:ff000005\n"),
      std::string::npos)
      << bytes;
}

TEST(RegistryStoreTest, DamagedFilesAndUnwritableStores) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("registry.ini").toStdString();
  {
    std::ofstream out(file);
    out << "junk before any key\n[HKEY_CURRENT_USER\\A]\r\n\"n\"=dword:zz\n\"s\"=\"unterminated\n"
           "\"ok\" = dword:10\n@=\"default\"\n[NOT_A_ROOT\\B]\n\"x\"=dword:1\n";
  }
  TRegistryStore store(file);
  TRegistry reg(TRegistryRoot::CurrentUser, store);
  ASSERT_TRUE(reg.OpenKey("A", false));
  EXPECT_FALSE(reg.ValueExists("n"));
  EXPECT_FALSE(reg.ValueExists("s"));
  EXPECT_EQ(reg.ReadInteger("ok"), 16);
  EXPECT_EQ(reg.ReadString(""), "default");

  // A store whose file cannot be written refuses changes and stays as it was.
  TRegistryStore blocked(dir.filePath("registry.ini/inside").toStdString());
  TRegistry nowhere(TRegistryRoot::CurrentUser, blocked);
  EXPECT_FALSE(nowhere.OpenKey("Software", true));
  EXPECT_FALSE(nowhere.KeyExists("Software"));
  ASSERT_TRUE(nowhere.OpenKey("", false));
  EXPECT_THROW(nowhere.WriteInteger("v", 1), ERegistryError);
  EXPECT_FALSE(nowhere.ValueExists("v"));
}

}  // namespace
}  // namespace torvane
