// NASM's message lines, the file they name, and the gutter marks of errors
// and warnings following inserted and deleted lines.
#include "app/assembler_messages.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "app/message_marks.h"

namespace torvane {
namespace {

struct ParseCase {
  const char* line;
  bool found;
  const char* file;
  int line_number;
  int column;
  TMessageKind kind;
  const char* text;
};

TEST(AssemblerMessagesTest, ParsesNasmsFormats) {
  const TMessageKind E = TMessageKind::Error;
  const TMessageKind W = TMessageKind::Warning;
  const TMessageKind N = TMessageKind::Note;
  const ParseCase cases[] = {
      {"boot.asm:3: error: parser: instruction expected", true, "boot.asm", 3, 0, E,
       "parser: instruction expected"},
      {"boot.asm:7: warning: label alone on a line [-w+label-orphan]", true, "boot.asm", 7, 0, W,
       "label alone on a line [-w+label-orphan]"},
      {"boot.asm:3:5: error: bad", true, "boot.asm", 3, 5, E, "bad"},
      {"my boot.asm:12: fatal: unable to open include file", true, "my boot.asm", 12, 0, E,
       "unable to open include file"},
      {"a:b.asm:4: panic: x", true, "a:b.asm", 4, 0, E, "x"},
      // A colon and digits inside the name do not end it.
      {"dir:3/x.asm:9: warning: w", true, "dir:3/x.asm", 9, 0, W, "w"},
      {"c 1:2 d.asm:10:2: error: e", true, "c 1:2 d.asm", 10, 2, E, "e"},
      {"inc file.inc:4: ... from macro `m' defined here", true, "inc file.inc", 4, 0, N,
       "... from macro `m' defined here"},
      {"x.asm:2: note: see here", true, "x.asm", 2, 0, N, "see here"},
      {"/abs/path/x.asm:1: error: y\r", true, "/abs/path/x.asm", 1, 0, E, "y"},
      {"中文 名.asm:5: error: 错误", true, "中文 名.asm", 5, 0, E, "错误"},
      // Not messages: no place, no severity, line 0, a number too large.
      {"nasm: fatal: unable to open input file `x.asm'", false, "", 0, 0, E, ""},
      {"编译完成：", false, "", 0, 0, E, ""},
      {"/d/boot.asm --> /d/boot.bin", false, "", 0, 0, E, ""},
      {"boot.asm:3: something else", false, "", 0, 0, E, ""},
      {"boot.asm:0: error: x", false, "", 0, 0, E, ""},
      {"boot.asm:99999999999: error: x", false, "", 0, 0, E, ""},
      {":3: error: no file", false, "", 0, 0, E, ""},
      {"boot.asm:3:error: no blank", false, "", 0, 0, E, ""},
      {"boot.asm:3: errors: plural", false, "", 0, 0, E, ""},
      {"", false, "", 0, 0, E, ""},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.line);
    const std::optional<TAssemblerMessage> message = ParseAssemblerMessage(c.line);
    ASSERT_EQ(message.has_value(), c.found);
    if (c.found) {
      EXPECT_EQ(message->File, c.file);
      EXPECT_EQ(message->Line, c.line_number);
      EXPECT_EQ(message->Column, c.column);
      EXPECT_EQ(message->Kind, c.kind);
      EXPECT_EQ(message->Text, c.text);
    }
  }
}

TEST(AssemblerMessagesTest, FileNamesAreTakenFromTheAssemblersDirectory) {
  EXPECT_EQ(MessageFilePath("/src/", "boot.asm"), "/src/boot.asm");
  EXPECT_EQ(MessageFilePath("/src", "inc/a.inc"), "/src/inc/a.inc");
  EXPECT_EQ(MessageFilePath("/src/", "./-x.asm"), "/src/-x.asm");
  EXPECT_EQ(MessageFilePath("/src/", "/usr/include/a.inc"), "/usr/include/a.inc");
  EXPECT_EQ(MessageFilePath("", "a.asm"), "a.asm");
}

TEST(MessageMarksTest, ErrorOutranksWarningAndMarksFollowLines) {
  TMessageMarks marks;
  int changes = 0;
  marks.OnChange = [&] { ++changes; };
  marks.Add(3, TLineMarkKind::Warning);
  marks.Add(3, TLineMarkKind::Error);
  marks.Add(3, TLineMarkKind::Warning);
  marks.Add(7, TLineMarkKind::Warning);
  marks.Add(0, TLineMarkKind::Error);  // no such line
  marks.Add(9, TLineMarkKind::None);   // nothing to mark
  EXPECT_EQ(marks.Dump(), "3:E 7:W");
  marks.LinesInserted(3, 2);  // before line 3: both move
  EXPECT_EQ(marks.Dump(), "5:E 9:W");
  marks.LinesInserted(10, 4);  // below every mark: nothing moves, nobody told
  const int before = changes;
  EXPECT_EQ(marks.Dump(), "5:E 9:W");
  EXPECT_EQ(changes, before);
  marks.LinesDeleted(5, 4);  // line 5's mark lands on the line taking its place
  EXPECT_EQ(marks.Dump(), "5:E");
  marks.Add(6, TLineMarkKind::Warning);
  marks.LinesDeleted(5, 2);  // both removed: one mark, the error
  EXPECT_EQ(marks.Dump(), "5:E");
  marks.LinesCleared();
  EXPECT_TRUE(marks.Empty());
  EXPECT_EQ(marks.KindAt(5), TLineMarkKind::None);
}

// Seeded random comparison with a plain per-line model: each line carries
// its strongest mark; inserted lines carry none, removed lines hand theirs on
// to the line that takes their place.
TEST(MessageMarksTest, RandomEditsMatchAPerLineModel) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 200; ++round) {
    TMessageMarks marks;
    std::vector<TLineMarkKind> lines(1 + random() % 40, TLineMarkKind::None);
    // The messages tracked on each line (the step that tracked them).
    std::vector<std::vector<int>> keys(lines.size());
    for (int step = 0; step < 60; ++step) {
      const int count = static_cast<int>(lines.size());
      const int line = 1 + static_cast<int>(random() % static_cast<unsigned>(count + 1));
      const int n = 1 + static_cast<int>(random() % 5);
      switch (random() % 3) {
        case 0: {
          const auto kind = static_cast<TLineMarkKind>(1 + random() % 2);
          if (line <= count) {
            marks.Add(line, kind);
            lines[line - 1] = std::max(lines[line - 1], kind);
            marks.Track(step, line);
            keys[line - 1].push_back(step);
          }
          break;
        }
        case 1:
          marks.LinesInserted(line, n);
          lines.insert(lines.begin() + (line - 1), n, TLineMarkKind::None);
          keys.insert(keys.begin() + (line - 1), n, std::vector<int>());
          break;
        default: {
          if (line > count || count - line + 1 <= n) {
            break;  // the model keeps at least the line that takes the place
          }
          TLineMarkKind carried = TLineMarkKind::None;
          for (int i = line - 1; i < line - 1 + n; ++i) {
            carried = std::max(carried, lines[i]);
          }
          lines.erase(lines.begin() + (line - 1), lines.begin() + (line - 1 + n));
          lines[line - 1] = std::max(lines[line - 1], carried);
          std::vector<int> moved;
          for (int i = line - 1; i < line - 1 + n; ++i) {
            moved.insert(moved.end(), keys[i].begin(), keys[i].end());
          }
          keys.erase(keys.begin() + (line - 1), keys.begin() + (line - 1 + n));
          keys[line - 1].insert(keys[line - 1].end(), moved.begin(), moved.end());
          marks.LinesDeleted(line, n);
          break;
        }
      }
      std::string expected;
      for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != TLineMarkKind::None) {
          expected += (expected.empty() ? "" : " ") + std::to_string(i + 1) +
                      (lines[i] == TLineMarkKind::Error ? ":E" : ":W");
        }
      }
      ASSERT_EQ(marks.Dump(), expected) << "round " << round << " step " << step;
      // A tracked message is where its line went, as the marks are.
      for (std::size_t i = 0; i < keys.size(); ++i) {
        for (const int key : keys[i]) {
          ASSERT_EQ(marks.TrackedLine(key), std::optional<int>(static_cast<int>(i) + 1))
              << "round " << round << " step " << step << " key " << key;
        }
      }
    }
    // A text read anew: nothing is tracked any more.
    marks.LinesCleared();
    for (int step = 0; step < 60; ++step) {
      ASSERT_FALSE(marks.TrackedLine(step).has_value());
    }
  }
}

}  // namespace
}  // namespace torvane
