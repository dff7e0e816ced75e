// Colours and integers as text: names in any case, $ hexadecimal, decimal.
#include "platform/color_names.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(ColorNamesTest, NamesNumbersAndRejects) {
  EXPECT_EQ(StringToColor("clRed"), clRed);
  EXPECT_EQ(StringToColor(" CLINFOBK "), clInfoBk);
  EXPECT_EQ(StringToColor("clNone"), clNone);
  EXPECT_EQ(StringToColor("$00FF00"), clLime);
  EXPECT_EQ(StringToColor("$FF000018"), clInfoBk);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(StringToColor("clRedd"), std::nullopt);
  EXPECT_EQ(StringToColor(""), std::nullopt);
  EXPECT_EQ(StringToColor("12x"), std::nullopt);
  EXPECT_EQ(StringToInteger("$1G"), std::nullopt);
  EXPECT_EQ(StringToInteger("2147483648"), std::nullopt);
  EXPECT_EQ(StringToInteger("+42"), 42);
}

}  // namespace
}  // namespace torvane
