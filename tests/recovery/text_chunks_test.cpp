// The chunks of a record follow every kind of change of the line store: a
// seeded random run compared with the text written whole after each step.
#include "recovery/text_chunks.h"

#include <gtest/gtest.h>

#include <random>

#include "document/string_list.h"
#include "editor/edit_model.h"

namespace torvane {
namespace {

std::string Joined(const std::vector<TTextChunk>& pieces) {
  std::string text;
  for (const TTextChunk& piece : pieces) {
    text += piece.bytes;
  }
  return text;
}

// What a save writes: lines joined, and a final break where wanted.
std::string SavedBytes(const TSrcEditStringList& lines, bool final_break) {
  std::string text;
  const std::string_view br = LineBreakOf(lines.FileFormat());
  for (int i = 0; i < lines.LineCount(); ++i) {
    if (i > 0) {
      text += br;
    }
    text += lines.GetLine(i);
  }
  const bool ends = !text.empty() && (text.back() == '\r' || text.back() == '\n');
  if (final_break && !ends && !text.empty()) {
    text += br;
  }
  return text;
}

std::string RandomLine(std::mt19937& random) {
  static const char* const kWords[] = {"mov", " eax", ", 1", "\t", "中文", "", ";", "x"};
  std::string line;
  const int words = static_cast<int>(random() % 5);
  for (int i = 0; i < words; ++i) {
    line += kWords[random() % 8];
  }
  return line;
}

TEST(TextChunks, FollowEveryChangeSeeded) {
  std::mt19937 random(20261208);
  TSrcEditModel model;
  TSrcEditStringList& lines = model.Lines();
  TTextChunks chunks;
  int changes = 0;
  chunks.OnChange = [&] { ++changes; };
  model.AddLineObserver(&chunks);
  chunks.Reset();
  std::vector<std::string> big;
  for (int i = 0; i < 5000; ++i) {
    big.push_back("line " + std::to_string(i));
  }
  lines.AppendLinesFrom(big);
  int steps = 0;
  for (int step = 0; step < 2000; ++step, ++steps) {
    const int count = lines.LineCount();
    const int at = count == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(count));
    switch (random() % 12) {
      case 0:
        lines.InsertLine(static_cast<int>(random() % static_cast<unsigned>(count + 1)),
                         RandomLine(random));
        break;
      case 1:
        if (count > 0) {
          lines.DeleteLine(at);
        }
        break;
      case 2:
      case 3:
        if (count > 0) {
          lines.SetLine(at, RandomLine(random));
        }
        break;
      case 4:
        if (count > 0) {
          lines.ReplaceLineBytes(at, random() % 4, random() % 3, RandomLine(random));
        }
        break;
      case 5:
        if (count > 0) {
          lines.RemoveLines(
              at,
              1 + static_cast<int>(random() % static_cast<unsigned>(std::min(count - at, 2500))));
        }
        break;
      case 6: {
        std::string text;
        const int n = static_cast<int>(random() % 2500);
        for (int i = 0; i < n; ++i) {
          text += RandomLine(random) + "\n";
        }
        lines.InsertLinesOfText(static_cast<int>(random() % static_cast<unsigned>(count + 1)),
                                text);
        break;
      }
      case 7:  // (ExchangeLines tells no observer; no editing command uses it)
        if (count > 0) {
          lines.SetLine(count - 1, RandomLine(random));
        }
        break;
      case 8:
        lines.SetFileFormat(static_cast<TSrcEditFileFormat>(random() % 3));
        break;
      case 9:
        if (random() % 20 == 0) {
          lines.SetAllText(random() % 2 == 0 ? std::string() : "a\r\nb\r\n\r\n");
        }
        break;
      case 10:
        lines.InsertBlankLines(static_cast<int>(random() % static_cast<unsigned>(count + 1)),
                               static_cast<int>(random() % 4));
        break;
      default:
        lines.AppendLine(RandomLine(random));
        break;
    }
    if (random() % 4 != 0) {
      continue;  // several changes between updates, as keys between timer steps
    }
    // A tight budget leaves chunks stale; updating again finishes them.
    while (!chunks.Update(lines, lines.FileFormat(), std::chrono::nanoseconds(random() % 2))) {
    }
    const std::string joined = Joined(chunks.Pieces());
    std::string expected;
    for (int i = 0; i < lines.LineCount(); ++i) {
      expected += std::string(lines.GetLine(i)) + std::string(LineBreakOf(lines.FileFormat()));
    }
    ASSERT_EQ(joined, expected) << "step " << step;
    for (const bool final_break : {false, true}) {
      ASSERT_EQ(
          joined.substr(0, SavedLength(lines, joined.size(), lines.FileFormat(), final_break)),
          SavedBytes(lines, final_break))
          << "step " << step;
    }
    ASSERT_LE(chunks.ChunkCount(), lines.LineCount() / 16 + 4) << "chunks stay large";
  }
  EXPECT_GT(changes, steps / 2);  // format changes and no-op steps tell nothing
  model.RemoveLineObserver(&chunks);
}

// One changed line rebuilds one chunk: the others are shared, not copied.
TEST(TextChunks, KeyRebuildsOneChunk) {
  TSrcEditModel model;
  TTextChunks chunks;
  model.AddLineObserver(&chunks);
  std::vector<std::string> text(100000, "mov eax, 1");
  model.Lines().AppendLinesFrom(text);
  chunks.Reset();
  ASSERT_TRUE(chunks.Update(model.Lines(), sffUnix, std::chrono::hours(1)));
  const std::vector<TTextChunk> before = chunks.Pieces();
  model.Lines().ReplaceLineBytes(99999, 10, 0, "x");
  ASSERT_TRUE(chunks.Update(model.Lines(), sffUnix, std::chrono::hours(1)));
  const std::vector<TTextChunk> after = chunks.Pieces();
  ASSERT_EQ(before.size(), after.size());
  int rebuilt = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    rebuilt += before[i].hold != after[i].hold ? 1 : 0;
  }
  EXPECT_EQ(rebuilt, 1);
  EXPECT_TRUE(Joined(after).ends_with("mov eax, 1x\n"));
  model.RemoveLineObserver(&chunks);
}

