// Command numbers and their name table.
#include "editor/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace torvane {
namespace {

TEST(CommandsTest, NameTableIsOneToOneAndRoundTrips) {
  std::set<TSrcEditorCommand> numbers;
  std::set<std::string> names;
  for (int i = 0; i < CommandNameCount; ++i) {
    const TSrcEditorCommandName& row = CommandNameAt(i);
    EXPECT_TRUE(numbers.insert(row.Command).second) << row.Name;
    EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
    EXPECT_EQ(CommandToName(row.Command), std::string_view(row.Name));
    EXPECT_EQ(NameToCommand(row.Name), row.Command);
  }
  EXPECT_EQ(CommandNameAt(0).Command, ecNone);
  EXPECT_STREQ(CommandNameAt(35).Name, "ecSelWord");
  EXPECT_STREQ(CommandNameAt(CommandNameCount - 1).Name, "ecUserFirst");
  EXPECT_THROW(CommandNameAt(CommandNameCount), std::out_of_range);
}

TEST(CommandsTest, NumbersNamesAndGaps) {
  EXPECT_EQ(NameToCommand("ecCopy"), 201);
  EXPECT_EQ(NameToCommand("ecCut"), 603);
  EXPECT_EQ(NameToCommand("ecPaste"), 604);
  EXPECT_EQ(NameToCommand("ecSelGotoXY"), 117);
  EXPECT_EQ(NameToCommand("ecGotoMarker7"), 308);
  EXPECT_EQ(NameToCommand("ecSetMarker0"), 351);
  EXPECT_EQ(NameToCommand("ecSetMarker9"), 360);
  EXPECT_EQ(NameToCommand("ecUserFirst"), 1001);
  // Names compare without regard to case.
  EXPECT_EQ(NameToCommand("ECUNDO"), ecUndo);
  EXPECT_EQ(NameToCommand("ecselectall"), ecSelectAll);
  EXPECT_EQ(NameToCommand("ecUndoX"), std::nullopt);
  EXPECT_EQ(NameToCommand(""), std::nullopt);
  EXPECT_EQ(NameToCommand("601"), std::nullopt);

  // Gaps and the focus commands have no name and show as numbers.
  for (const int gap : {200, 202, 210, 624, int{ecFocusGained}, int{ecFocusLost}, 1002}) {
    EXPECT_EQ(CommandToName(static_cast<TSrcEditorCommand>(gap)), std::nullopt) << gap;
    EXPECT_EQ(CommandToText(static_cast<TSrcEditorCommand>(gap)), std::to_string(gap));
  }
  EXPECT_EQ(CommandToText(ecDeleteLastWord), "ecDeleteLastWord");
}

}  // namespace
}  // namespace torvane
