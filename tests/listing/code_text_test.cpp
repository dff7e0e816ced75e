// The column's and the hint's texts, the boot sector's overrun and a macro
// call's expansion, from listings the installed NASM writes.
#include "listing/code_text.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "listing/macro_expansion.h"
#include "platform/process_runner.h"
#include "tests/listing/nasm_listing.h"

namespace torvane {
namespace {

using testing::Assemble;
using testing::TAssembled;

TListingMap MapOf(const TAssembled& a) {
  return TListingMap::Build(a.listing, a.source, a.directory, a.binary, true);
}

TEST(CodeTextTest, ColumnAndHintTexts) {
  QTemporaryDir dir;
  const TAssembled a = Assemble(dir,
                                {{"c.asm",
                                  "        org 0x7C00\n"
                                  "        mov ax, 0x1234\n"
                                  "        db 1, 2, 3, 4, 5\n"
                                  "        incbin \"c.asm\", 0, 3\n"
                                  "        section .data\n"
                                  "        dw 0x5678\n"
                                  "        section .text\n"
                                  "        times 20 db 0xEE\n"}},
                                "c.asm");
  ASSERT_TRUE(a.ok) << a.log;
  const TListingMap map = MapOf(a);
  EXPECT_EQ(AddressDigits(map), 4);
  EXPECT_EQ(ColumnCells(4), 4 + 1 + 2 + 11 + 1);
  auto column = [&](int line) {
    const TLineCode* code = map.CodeAt(0, line);
    return code == nullptr ? std::string("-") : ColumnText(map, *code, 4);
  };
  EXPECT_EQ(column(1), "");
  EXPECT_EQ(column(2), "7C00  B8 34 12");
  EXPECT_EQ(column(3), "7C03  01 02 03 04\xE2\x80\xA6");
  EXPECT_EQ(column(4), "7C08  20 20 20");  // incbin's bytes, from the binary
  EXPECT_EQ(column(6), "+0000  78 56");    // the data section's base is unknown
  EXPECT_EQ(column(8), "7C0B  EE EE EE EE\xE2\x80\xA6");
  const std::vector<std::string> lines = testing::SplitLines(a.listing);
  std::vector<std::string_view> views(lines.begin(), lines.end());
  const std::string hint = HintText(map, *map.CodeAt(0, 8), views);
  EXPECT_EQ(hint,
            "7C0B  EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE\n"
            "7C1B  EE EE EE EE\n" +
                lines[static_cast<std::size_t>(map.CodeAt(0, 8)->ListingLines[0] - 1)]);
  EXPECT_FALSE(BootSectorOverrun(map));
}

TEST(CodeTextTest, BootSectorOverrun) {
  for (const int code_bytes : {100, 510, 511, 515}) {
    QTemporaryDir dir;
    const TAssembled a =
        Assemble(dir,
                 {{"b.asm", "        org 0x7C00\n        times " + std::to_string(code_bytes) +
                                " nop\n        times 510-($-$$) db 0\n"
                                "        dw 0xAA55\n"}},
                 "b.asm");
    EXPECT_EQ(a.ok, code_bytes <= 510) << a.log;  // NASM's own error stays
    const std::optional<std::uint64_t> overrun = BootSectorOverrun(MapOf(a));
    if (code_bytes <= 510) {
      EXPECT_FALSE(overrun);
    } else {
      EXPECT_EQ(overrun, static_cast<std::uint64_t>(code_bytes - 510));
    }
  }
}

TEST(CodeTextTest, MacroExpansionFromNasmsPreprocessedListing) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/";
  testing::WriteAll(path + "m.asm",
                    "%macro PUTC 1\n  mov al, %1\n  int 0x10\n%endmacro\n"
                    "%macro TWO 0\n  PUTC 'a'\n  PUTC %eval(1+2)\n%endmacro\n"
                    "start: PUTC 65\n"
                    "  TWO\n"
                    "  nop\n");
  RunProcess("nasm", {"-fbin", "-Le", "m.asm", "-lm.lst", "-om.bin"}, path);
  const std::string listing = testing::ReadAll(path + "m.lst");
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(MacroExpansionOfLine(listing, 9),
            (std::vector<std::string>{"start:", " mov al, 65", " int 0x10"}));
  EXPECT_EQ(MacroExpansionOfLine(listing, 10),
            (std::vector<std::string>{" mov al, 'a'", " int 0x10", " mov al, 3", " int 0x10"}));
  EXPECT_TRUE(MacroExpansionOfLine(listing, 11).empty());
  EXPECT_TRUE(MacroExpansionOfLine(listing, 99).empty());
  EXPECT_TRUE(MacroExpansionOfLine("", 1).empty());
}

}  // namespace
}  // namespace torvane
