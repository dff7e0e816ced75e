// The listing parser and the line map against listings the installed NASM
// writes: a boot sector built from includes, macros, times and incbin, the
// highlighter's corpus, seeded random programs, and listings cut short or
// edited by hand.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "listing/line_map.h"
#include "tests/listing/nasm_listing.h"

namespace torvane {
namespace {

using testing::Assemble;
using testing::ReadAll;
using testing::SplitLines;
using testing::TAssembled;

std::string Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char b : bytes) {
    out += kHex[(static_cast<unsigned char>(b) >> 4) & 15];
    out += kHex[static_cast<unsigned char>(b) & 15];
  }
  return out;
}

std::map<std::string, std::string> DataFiles(const std::vector<std::string>& names,
                                             const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const std::string& name : names) {
    files[name] = ReadAll(folder + "/" + name);
  }
  return files;
}

TListingMap MapOf(const TAssembled& a) {
  return TListingMap::Build(a.listing, a.source, a.directory, a.binary, true);
}

// Everything an assembly lets us check without the parser: listed texts are
// the files' lines, the first section's chunks are the binary's bytes and
// cover it once, line sizes agree with the second reading, and each
// chunk's address leads back to its line.
void CheckAgainstAssembly(const TAssembled& a, const TListingMap& map) {
  SCOPED_TRACE(a.source);
  ASSERT_FALSE(map.Empty());
  EXPECT_EQ(map.UnplacedLines(), 0);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  for (std::size_t file = 0; file < map.Files().size(); ++file) {
    const std::vector<std::string> lines = SplitLines(ReadAll(map.Files()[file]));
    for (const auto& [line, code] : *map.LinesOf(static_cast<int>(file))) {
      SCOPED_TRACE(map.Files()[file] + ":" + std::to_string(line));
      ASSERT_LE(line, static_cast<int>(lines.size()));
      EXPECT_TRUE(ListedTextMatches(code.ListedText, lines[static_cast<std::size_t>(line - 1)]))
          << code.ListedText;
      for (const TCodeChunk& chunk : code.Chunks) {
        if (chunk.Section != 0) {
          continue;
        }
        ranges.push_back({chunk.Offset, chunk.Size});
        if ((chunk.Flags & lbReserved) == 0 && !chunk.Bytes.empty() &&
            chunk.Bytes.size() * chunk.Repeat == chunk.Size) {
          std::string expanded;
          for (std::uint64_t i = 0; i < chunk.Repeat; ++i) {
            expanded += chunk.Bytes;
          }
          EXPECT_EQ(Hex(expanded), Hex(a.binary.substr(chunk.Offset, chunk.Size)));
        }
        if (chunk.Size > 0) {
          const std::optional<std::uint64_t> address = map.AddressOf(chunk);
          ASSERT_TRUE(address);
          const std::optional<TSourcePlace> back = map.PlaceOfAddress(*address + chunk.Size - 1);
          ASSERT_TRUE(back);
          EXPECT_EQ(*back, (TSourcePlace{static_cast<int>(file), line}));
        }
      }
    }
  }
  std::sort(ranges.begin(), ranges.end());
  std::uint64_t end = 0;
  for (const auto& [offset, size] : ranges) {
    EXPECT_EQ(offset, end) << "gap or overlap at " << offset;
    end = offset + size;
  }
  if (map.Sections().size() == 1) {
    EXPECT_GE(end, a.binary.size());
  }
  // The second reading, for the assembled file's own lines.
  const auto sizes = testing::MainFileLineSizes(a.listing);
  for (const auto& [line, size] : sizes) {
    const TLineCode* code = map.CodeAt(0, line);
    EXPECT_EQ(code == nullptr ? 0 : code->TotalSize(), size) << "line " << line;
  }
  for (const auto& [line, code] : *map.LinesOf(0)) {
    if (code.HasCode()) {
      EXPECT_TRUE(sizes.contains(line)) << "line " << line;
    }
  }
}

