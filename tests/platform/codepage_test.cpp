#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace torvane {
namespace {

TEST(CodePageTest, Utf8LengthsCellsAndTrailBytes) {
  ScopedCodePage cp("UTF-8");
  const std::string text =
      "a\xE4\xB8\xAD"
      "b\xF0\x9F\x98\x80\xC3\xA9";  // a 中 b 😀 é
  EXPECT_EQ(CharLength(text, 0), 1);
  EXPECT_EQ(CharLength(text, 1), 3);
  EXPECT_EQ(CharCells(text, 1), 2);
  EXPECT_TRUE(IsTrailByte(text, 2));
  EXPECT_TRUE(IsTrailByte(text, 3));
  EXPECT_FALSE(IsTrailByte(text, 4));
  EXPECT_EQ(CharLength(text, 5), 4);
  EXPECT_EQ(CharCells(text, 5), 2);
  EXPECT_EQ(CharLength(text, 9), 2);
  EXPECT_EQ(CharCells(text, 9), 1);
  EXPECT_EQ(CharLength(text, text.size()), 0);
  EXPECT_TRUE(IsLeadByte(0xE4));
  EXPECT_FALSE(IsLeadByte('a'));
}

TEST(CodePageTest, Utf8MalformedBytesAreSingleCharacters) {
  ScopedCodePage cp("UTF-8");
  // Truncated sequence, lone continuation, overlong form, surrogate, NUL.
  const std::string text(
      "\xE4\xB8"
      "x\x80\xC0\xAF\xED\xA0\x80",
      9);
  for (std::size_t i = 0; i < text.size(); ++i) {
    EXPECT_EQ(CharLength(text, i), 1) << i;
    EXPECT_EQ(CharCells(text, i), 1) << i;
  }
  EXPECT_FALSE(IsTrailByte(text, 1));  // belongs to no valid character
  EXPECT_FALSE(IsTrailByte(text, 3));
  const std::string nul("a\0b", 3);
  EXPECT_EQ(CharLength(nul, 1), 1);
  EXPECT_EQ(DecodeText(nul).size(), 3);
}

TEST(CodePageTest, GbkDoubleByteRules) {
  ScopedCodePage cp("GBK");
  const std::string text = "a\xD6\xD0\xCE\xC4z\x81";  // a 中 文 z, then a lone lead
  EXPECT_EQ(CharLength(text, 1), 2);
  EXPECT_EQ(CharCells(text, 1), 2);
  EXPECT_TRUE(IsTrailByte(text, 2));
  EXPECT_FALSE(IsTrailByte(text, 3));  // 0xCE starts the second character
  EXPECT_TRUE(IsTrailByte(text, 4));
  EXPECT_EQ(CharLength(text, 6), 1);  // lead byte at the end of the text
  EXPECT_EQ(DecodeText(text), QString::fromUtf8("a中文z\uFFFD"));
  EXPECT_EQ(EncodeText(QString::fromUtf8("中文")), "\xD6\xD0\xCE\xC4");
  // A trail byte in the ASCII range after a lead byte.
  const std::string at = "\x81\x40";
  EXPECT_EQ(CharLength(at, 0), 2);
}

// The counting shortcut over ASCII runs agrees with stepping CharLength over
// random texts of ASCII, lead, trail and malformed bytes, in every kind of page.
TEST(CodePageTest, CharCountAgreesWithCharLengthSteps) {
  std::mt19937 rng(20261207);
  for (const char* name : {"UTF-8", "GBK", "CP932", "BIG5", "CP949", "ISO-8859-1"}) {
    const CodePage page = CodePage::FromName(name);
    for (int round = 0; round < 400; ++round) {
      std::string text(rng() % 70, 'x');
      const unsigned high_share = rng() % 4;  // from pure ASCII to mostly high bytes
      for (char& c : text) {
        c = static_cast<char>(rng() % 4 < high_share ? 0x80 + rng() % 128 : rng() % 128);
      }
      int expected = 0;
      for (std::size_t i = 0; i < text.size(); ++expected) {
        i += static_cast<std::size_t>(std::max(page.CharLength(text, i), 1));
      }
      ASSERT_EQ(page.CharCount(text), expected) << name << " round " << round;
    }
  }
}

TEST(CodePageTest, DecodeAndEncodeRoundTripUtf8) {
  ScopedCodePage cp("UTF-8");
  const QString s = QString::fromUtf8("mov ax, 1 ; 保存寄存器 😀");
  EXPECT_EQ(DecodeText(EncodeText(s)), s);
  EXPECT_EQ(DecodeText("\xFF"), QString(QChar(0xFFFD)));
}

TEST(CodePageTest, SingleBytePagesAndNames) {
  ScopedCodePage cp("ISO-8859-1");
  EXPECT_FALSE(CodePage::Current().IsMultiByte());
  EXPECT_EQ(CharLength("\xE9\xE9", 0), 1);
  EXPECT_EQ(DecodeText("\xE9"), QString(QChar(0xE9)));
  EXPECT_EQ(EncodeText(QString(QChar(0xE9))), "\xE9");
  EXPECT_EQ(CodePage::FromName("cp936").Kind(), CodePageKind::Gbk);
  EXPECT_EQ(CodePage::FromName("utf8").Kind(), CodePageKind::Utf8);
  EXPECT_EQ(CodePage::FromName("SHIFT_JIS").Kind(), CodePageKind::ShiftJis);
}

TEST(CodePageTest, EastAsianWidth) {
  EXPECT_EQ(UnicodeCells(U'a'), 1);
  EXPECT_EQ(UnicodeCells(U'中'), 2);
  EXPECT_EQ(UnicodeCells(U'가'), 2);
  EXPECT_EQ(UnicodeCells(0xFF01), 2);
  EXPECT_EQ(UnicodeCells(0x00E9), 1);
  EXPECT_EQ(UnicodeCells(0x1F600), 2);
}

}  // namespace
}  // namespace torvane
