// Lines kept as offsets into the read bytes must behave exactly as lines with
// records of their own: one seeded comparison of two stores reading the same
// random bytes, one keeping offsets and one giving every line a record, through
// random changes, saves, tab widths and re-reads. Also the pieces a save
// writes, held to the bytes made whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_breaks.h"
#include "document/src_stream.h"
#include "document/string_list.h"
#include "platform/codepage.h"
#include "platform/file_access.h"
#include "platform/file_read_ahead.h"

namespace torvane {
namespace {

// Bytes of every kind a file may hold: every break, NUL, TAB, broken UTF-8,
// GBK and UTF-8 Chinese, blanks for trailing blank lines.
std::string RandomBytes(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {
      "\r\n", "\n",   "\r",   "\n\r",     std::string(1, '\0'), "\t",       " ",
      "mov",  "eax",  ", 1",  ";c",       "\xD6\xD0",           "\xCE\xC4", "\xE4",
      "\xB8", "\xAD", "\xFF", "\xC3\xA9", "\xE4\xB8\xAD",       "a",        "Z",
      "\x80"};
  // One break style for most files, mixed ones now and then.
  static const std::vector<std::string> kBreaks = {"\r\n", "\n", "\r"};
  const std::string brk = kBreaks[rng() % kBreaks.size()];
  const bool mixed = rng() % 4 == 0;
  std::string out;
  const int lines = static_cast<int>(rng() % (rng() % 8 == 0 ? 400 : 30));
  for (int i = 0; i < lines; ++i) {
    const int pieces = static_cast<int>(rng() % (rng() % 10 == 0 ? 120 : 8));
    for (int p = 0; p < pieces; ++p) {
      const std::string& piece = kPieces[rng() % kPieces.size()];
      if (!mixed && (piece[0] == '\r' || piece[0] == '\n')) {
        continue;
      }
      out += piece;
    }
    if (i + 1 < lines || rng() % 2 == 0) {  // an incomplete last line or not
      out += mixed ? kBreaks[rng() % kBreaks.size()] : brk;
    }
  }
  if (rng() % 5 == 0) {
    out += std::string(rng() % 4, ' ') + brk + std::string(rng() % 3, '\t');
  }
  return out;
}

std::string Describe(const TSrcEditStringList& s) {
  return s.Dump();
}

// Everything a reader of the store can see, line by line.
void ExpectSame(const TSrcEditStringList& full, const TSrcEditStringList& offsets,
                const std::string& where) {
  ASSERT_EQ(full.LineCount(), offsets.LineCount()) << where;
  for (int i = 0; i < full.LineCount(); ++i) {
    ASSERT_EQ(full.GetLine(i), offsets.GetLine(i)) << where << " line " << i;
    ASSERT_EQ(full.GetExpandedLength(i), offsets.GetExpandedLength(i)) << where << " line " << i;
    ASSERT_EQ(full.GetExpandedLine(i), offsets.GetExpandedLine(i)) << where << " line " << i;
    ASSERT_EQ(full.IsPlainLine(i), offsets.IsPlainLine(i)) << where << " line " << i;
    ASSERT_EQ(full.GetLineAttributes(i), offsets.GetLineAttributes(i)) << where << " line " << i;
    ASSERT_EQ(full.GetLineObject(i), offsets.GetLineObject(i)) << where << " line " << i;
    ASSERT_EQ(full.GetLineRange(i), offsets.GetLineRange(i)) << where << " line " << i;
    const TSrcEditStringRec a = full.GetLineRecord(i);
    const TSrcEditStringRec b = offsets.GetLineRecord(i);
    ASSERT_EQ(a.Length, b.Length) << where << " line " << i;
    ASSERT_EQ(a.ChangeState, b.ChangeState) << where << " line " << i;
    ASSERT_EQ(a.LineColorFlags, b.LineColorFlags) << where << " line " << i;
  }
  ASSERT_EQ(full.LongestLineLength(), offsets.LongestLineLength()) << where;
  ASSERT_EQ(full.LongestLineIndex(), offsets.LongestLineIndex()) << where;
  ASSERT_EQ(full.FileFormat(), offsets.FileFormat()) << where;
  ASSERT_EQ(full.TextBytes(2), offsets.TextBytes(2)) << where;
  ASSERT_EQ(full.GetAllText(), offsets.GetAllText()) << where;
}

using Change = std::function<void(TSrcEditStringList&)>;

// One random change, the same for both stores.
Change RandomChange(std::mt19937& rng, int lines, const std::string& bytes, std::string& name) {
  const auto line = [&](int extra) {
    return static_cast<int>(rng() % static_cast<unsigned>(lines + extra));
  };
  const auto text = [&] {
    const std::size_t from = bytes.empty() ? 0 : rng() % bytes.size();
    std::string piece = bytes.substr(from, rng() % 12);
    for (char& c : piece) {
      c = c == '\r' || c == '\n' ? 'n' : c;
    }
    return piece;
  };
  const int kind = static_cast<int>(rng() % 16);
  if (lines == 0 && kind < 12) {
    name = "append";
    return [t = text()](TSrcEditStringList& s) { s.AppendLine(t); };
  }
  switch (kind) {
    case 0: {
      name = "set line";
      return [i = line(0), t = text()](TSrcEditStringList& s) { s.SetLine(i, t); };
    }
    case 1:
    case 2: {
      name = "replace bytes";
      const std::size_t offset = rng() % 6;
      const std::size_t count = rng() % 4;
      return [i = line(0), offset, count, t = text()](TSrcEditStringList& s) {
        s.ReplaceLineBytes(i, offset, count, t);
      };
    }
    case 3: {
      name = "insert line";
      return [i = line(1), t = text()](TSrcEditStringList& s) { s.InsertLine(i, t); };
    }
    case 4: {
      name = "delete line";
      return [i = line(0)](TSrcEditStringList& s) { s.DeleteLine(i); };
    }
    case 5: {
      name = "remove lines";
      return [i = line(0), n = static_cast<int>(rng() % 5)](TSrcEditStringList& s) {
        s.RemoveLines(i, n);
      };
    }
    case 6: {
      name = "exchange";
      return [a = line(0), b = line(0)](TSrcEditStringList& s) { s.ExchangeLines(a, b); };
    }
    case 7: {
      name = "change state";
      const auto state = static_cast<TLineChangeState>(rng() % 3);
      return [i = line(0), state](TSrcEditStringList& s) { s.SetChangeState(i, state); };
    }
    case 8: {
      name = "colours";
      const auto flags = static_cast<std::uint8_t>(rng() % 4);
      return [i = line(0), flags](TSrcEditStringList& s) {
        s.GetLineAttributes(i).SetLineColorFlags(flags);
        s.GetLineAttributes(i).SetLineBackground(flags != 0 ? clRed : clNone);
      };
    }
    case 9: {
      name = "object and range";
      const auto value = static_cast<std::uint32_t>(rng() % 3);
      return [i = line(0), value](TSrcEditStringList& s) {
        s.SetLineObject(i, value);
        s.CacheLineRange(i, value == 2 ? kRangeNotScanned : value);
      };
    }
    case 10: {
      name = "insert lines of text";
      const std::size_t from = bytes.empty() ? 0 : rng() % bytes.size();
      return [i = line(1), t = bytes.substr(from, rng() % 300)](TSrcEditStringList& s) {
        s.InsertLinesOfText(i, t);
      };
    }
    case 11: {
      name = "insert blank lines";
      return [i = line(1), n = static_cast<int>(rng() % 4)](TSrcEditStringList& s) {
        s.InsertBlankLines(i, n);
      };
    }
    case 12: {
      name = "save";  // what the document control does after writing
      return [](TSrcEditStringList& s) { s.MarkModifiedLinesSaved(); };
    }
    case 13: {
      name = "tab width";
      return [w = static_cast<int>(rng() % 9) + 1](TSrcEditStringList& s) { s.SetTabWidth(w); };
    }
    case 14: {
      name = "format";
      return [f = static_cast<TSrcEditFileFormat>(rng() % 3)](TSrcEditStringList& s) {
        s.SetFileFormat(f);
      };
    }
    default: {
      name = "set all text";
      return [t = RandomBytes(rng)](TSrcEditStringList& s) { s.SetAllText(t); };
    }
  }
}

std::string TempFile() {
  static const std::string path = [] {
    char name[] = "/tmp/torvane-offsets-XXXXXX";
    const int fd = ::mkstemp(name);
    ::close(fd);
    return std::string(name);
  }();
  return path;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Reads the bytes from memory, from a stream or from a file as they arrive.
void Read(TSrcEditStringList& store, const std::string& bytes, int how) {
  if (how == 0) {
    store.ReadFromBytes(bytes);
  } else if (how == 1) {
    TSrcMemoryStream stream(bytes);
    store.ReadFromStream(stream);
  } else {
    WriteFile(TempFile(), bytes);
    TSrcReadFacts facts;
    ASSERT_TRUE(store.ReadFromFileArriving(TempFile(), nullptr, nullptr, &facts));
    ASSERT_EQ(facts.size, bytes.size());
    ASSERT_EQ(facts.breaks_seen, bytes.find_first_of("\r\n") != std::string::npos);
    ASSERT_EQ(facts.final_break, !bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n'));
  }
}

void RunRounds(std::uint32_t seed, int rounds, int& steps) {
  std::mt19937 rng(seed);
  for (int round = 0; round < rounds; ++round) {
    const std::string bytes = RandomBytes(rng);
    TSrcEditStringList full;
    full.SetOffsetLineLimit(0);
    TSrcEditStringList offsets;
    // Small limits mix offset lines with long lines that get records.
    static constexpr std::size_t kLimits[] = {1, 3, 8, 40, 4096};
    offsets.SetOffsetLineLimit(kLimits[rng() % std::size(kLimits)]);
    const int how = static_cast<int>(rng() % 3);
    if (rng() % 3 == 0) {
      const int width = static_cast<int>(rng() % 8) + 1;
      full.SetTabWidth(width);
      offsets.SetTabWidth(width);
    }
    // The full store always reads from memory: the other ways are held to it.
    Read(full, bytes, 0);
    ASSERT_NO_FATAL_FAILURE(Read(offsets, bytes, how));
    std::string trace = "round " + std::to_string(round);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(full, offsets, trace + " read"));
    const int changes = static_cast<int>(rng() % 40);
    for (int c = 0; c < changes; ++c) {
      std::string name;
      const Change change = RandomChange(rng, full.LineCount(), bytes, name);
      change(full);
      change(offsets);
      trace += ", " + name;
      ++steps;
      ASSERT_NO_FATAL_FAILURE(ExpectSame(full, offsets, trace)) << "\n" << Describe(offsets);
      if (rng() % 10 == 0) {
        // A save, and the saved bytes read back.
        const std::string saved = full.TextBytes();
        ASSERT_EQ(saved, offsets.TextBytes()) << trace;
        Read(full, saved, 0);
        ASSERT_NO_FATAL_FAILURE(Read(offsets, saved, how));
        trace += ", reread";
        ASSERT_NO_FATAL_FAILURE(ExpectSame(full, offsets, trace));
      }
    }
    // Copies of the store keep lines, states and colours.
    TSrcEditStringList copy;
    copy.AppendLinesFrom(offsets);
    TSrcEditStringList copy_full;
    copy_full.AppendLinesFrom(full);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(copy_full, copy, trace + " copied"));
    // Clearing frees every line, offsets or not.
    offsets.ClearLines();
    ASSERT_EQ(offsets.LineCount(), 0);
    ASSERT_EQ(offsets.TextBytes(), "");
  }
}

TEST(OffsetLines, BehaveAsLinesWithRecordsThroughRandomChanges) {
  int steps = 0;
  {
    ScopedCodePage page("UTF-8");
    RunRounds(20261208, 1500, steps);
  }
  {
    ScopedCodePage page("GBK");
    RunRounds(33, 500, steps);
  }
  EXPECT_GT(steps, 20000);
  std::printf("offset-line comparison: %d changes\n", steps);
  ::unlink(TempFile().c_str());
}

// Files whose bytes lie beyond what an offset reaches are not made here (they
// take gigabytes); the limit itself is held: a line longer than it gets a
// record, and one exactly as long an offset, which shows in neither reading.
TEST(OffsetLines, TheLimitDecidesNothingAReaderSees) {
  const std::string bytes = "abc\nabcd\n\tx\n\n\xE4\xB8\xAD\r\n";
  std::vector<std::string> seen;
  for (const std::size_t limit : {0u, 1u, 3u, 4u, 100u}) {
    TSrcEditStringList store;
    store.SetOffsetLineLimit(limit);
    store.ReadFromBytes(bytes);
    seen.push_back(store.Dump() + std::to_string(store.LongestLineIndex()));
  }
  for (const std::string& s : seen) {
    EXPECT_EQ(s, seen.front());
  }
}

// Files of megabytes arrive in many pieces while they are split: the lines
// are those of the whole bytes at every seam, with every break style; files
// that cannot be read leave the store as it was.
TEST(OffsetLines, FilesSplitWhileArrivingAsWhenRead) {
  std::mt19937 rng(5);
  for (int round = 0; round < 6; ++round) {
    std::string bytes;
    while (bytes.size() < 4'300'000) {  // more than is read without a thread
      bytes += RandomBytes(rng);
      bytes += round % 2 == 0 ? "\r" : "\r\n";  // breaks across the seams
    }
    bytes.resize(bytes.size() - rng() % 3);
    TSrcEditStringList read;
    read.ReadFromBytes(bytes);
    TSrcEditStringList arriving;
    arriving.AppendLine("old");
    int inserted = 0;
    arriving.OnLinesInserted = [&](TSrcEditStringList&, int, int count) { inserted += count; };
    ASSERT_NO_FATAL_FAILURE(Read(arriving, bytes, 2));
    EXPECT_EQ(inserted, arriving.LineCount());
    arriving.OnLinesInserted = nullptr;
    ASSERT_NO_FATAL_FAILURE(ExpectSame(read, arriving, "round " + std::to_string(round)));
    EXPECT_EQ(read.Capacity(), arriving.Capacity());
  }
  TSrcEditStringList store;
  store.AppendLine("kept");
  std::string reason;
  EXPECT_FALSE(store.ReadFromFileArriving("/nonexistent/torvane", &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(store.ReadFromFileArriving("/tmp", &reason));
  EXPECT_FALSE(store.ReadFromFileArriving("/dev/null", &reason));
  EXPECT_EQ(reason, "Not a regular file");
  ASSERT_EQ(store.LineCount(), 1);
  EXPECT_EQ(store.GetLine(0), "kept");
  // An empty file gives no lines.
  WriteFile(TempFile(), "");
  EXPECT_TRUE(store.ReadFromFileArriving(TempFile()));
  EXPECT_EQ(store.LineCount(), 0);
  ::unlink(TempFile().c_str());
}

// The split of bytes still arriving gives the lines of the whole bytes
// whatever the pieces the read hands over: reads of a few bytes and reports
// of random amounts put a seam at every place, inside CR LF pairs, TABs and
// characters too.
TEST(OffsetLines, EverySeamOfAnArrivingReadSplitsAsTheWholeBytes) {
  std::mt19937 rng(71);
  const auto lines_of = [](const char* data, const auto& arrived, bool& cr, bool& lf) {
    std::vector<std::string> lines;
    ForEachLine(data, arrived, cr, lf, [&](const TLineScan& line) {
      lines.push_back(std::to_string(line.start) + ":" + std::to_string(line.length) + ":" +
                      std::to_string(line.tabs) + ":" + (line.high ? "h" : ""));
    });
    return lines;
  };
  int reads = 0;
  for (int round = 0; round < 300; ++round) {
    std::string bytes = RandomBytes(rng);
    while (rng() % 3 == 0) {
      bytes += RandomBytes(rng);
    }
    WriteFile(TempFile(), bytes);
    bool cr = false;
    bool lf = false;
    const auto whole = lines_of(
        bytes.data(), [&](std::size_t) { return bytes.size(); }, cr, lf);
    // The whole bytes' split against a walk over them byte by byte.
    std::vector<std::string> walked;
    for (std::size_t start = 0, i = 0, tabs = 0, high = 0; i <= bytes.size(); ++i) {
      if (i == bytes.size() || bytes[i] == '\r' || bytes[i] == '\n') {
        if (i < bytes.size() || start < bytes.size()) {
          walked.push_back(std::to_string(start) + ":" + std::to_string(i - start) + ":" +
                           std::to_string(tabs) + ":" + (high != 0 ? "h" : ""));
        }
        i += i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n' ? 1 : 0;
        start = i + 1;
        tabs = 0;
        high = 0;
      } else {
        tabs += bytes[i] == '\t' ? 1 : 0;
        high += static_cast<unsigned char>(bytes[i]) >= 0x80 ? 1 : 0;
      }
    }
    ASSERT_EQ(whole, walked) << "round " << round;
    ASSERT_EQ(cr, bytes.find('\r') != std::string::npos);
    ASSERT_EQ(lf, bytes.find('\n') != std::string::npos);
    TByteBuffer target;
    TFileReadAhead file;
    const std::size_t first = rng() % 200 + 1;
    file.SetReadSizes(first, first + rng() % 3000);
    file.SetReadInPlaceLimit(round % 2 == 0 ? 0 : bytes.size());  // on a thread or not
    ASSERT_TRUE(file.Start(TempFile(), &target));
    bool cr_arriving = false;
    bool lf_arriving = false;
    // Told a random amount of what is there, so seams fall everywhere even
    // when the read is ahead.
    const auto arriving = lines_of(
        target.data(),
        [&](std::size_t count) {
          const std::size_t there = file.WaitFor(count);
          return there < count ? there : std::min(there, count + rng() % 90);
        },
        cr_arriving, lf_arriving);
    ASSERT_TRUE(file.Finish());
    ++reads;
    ASSERT_EQ(target.view(), bytes) << "round " << round;
    ASSERT_EQ(arriving, whole) << "round " << round;
    ASSERT_EQ(cr_arriving, cr) << "round " << round;
    ASSERT_EQ(lf_arriving, lf) << "round " << round;
  }
  EXPECT_EQ(reads, 300);
  ::unlink(TempFile().c_str());
}

// What ForEachPiece hands out, joined; no piece may be empty.
std::string Pieces(const TSrcEditStringList& store) {
  std::string out;
  store.ForEachPiece([&](std::string_view piece) {
    EXPECT_FALSE(piece.empty());
    out += piece;
  });
  return out;
}

// As undoing a change of the whole text puts it back: every line removed,
// then the text, joined with `brk`, inserted as one block.
void PutBack(TSrcEditStringList& store, const std::string& brk) {
  std::string text;
  for (int i = 0; i < store.LineCount(); ++i) {
    text += (i > 0 ? brk : "") + std::string(store.GetLine(i));
  }
  store.RemoveLines(0, store.LineCount());
  store.InsertLinesOfText(0, std::move(text));
}

// The bytes a save writes in pieces are the bytes TextBytes makes, in memory
// and through a file, for stores read in every way, with offsets or records,
// through random changes, lines put back as an undo puts them and format
// changes. Some stores are megabytes, so that runs are long enough to be
// handed out as they lie and gathered bytes fill the buffer many times.
TEST(OffsetLines, PiecesAreTheTextBytesThroughRandomChanges) {
  std::mt19937 rng(20261209);
  static const std::string kBreaks[] = {"\r\n", "\n", "\r"};
  int steps = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = RandomBytes(rng);
    if (round % 25 == 0) {
      const std::size_t size = 300'000 + rng() % 2'500'000;
      while (bytes.size() < size) {
        bytes += RandomBytes(rng);
      }
    }
    TSrcEditStringList store;
    static constexpr std::size_t kLimits[] = {0, 1, 8, 40, 4096};
    store.SetOffsetLineLimit(kLimits[rng() % std::size(kLimits)]);
    if (rng() % 5 == 0) {
      store.SetAllText(bytes);
    } else {
      ASSERT_NO_FATAL_FAILURE(Read(store, bytes, static_cast<int>(rng() % 3)));
    }
    std::string trace = "round " + std::to_string(round);
    ASSERT_EQ(Pieces(store), store.TextBytes()) << trace;
    const int changes = static_cast<int>(rng() % 30);
    for (int c = 0; c < changes; ++c) {
      const int kind = static_cast<int>(rng() % 8);
      if (kind == 0) {
        const std::string& brk = kBreaks[rng() % 3];
        trace += ", put back";
        PutBack(store, brk);
      } else if (kind == 1) {
        trace += ", format";
        store.SetFileFormat(static_cast<TSrcEditFileFormat>(rng() % 3));
      } else if (kind == 2 && store.LineCount() > 0) {
        // Every so many lines changed: runs broken into short ones.
        trace += ", every nth";
        const int every = static_cast<int>(rng() % 5) + 1;
        for (int i = static_cast<int>(rng() % every); i < store.LineCount(); i += every) {
          store.SetLine(i, std::string(store.GetLine(i)) + "x");
        }
      } else {
        std::string name;
        RandomChange(rng, store.LineCount(), bytes, name)(store);
        trace += ", " + name;
      }
      ++steps;
      const std::string expected = store.TextBytes();
      ASSERT_EQ(Pieces(store), expected) << trace;
      if (rng() % 8 == 0) {
        store.WriteToFile(TempFile());
        std::string written;
        ASSERT_TRUE(ReadFileBytes(TempFile(), &written));
        ASSERT_EQ(written, expected) << trace << " written";
      }
    }
  }
  std::printf("piece comparison: %d changes\n", steps);
  EXPECT_GT(steps, 5000);
  ::unlink(TempFile().c_str());
}

// A file read as it is, saved with the breaks it has, goes out as it lies in
// the read bytes: nothing of it is copied.
TEST(OffsetLines, AnUnchangedFileIsHandedOutAsItLies) {
  std::string bytes;
  for (int i = 0; i < 200'000; ++i) {
    bytes += "\tmov eax, " + std::to_string(i) + (i % 7 == 0 ? "\n\n" : "\n");
  }
  for (const std::size_t limit : {std::size_t{0}, TSrcEditStringList::kDefaultOffsetLineLimit}) {
    TSrcEditStringList store;
    store.SetOffsetLineLimit(limit);
    store.ReadFromBytes(bytes);
    const char* begin = store.GetLine(0).data();
    std::size_t pieces = 0;
    std::string out;
    store.ForEachPiece([&](std::string_view piece) {
      EXPECT_GE(piece.data(), begin);
      EXPECT_LE(piece.data() + piece.size(), begin + bytes.size());
      out += piece;
      ++pieces;
    });
    EXPECT_EQ(out + "\n", bytes);
    EXPECT_LT(pieces, 10u);  // a megabyte or more each
  }
}

}  // namespace
}  // namespace torvane
