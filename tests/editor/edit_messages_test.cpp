// Character indexes and the bounded buffer copies of the edit messages.
#include "editor/edit_messages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document/string_list.h"

namespace torvane {
namespace {

TEST(EditMessagesTest, CharIndexesCountTwoForEachLineBreak) {
  TSrcEditStringList lines;
  lines.AppendLine("ab");
  lines.AppendLine("c");
  EXPECT_EQ(CharIndexToPos(lines, 4), (TBufferPos{1, 2}));
  EXPECT_EQ(CharIndexToPos(lines, 2), (TBufferPos{3, 1}));  // the CR LF belongs to line 1
  EXPECT_EQ(CharIndexToPos(lines, 0), (TBufferPos{1, 1}));
  EXPECT_EQ(CharIndexToPos(lines, -1), (TBufferPos{0, 1}));
  EXPECT_EQ(CharIndexToPos(lines, 7), (TBufferPos{1, 3}));  // beyond the text
  EXPECT_EQ(PosToCharIndex(lines, {2, 2}), 5);
  EXPECT_EQ(PosToCharIndex(lines, {1, 9}), 7);  // only lines that exist count
  for (std::int64_t i = 0; i < 7; ++i) {
    if (i == 3) {
      continue;  // inside the CR LF: maps onto the line's end + 1
    }
    EXPECT_EQ(PosToCharIndex(lines, CharIndexToPos(lines, i)), i);
  }
  EXPECT_EQ(MakeResult(5, 5), 5 | (5 << 16));
  EXPECT_EQ(MakeResult(0x12345, 1), 0x2345 | (1 << 16));
}

TEST(EditMessagesTest, GetLineNeverWritesPastTheCallersBuffer) {
  TSrcEditStringList lines;
  lines.AppendLine("mov ax, bx");
  lines.AppendLine("");
  lines.AppendLine("ret");

  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  const std::uint16_t five = 5;
  std::memcpy(buffer, &five, sizeof five);
  EXPECT_EQ(GetLineMessage(lines, 0, buffer), 4);
  EXPECT_STREQ(buffer, "mov ");
  EXPECT_EQ(buffer[5], '#');  // nothing after the 5 characters it holds

  std::memcpy(buffer, &five, sizeof five);
  EXPECT_EQ(GetLineMessage(lines, 2, buffer), 3);
  EXPECT_STREQ(buffer, "ret");

  // Lines outside the text, a zero-sized and a null buffer copy nothing.
  std::memset(buffer, '#', sizeof buffer);
  std::memcpy(buffer, &five, sizeof five);
  EXPECT_EQ(GetLineMessage(lines, 4, buffer), 0);
  EXPECT_EQ(GetLineMessage(lines, -1, buffer), 0);
  EXPECT_EQ(buffer[2], '#');
  const std::uint16_t zero = 0;
  std::memcpy(buffer, &zero, sizeof zero);
  EXPECT_EQ(GetLineMessage(lines, 0, buffer), 0);
  EXPECT_EQ(buffer[2], '#');
  EXPECT_EQ(GetLineMessage(lines, 0, nullptr), 0);

  // A heap buffer of exactly the stated size: the sanitizer catches any
  // write beyond it.
  auto* exact = new char[3];
  const std::uint16_t three = 3;
  std::memcpy(exact, &three, sizeof three);
  EXPECT_EQ(GetLineMessage(lines, 0, exact), 2);
  EXPECT_STREQ(exact, "mo");
  delete[] exact;

  EXPECT_EQ(CopyToBuffer("abc", nullptr, 10), 0);
  char one[1] = {'#'};
  EXPECT_EQ(CopyToBuffer("abc", one, 1), 0);
  EXPECT_EQ(one[0], '\0');
}

}  // namespace
}  // namespace torvane