// A record made of a read file shares the read bytes instead of copying them,
// and whatever happens to the lines afterwards, a record already made keeps
// its bytes: the store never changes shared bytes in place.
TEST(TextChunks, ReadBytesAreSharedAndStayAsRecorded) {
  std::mt19937 random(8122026);
  static const char* const kBreaks[] = {"\n", "\r\n", "\r"};
  int steps = 0;
  for (int round = 0; round < 300; ++round) {
    TSrcEditModel model;
    TSrcEditStringList& lines = model.Lines();
    TTextChunks chunks;
    model.AddLineObserver(&chunks);
    const int mode = static_cast<int>(random() % 4);  // one kind of break each, or mixed
    const int count = static_cast<int>(random() % 3 == 0 ? random() % 4 : random() % 3000);
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      bytes += RandomLine(random);
      if (i + 1 < count || random() % 2 == 0) {
        bytes += kBreaks[mode < 3 ? mode : random() % 3];
      }
    }
    lines.ReadFromBytes(bytes);
    chunks.Reset();
    std::vector<std::pair<std::vector<TTextChunk>, std::string>> records;
    for (int step = 0; step < 40; ++step, ++steps) {
      if (step > 0) {
        const int n = lines.LineCount();
        const int at = n == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n));
        switch (random() % 6) {
          case 0:
            if (n > 0) {
              lines.DeleteLine(at);
            }
            break;
          case 1:
          case 2:  // shrinking or growing the line where it is
            if (n > 0) {
              lines.ReplaceLineBytes(at, random() % 3, random() % 4,
                                     random() % 2 == 0 ? std::string() : RandomLine(random));
            }
            break;
          case 3:
            lines.InsertLine(at, RandomLine(random));
            break;
          case 4:
            if (random() % 8 == 0) {
              lines.ReadFromBytes(bytes);
            }
            break;
          default:
            if (n > 1) {
              lines.RemoveLines(at, 1 + static_cast<int>(random() % static_cast<unsigned>(n - at)));
            }
            break;
        }
      }
      if (random() % 3 != 0) {
        ASSERT_TRUE(chunks.Update(lines, lines.FileFormat(), std::chrono::hours(1)));
        std::vector<TTextChunk> pieces = chunks.Pieces();
        std::string joined = Joined(pieces);
        std::string expected;
        for (int i = 0; i < lines.LineCount(); ++i) {
          expected += std::string(lines.GetLine(i)) + std::string(LineBreakOf(lines.FileFormat()));
        }
        ASSERT_EQ(joined, expected) << "round " << round << " step " << step;
        if (step == 0 && mode < 3 && lines.LineCount() > 1) {
          // Copied: the last line when the file ends without a break, and
          // the breaks of empty lines that begin a chunk (they have no place).
          std::size_t allowed = lines.GetLine(lines.LineCount() - 1).size() + 2;
          for (int c = 0; c < lines.LineCount(); c += TTextChunks::kChunkLines) {
            for (int l = c; l < lines.LineCount() && lines.GetLine(l).empty(); ++l) {
              allowed += 2;
            }
          }
          const auto shared = lines.SharedBuffer().hold;
          std::size_t copied = 0;
          for (const TTextChunk& piece : pieces) {
            copied += piece.hold == shared ? 0 : piece.bytes.size();
          }
          ASSERT_LE(copied, allowed) << "round " << round;
        }
        records.emplace_back(std::move(pieces), std::move(joined));
        if (records.size() > 3) {
          records.erase(records.begin());
        }
      }
      for (const auto& [pieces, text] : records) {
        ASSERT_EQ(Joined(pieces), text) << "a record changed: round " << round << " step " << step;
      }
    }
    model.RemoveLineObserver(&chunks);
  }
  EXPECT_GT(steps, 10000);
}

}  // namespace
}  // namespace torvane