TEST(ListingLineTest, TakesNasmsColumnsApart) {
  TListingLine line;
  // A plain line at level 0.
  ASSERT_EQ(
      ParseListingLine("     4 00000000 B83412                          mov ax, 0x1234", line),
      TListingLineKind::lkSource);
  EXPECT_EQ(line.SourceLine, 4);
  EXPECT_EQ(line.Level, 0);
  EXPECT_TRUE(line.HasAddress);
  EXPECT_EQ(line.Address, 0u);
  EXPECT_EQ(Hex(line.Bytes), "B83412");
  EXPECT_EQ(line.Size, 3u);
  EXPECT_EQ(line.Text, "        mov ax, 0x1234");
  // No bytes, level 1, an empty text; a CR from a DOS copy is ignored.
  ASSERT_EQ(ParseListingLine("    15                              <1> \r", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Level, 1);
  EXPECT_FALSE(line.HasAddress);
  EXPECT_EQ(line.Text, "");
  // Continued bytes and their continuation, at a level.
  ASSERT_EQ(ParseListingLine("     2 00000036 426F6F74696E672066- <1> msg:    db \"Boo\"", line),
            TListingLineKind::lkSource);
  EXPECT_TRUE(line.Continued);
  EXPECT_EQ(line.Size, 9u);
  ASSERT_EQ(ParseListingLine("     2 0000003F 726F6D207468652066- <1>", line),
            TListingLineKind::lkContinuation);
  EXPECT_EQ(line.Address, 0x3Fu);
  EXPECT_TRUE(line.Continued);
  ASSERT_EQ(ParseListingLine("    10 0000002F 13141516171819     ", line),
            TListingLineKind::lkContinuation);
  EXPECT_FALSE(line.Continued);
  // Repeats, included, reserved and zero bytes; hex and decimal (-Ld) counts.
  ASSERT_EQ(
      ParseListingLine("     9 00000004 B83412<rep 3h>          times 3 mov ax, 0x1234", line),
      TListingLineKind::lkSource);
  EXPECT_EQ(line.Repeat, 3u);
  EXPECT_EQ(line.Size, 3u);
  ASSERT_EQ(ParseListingLine("    12 0000003A <bin 24h>                       incbin \"b\"", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Size, 0x24u);
  EXPECT_EQ(line.Flags, lbIncluded);
  ASSERT_EQ(ParseListingLine("    10 0000000D <res 64>                resb 100", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Size, 64u);
  ASSERT_EQ(ParseListingLine("    11 00000071 ????????                resw 2", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Size, 4u);
  EXPECT_EQ(line.Flags, lbReserved);
  // Relocated and segment brackets.
  ASSERT_EQ(ParseListingLine("     4 00000078 [6500][3600]        <1> after:  dw table, msg", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(Hex(line.Bytes), "65003600");
  EXPECT_EQ(line.Flags, lbRelocated);
  ASSERT_EQ(
      ParseListingLine("    21 00000025 B8[ssss]                        mov ax, seg d1", line),
      TListingLineKind::lkSource);
  EXPECT_EQ(line.Size, 3u);
  EXPECT_EQ(line.Flags, lbSegment);
  ASSERT_EQ(ParseListingLine("     5 00000002 E8(F9FF)                        call x", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Flags, lbRelocated);
  // Levels of ten and more, and the text NASM shifts when the level drops.
  ASSERT_EQ(ParseListingLine("    17 000000A8 03                 <10>  db %1", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Level, 10);
  EXPECT_EQ(line.Text, " db %1");
  ASSERT_EQ(ParseListingLine("    18                             <9>  R %1-1", line),
            TListingLineKind::lkSource);
  EXPECT_EQ(line.Level, 9);
  EXPECT_EQ(line.Text, " R %1-1");
  // Messages and lines that are not a listing's.
  EXPECT_EQ(ParseListingLine("    14          ******************       warning: zeroing", line),
            TListingLineKind::lkMessage);
  EXPECT_EQ(ParseListingLine("    14          ------------------  <1>  note: x", line),
            TListingLineKind::lkMessage);
  for (const char* other :
       {"", "hello", "    12 0000003Z 90          x", "  x 00000000 90", "     1 00000000 9",
        "     1 00000000 90<rep>", "     1 00000000 [12", "     1 00000000 <bin zzh>",
        "99999999999 00000000 90", "     1 00000000 <1234567890123456789h>"}) {
    EXPECT_EQ(ParseListingLine(other, line), TListingLineKind::lkOther) << other;
  }
}

TEST(ListingLineTest, ListedTextCutAt1020Bytes) {
  const std::string source(1500, 'a');
  EXPECT_TRUE(ListedTextMatches(source.substr(0, 1020) + "...", source));
  EXPECT_TRUE(ListedTextMatches(source.substr(0, 1020) + "...", source.substr(0, 1020)));
  EXPECT_FALSE(ListedTextMatches(source.substr(0, 1020) + "...", source.substr(0, 1019)));
  EXPECT_FALSE(ListedTextMatches(source.substr(0, 1020) + "...", "b" + source));
  EXPECT_TRUE(ListedTextMatches("\tmov ax, 1 ", "\tmov ax, 1 "));
  EXPECT_FALSE(ListedTextMatches("\tmov ax, 1", "\tmov ax, 2"));
}

TEST(ListingMapTest, NasmNumbers) {
  EXPECT_EQ(ParseNasmNumber("0x7C00"), 0x7C00u);
  EXPECT_EQ(ParseNasmNumber("7C00h"), 0x7C00u);
  EXPECT_EQ(ParseNasmNumber("0h7c00"), 0x7C00u);
  EXPECT_EQ(ParseNasmNumber("$7C00"), 0x7C00u);
  EXPECT_EQ(ParseNasmNumber("0x7C_00"), 0x7C00u);
  EXPECT_EQ(ParseNasmNumber("256"), 256u);
  EXPECT_EQ(ParseNasmNumber("0d256"), 256u);
  EXPECT_EQ(ParseNasmNumber("777q"), 0777u);
  EXPECT_EQ(ParseNasmNumber("0o777"), 0777u);
  EXPECT_EQ(ParseNasmNumber("1010b"), 10u);
  EXPECT_EQ(ParseNasmNumber("0b1010"), 10u);
  for (const char* bad : {"", "BASE", "0x", "12G", "$", "0x7C00+2", "99999999999999999999999"}) {
    EXPECT_FALSE(ParseNasmNumber(bad)) << bad;
  }
}

TEST(ListingMapTest, BootSectorFromIncludesMacrosTimesAndIncbin) {
  QTemporaryDir dir;
  const TAssembled a =
      Assemble(dir,
               DataFiles({"boot_include.asm", "bios.inc", "data.inc", "table.inc", "logo.bin"},
                         TORVANE_LISTING_DATA),
               "boot_include.asm");
  ASSERT_TRUE(a.ok) << a.log;
  const TListingMap map = MapOf(a);
  CheckAgainstAssembly(a, map);
  ASSERT_EQ(map.Files().size(), 4u);
  const int bios = map.FindFile(a.directory + "bios.inc");
  const int data = map.FindFile(a.directory + "data.inc");
  const int table = map.FindFile(a.directory + "./table.inc");
  ASSERT_GT(bios, 0);
  ASSERT_GT(data, 0);
  ASSERT_GT(table, 0);
  EXPECT_EQ(map.Sections()[0].Base, 0x7C00u);
  auto code = [&](int file, int line) {
    const TLineCode* c = map.CodeAt(file, line);
    return c == nullptr ? std::string("-") : Hex(c->KnownBytes(64));
  };
  auto address = [&](int file, int line) {
    const TLineCode* c = map.CodeAt(file, line);
    return c == nullptr || c->Chunks.empty() ? 0 : map.AddressOf(c->Chunks[0]).value_or(0);
  };
  // The %include line and the macro definitions made nothing.
  EXPECT_EQ(code(0, 6), "");
  EXPECT_EQ(code(bios, 3), "");
  // The routine in the included file.
  EXPECT_EQ(code(bios, 17), "AC");
  EXPECT_EQ(address(bios, 17), 0x7C02u);
  // A macro's expansion belongs to the calling line; its relocated operand
  // comes from the binary.
  EXPECT_EQ(code(0, 15), "BE367CE8E1FF");
  EXPECT_EQ(address(0, 15), 0x7C1Bu);
  EXPECT_EQ(code(0, 16), "B021B40ECD10");
  // A macro calling a macro: still the outermost call.
  EXPECT_EQ(code(0, 17), "B00DB40ECD10B00AB40ECD10");
  // A long byte run over six listing lines.
  EXPECT_EQ(map.CodeAt(data, 2)->TotalSize(), 47u);
  EXPECT_EQ(map.CodeAt(data, 2)->ListingLines.size(), 6u);
  // times, %rep, incbin and the padding.
  EXPECT_EQ(code(table, 1), "34123412341234123412341234123412");
  EXPECT_EQ(code(table, 3), "EEEEEE");
  EXPECT_EQ(code(data, 4), "657C367C");  // dw table, msg after the fix-ups
  EXPECT_EQ(map.CodeAt(0, 22)->TotalSize(), 40u);
  EXPECT_EQ(map.CodeAt(0, 22)->Chunks[0].Flags, lbIncluded);
  EXPECT_EQ(map.CodeAt(0, 23)->TotalSize(), 0x15Au);
  EXPECT_EQ(code(0, 24), "55AA");
  EXPECT_EQ(address(0, 24), 0x7DFEu);
  // Address to line and back.
  EXPECT_EQ(map.PlaceOfAddress(0x7C22), (TSourcePlace{0, 16}));
  EXPECT_EQ(map.PlaceOfAddress(0x7C03), (TSourcePlace{bios, 18}));
  EXPECT_FALSE(map.PlaceOfAddress(0x7BFF));
  EXPECT_FALSE(map.PlaceOfAddress(0x7E00));
  // Listing lines lead to their source lines (an expansion to its call).
  const std::vector<std::string> listing = SplitLines(a.listing);
  for (std::size_t i = 0; i < listing.size(); ++i) {
    if (listing[i].find("<1>  call print") != std::string::npos) {
      EXPECT_EQ(map.PlaceOfListingLine(static_cast<int>(i + 1)), (TSourcePlace{0, 15}));
    }
  }
  EXPECT_FALSE(map.PlaceOfListingLine(0));
  EXPECT_FALSE(map.PlaceOfListingLine(100000));
}

TEST(ListingMapTest, HighlighterCorpus) {
  for (const char* name : {"boot.asm", "macros.asm", "sse_avx64.asm"}) {
    QTemporaryDir dir;
    const TAssembled a = Assemble(dir, DataFiles({name}, TORVANE_HIGHLIGHT_DATA), name);
    if (!a.ok) {
      // A corpus program that is not a flat binary still lists what it can.
      continue;
    }
    CheckAgainstAssembly(a, MapOf(a));
  }
}

TEST(ListingMapTest, SectionsBesidesTheFirstKeepOffsets) {
  QTemporaryDir dir;
  const TAssembled a = Assemble(dir,
                                {{"s.asm",
                                  "        org 0x100\n"
                                  "        mov ax, msg\n"
                                  "        section .data\n"
                                  "msg:    db \"hi\", 0\n"
                                  "        section .text\n"
                                  "        ret\n"}},
                                "s.asm");
  ASSERT_TRUE(a.ok) << a.log;
  const TListingMap map = MapOf(a);
  ASSERT_EQ(map.Sections().size(), 2u);
  EXPECT_EQ(map.Sections()[1].Name, ".data");
  EXPECT_FALSE(map.Sections()[1].Base);
  const TLineCode* msg = map.CodeAt(0, 4);
  ASSERT_NE(msg, nullptr);
  EXPECT_EQ(msg->Chunks[0].Section, 1);
  EXPECT_EQ(msg->Chunks[0].Offset, 0u);
  EXPECT_FALSE(map.AddressOf(msg->Chunks[0]));
  EXPECT_EQ(map.AddressOf(map.CodeAt(0, 6)->Chunks[0]), 0x103u);
  // The data's offset is not an address the debugger could find.
  EXPECT_EQ(map.PlaceOfAddress(0x100), (TSourcePlace{0, 2}));
}

// Seeded random programs: instructions, long data, times, macros calling
// macros, %rep, nested includes, incbin, reserved space, relocations.
struct TRandomProgram {
  std::map<std::string, std::string> files;
};

std::string RandomLines(std::mt19937& rng, int count, int depth, TRandomProgram& program,
                        int& include_counter) {
  std::string out;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int i = 0; i < count; ++i) {
    switch (pick(16)) {
      case 0:
        out += "        mov ax, " + std::to_string(pick(65536)) + "\n";
        break;
      case 1:
        out += "        nop\n";
        break;
      case 2: {
        out += "        db ";
        const int n = 1 + pick(40);
        for (int k = 0; k < n; ++k) {
          out += (k ? "," : "") + std::to_string(pick(256));
        }
        out += "\n";
        break;
      }
      case 3:
        out += "        times " + std::to_string(1 + pick(30)) + " db " +
               std::to_string(pick(256)) + "\n";
        break;
      case 4:
        out += "        times " + std::to_string(1 + pick(5)) + " mov bx, 0x1234\n";
        break;
      case 5:
        out += "        ONE " + std::to_string(pick(100)) + "\n";
        break;
      case 6:
        out += "        TWO " + std::to_string(pick(100)) + ", " + std::to_string(pick(100)) + "\n";
        break;
      case 7:
        out += "        %rep " + std::to_string(1 + pick(3)) +
               "\n        inc ax\n        db 1,2\n" + "        %endrep\n";
        break;
      case 8:
        if (depth < 2) {
          const std::string name = "inc" + std::to_string(++include_counter) + ".inc";
          program.files[name] = RandomLines(rng, 1 + pick(8), depth + 1, program, include_counter);
          out += "%include \"" + name + "\"\n";
        }
        break;
      case 9:
        out += "        incbin \"blob.bin\", " + std::to_string(pick(10)) + ", " +
               std::to_string(1 + pick(20)) + "\n";
        break;
      case 10:
        out += "        resb " + std::to_string(1 + pick(20)) + "\n        nop\n";
        break;
      case 11: {
        const std::string label = "here" + std::to_string(++include_counter);
        out += "        mov si, " + label + "\n" + label + ":\n";
        break;
      }
      case 12:
        out += "\n        ; a comment\n";
        break;
      case 13:
        out += "        dd 0x12345678, $\n";
        break;
      case 14:
        out += "        align 4\n";
        break;
      default:
        out += "        call far [cs:0x1234]\n";
        break;
    }
  }
  return out;
}

TEST(ListingMapTest, RandomProgramsAgreeWithTheBinary) {
  std::mt19937 rng(20261208);
  std::string blob;
  for (int i = 0; i < 64; ++i) {
    blob.push_back(static_cast<char>(i * 7 + 3));
  }
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TRandomProgram program;
    int includes = 0;
    const char* orgs[] = {"", "        org 0x100\n", "        org 7C00h\n"};
    std::string main = std::string(orgs[rng() % 3]) +
                       "%macro ONE 1\n        mov cx, %1\n%endmacro\n"
                       "%macro TWO 2\n        ONE %1\n        add ax, %2\n        ONE %2\n"
                       "%endmacro\n";
    main += RandomLines(rng, 5 + static_cast<int>(rng() % 40), 0, program, includes);
    main += "        db 0x55\n";
    program.files["main.asm"] = main;
    program.files["blob.bin"] = blob;
    QTemporaryDir dir;
    const TAssembled a = Assemble(dir, program.files, "main.asm");
    ASSERT_TRUE(a.ok) << a.log << main;
    CheckAgainstAssembly(a, MapOf(a));
  }
}

// A listing cut short, lines dropped or changed by hand: the parser never
// fails, and a line whose listed text is still its own gets only bytes that
// really are its own.
TEST(ListingMapTest, DamagedListingsNeverMisplaceBytes) {
  QTemporaryDir dir;
  const TAssembled a =
      Assemble(dir,
               DataFiles({"boot_include.asm", "bios.inc", "data.inc", "table.inc", "logo.bin"},
                         TORVANE_LISTING_DATA),
               "boot_include.asm");
  ASSERT_TRUE(a.ok) << a.log;
  const TListingMap good = MapOf(a);
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string listing = a.listing;
    const int kind = round % 3;
    if (kind == 0) {
      listing.resize(rng() % listing.size());  // truncated
    } else if (kind == 1) {
      for (int k = 0; k < 3; ++k) {  // bytes changed by hand
        listing[rng() % listing.size()] = static_cast<char>(rng() % 256);
      }
    } else {
      std::vector<std::string> lines = SplitLines(listing);  // a line dropped or doubled
      const std::size_t at = rng() % lines.size();
      if (rng() % 2 == 0) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
      } else {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), lines[at]);
      }
      listing.clear();
      for (const std::string& line : lines) {
        listing += line + "\n";
      }
    }
    const TListingMap map = TListingMap::Build(listing, a.source, a.directory, a.binary, true);
    if (kind != 0) {
      continue;  // hand edits may say anything; it is enough not to fail
    }
    // Cut short: every line's bytes are a prefix of what they were.
    for (std::size_t file = 0; file < map.Files().size(); ++file) {
      for (const auto& [line, code] : *map.LinesOf(static_cast<int>(file))) {
        const int good_file = good.FindFile(map.Files()[file]);
        ASSERT_GE(good_file, 0);
        const TLineCode* whole = good.CodeAt(good_file, line);
        ASSERT_NE(whole, nullptr);
        EXPECT_LE(code.TotalSize(), whole->TotalSize());
        const std::string bytes = code.KnownBytes(1000);
        EXPECT_EQ(whole->KnownBytes(1000).substr(0, bytes.size()), bytes);
      }
    }
  }
}

TEST(ListingMapTest, MissingOrForeignListing) {
  EXPECT_TRUE(TListingMap::Build("", "/x/a.asm", "/x/").Empty());
  const TListingMap foreign =
      TListingMap::Build("Hello\nthis is not a listing\n\x01\x02\n", "/x/a.asm", "/x/");
  EXPECT_TRUE(foreign.Empty());
  EXPECT_EQ(foreign.UnplacedLines(), 3);
  // A level that jumps without a macro call leaves its lines out.
  const TListingMap jump = TListingMap::Build(
      "     1 00000000 90                      nop\n"
      "     1 00000001 90                  <3> nop\n",
      "/x/a.asm", "/x/");
  EXPECT_EQ(jump.Dump(), "a.asm:1 @0:0000 2 9090\n");
  // An include whose name is a macro: its lines cannot be placed.
  const TListingMap unnamed = TListingMap::Build(
      "     1                                  %include F\n"
      "     1 00000000 90                  <1> nop\n"
      "     2 00000001 C3                      ret\n",
      "/x/a.asm", "/x/");
  EXPECT_EQ(unnamed.Dump(), "a.asm:2 @0:0001 1 C3\n");
  EXPECT_EQ(unnamed.UnplacedLines(), 1);
  // A continuation without its line is not anyone's.
  const TListingMap orphan = TListingMap::Build(
      "     2 00000001 C3                      ret\n"
      "     5 00000002 0A0B0C0D0E0F101112-\n",
      "/x/a.asm", "/x/");
  EXPECT_EQ(orphan.Dump(), "a.asm:2 @0:0001 1 C3\n");
}

}  // namespace
}  // namespace torvane
