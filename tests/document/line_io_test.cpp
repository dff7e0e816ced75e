// Reading and writing lines as bytes: line-break rules, format detection,
// round trips, the buffered file writer and failures of files and streams.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/file_writer.h"
#include "document/src_stream.h"
#include "document/string_list.h"
#include "tests/document/store_recorder.h"

namespace torvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::StoreRecorder;
namespace fs = std::filesystem;

std::vector<std::string> Lines(const TSrcEditStringList& store) {
  std::vector<std::string> out;
  for (int i = 0; i < store.LineCount(); ++i) {
    out.emplace_back(store.GetLine(i));
  }
  return out;
}

std::vector<std::string> Read(const std::string& bytes, TSrcEditFileFormat* format = nullptr) {
  TSrcEditStringList store;
  TSrcMemoryStream stream(bytes);
  stream.SetPosition(static_cast<std::int64_t>(bytes.size()));  // read from 0 regardless
  store.ReadFromStream(stream);
  if (format != nullptr) {
    *format = store.FileFormat();
  }
  return Lines(store);
}

std::string Write(const TSrcEditStringList& store) {
  TSrcMemoryStream stream;
  store.WriteToStream(stream);
  return stream.Bytes();
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/torvane-store-XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// A stream that fails: reads stop with an error after `good` bytes, writes
// always fail.
class FailingStream : public TSrcStream {
 public:
  explicit FailingStream(std::size_t size, std::size_t good) : size_(size), good_(good) {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
  std::int64_t Position() const override { return static_cast<std::int64_t>(at_); }
  void SetPosition(std::int64_t position) override { at_ = static_cast<std::size_t>(position); }
  std::size_t Read(char* buffer, std::size_t count) override {
    if (at_ >= good_) {
      throw ESrcStreamError("Stream read error. Input/output error");
    }
    const std::size_t n = std::min(count, good_ - at_);
    std::fill(buffer, buffer + n, 'x');
    at_ += n;
    return n;
  }
  void Write(const char*, std::size_t) override {
    throw ESrcStreamError("Stream write error. No space left on device");
  }

 private:
  std::size_t size_;
  std::size_t good_;
  std::size_t at_ = 0;
};

TEST(LineIo, BreaksAndFormats) {
  TSrcEditFileFormat format{};
  EXPECT_THAT(Read("a\r\nb\r\n", &format), ElementsAre("a", "b"));
  EXPECT_EQ(format, sffDos);
  EXPECT_THAT(Read("a\nb", &format), ElementsAre("a", "b"));
  EXPECT_EQ(format, sffUnix);
  EXPECT_THAT(Read("a\rb", &format), ElementsAre("a", "b"));
  EXPECT_EQ(format, sffMac);
  EXPECT_THAT(Read("only", &format), ElementsAre("only"));
  EXPECT_EQ(format, sffDos);
  EXPECT_THAT(Read("a\r\nb\n", &format), ElementsAre("a", "b"));
  EXPECT_EQ(format, sffDos);  // mixed
  EXPECT_THAT(Read("a\n\rb", &format), ElementsAre("a", "", "b"));
  EXPECT_EQ(format, sffDos);  // LF CR is two breaks, and mixed
  EXPECT_THAT(Read("\r\r\nx", &format), ElementsAre("", "", "x"));
  EXPECT_THAT(Read("", &format), ElementsAre());
  EXPECT_EQ(format, sffDos);
}

TEST(LineIo, TrailingBlankLinesGoAndBytesStay) {
  EXPECT_THAT(Read("code\n\n  \t\n\x01\x20\n"), ElementsAre("code"));
  EXPECT_THAT(Read("\n\n\n\r\n\r"), ElementsAre());
  EXPECT_THAT(Read("a\n\n \nb\n \n"), ElementsAre("a", "", " ", "b"));
  EXPECT_THAT(Read("  lead  \n"), ElementsAre("  lead  "));  // blanks inside a line stay
  const std::string nul("x\0y\n\xEF\xBB\xBFz\xFF", 9);
  EXPECT_THAT(Read(nul), ElementsAre(std::string("x\0y", 3), "\xEF\xBB\xBFz\xFF"));
  // A final line of only a NUL counts as blank.
  EXPECT_THAT(Read(std::string("a\n\0", 3)), ElementsAre("a"));
}

TEST(LineIo, ReadNotifiesInOneBatchAndSetsTheFormatAfterIt) {
  TSrcEditStringList store;
  store.AppendLine("old");
  StoreRecorder rec(store);
  TSrcEditFileFormat format_at_end = sffMac;
  auto log_end = store.OnBatchEnd;
  store.OnBatchEnd = [&](TSrcEditStringList& s) {
    format_at_end = s.FileFormat();
    log_end(s);
  };
  store.ReadFromBytes("a\n");
  EXPECT_THAT(rec.events,
              ElementsAre("BatchBegin n=1", "Cleared n=0", "BeforeInsert 0 1 n=0",
                          "Inserted 0 1 n=1", "BeforeInsert 1 1 n=1", "Inserted 1 1 n=2",
                          "BeforeDelete 1 1 n=2", "Deleted 1 1 n=1", "BatchEnd n=1"));
  EXPECT_EQ(format_at_end, sffDos);
  EXPECT_EQ(store.FileFormat(), sffUnix);
  EXPECT_EQ(store.GetChangeState(0), lcsUnchanged);
}

TEST(LineIo, WritingUsesTheFormatWithoutAFinalBreak) {
  TSrcEditStringList store;
  EXPECT_EQ(Write(store), "");
  store.AppendLine("");
  EXPECT_EQ(Write(store), "");
  store.SetLine(0, "a");
  store.AppendLine("");
  store.AppendLine("b");
  EXPECT_EQ(Write(store), "a\r\n\r\nb");
  store.SetFileFormat(sffUnix);
  EXPECT_EQ(Write(store), "a\n\nb");
  store.SetFileFormat(sffMac);
  EXPECT_EQ(Write(store), "a\r\rb");

  TSrcMemoryStream stream(std::string("prefix|"));
  stream.SetPosition(7);
  store.WriteToStream(stream);
  EXPECT_EQ(stream.Bytes(), "prefix|a\r\rb");
}

// The documented normalisation, written independently of the store.
std::string Normalise(const std::string& in) {
  std::vector<std::string> lines;
  bool cr = false;
  bool lf = false;
  std::size_t p = 0;
  while (p < in.size()) {
    std::size_t e = p;
    while (e < in.size() && in[e] != '\r' && in[e] != '\n') {
      ++e;
    }
    lines.push_back(in.substr(p, e - p));
    p = e;
    if (p < in.size() && in[p] == '\r') {
      cr = true;
      ++p;
    }
    if (p < in.size() && in[p] == '\n') {
      lf = true;
      ++p;
    }
  }
  if (!in.empty() && (in.back() == '\r' || in.back() == '\n')) {
    lines.emplace_back();
  }
  auto blank = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
  };
  while (!lines.empty() && blank(lines.back())) {
    lines.pop_back();
  }
  const std::string brk = cr && !lf ? "\r" : (lf && !cr ? "\n" : "\r\n");
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += (i > 0 ? brk : "") + lines[i];
  }
  return out;
}

TEST(LineIo, RandomBytesRoundTripToTheirNormalisedForm) {
  std::mt19937 random(20261207);
  TempDir dir;
  const std::string common = "\r\n \t\0\xff";
  for (int round = 0; round < 400; ++round) {
    std::string in;
    const int length = static_cast<int>(random() % (round < 390 ? 64 : 40000));
    for (int i = 0; i < length; ++i) {
      if (random() % 16 == 0) {
        in += "\xE4\xB8\xAD";  // a two-cell character
      } else {
        in += random() % 2 == 0 ? common[random() % common.size()] : static_cast<char>(random());
      }
    }
    TSrcEditStringList store;
    store.ReadFromBytes(in);
    const std::string out = Write(store);
    ASSERT_EQ(out, Normalise(in)) << "round " << round;
    // The bytes a save takes are the same, with room for a final break.
    const std::string spared = store.TextBytes(2);
    ASSERT_EQ(spared, out) << "round " << round;
    if (!out.empty()) {
      ASSERT_GE(spared.capacity(), out.size() + 2) << "round " << round;
    }

    // Splitting sizes the records and notes display widths on the way; the
    // same lines appended one by one end with the same capacity and widths.
    TSrcEditStringList all;
    all.SetAllText(in);
    TSrcEditStringList one;
    for (int i = 0; i < all.LineCount(); ++i) {
      one.AppendLine(all.GetLine(i));
    }
    ASSERT_EQ(all.Capacity(), one.Capacity()) << "round " << round;
    for (int i = 0; i < all.LineCount(); ++i) {
      ASSERT_EQ(all.GetExpandedLength(i), one.GetExpandedLength(i)) << "round " << round;
      ASSERT_EQ(all.IsPlainLine(i), one.IsPlainLine(i)) << "round " << round;
      ASSERT_EQ(all.GetExpandedLine(i), one.GetExpandedLine(i)) << "round " << round;
    }
    // The longest line is known straight after reading, and is the one a
    // scan of the lines finds.
    const int known = all.LongestLineIndex();
    const int read_known = store.LongestLineIndex();
    ASSERT_EQ(all.LongestLineLength(), one.LongestLineLength()) << "round " << round;
    ASSERT_EQ(known, one.LongestLineIndex()) << "round " << round;
    // (Dropping trailing blank lines may forget it again.)
    TSrcEditStringList rescanned;
    rescanned.AppendLinesFrom(store);
    ASSERT_EQ(store.LongestLineLength(), rescanned.LongestLineLength()) << "round " << round;
    ASSERT_EQ(store.LongestLineIndex(), rescanned.LongestLineIndex()) << "round " << round;
    if (read_known >= 0) {
      ASSERT_EQ(read_known, rescanned.LongestLineIndex()) << "round " << round;
    }

    // The buffered writer makes the same bytes, and reading them back gives
    // the same lines.
    const fs::path path = dir / "round.asm";
    {
      TSrcEditFileWriter writer(path);
      writer.SetFileFormat(store.FileFormat());
      for (int i = 0; i < store.LineCount(); ++i) {
        if (i + 1 < store.LineCount()) {
          writer.WriteTextLine(store.GetLine(i));
        } else {
          writer.WriteText(store.GetLine(i));
        }
      }
      writer.Close();
    }
    ASSERT_EQ(FileBytes(path), out) << "round " << round;
    TSrcEditStringList again;
    again.ReadFromFile(path);
    ASSERT_EQ(Lines(again), Lines(store)) << "round " << round;

    // Changed lines (blocks of their own) between read ones, in every format.
    if (store.LineCount() > 0) {
      const int changed = static_cast<int>(random() % static_cast<unsigned>(store.LineCount()));
      store.SetLine(changed, in.substr(0, random() % 20));
      store.InsertLine(static_cast<int>(random() % static_cast<unsigned>(store.LineCount())),
                       "inserted");
      store.SetFileFormat(static_cast<TSrcEditFileFormat>(random() % 3));
      const std::string brk(LineBreakOf(store.FileFormat()));
      std::string joined;
      for (int i = 0; i < store.LineCount(); ++i) {
        joined += (i > 0 ? brk : "") + std::string(store.GetLine(i));
      }
      ASSERT_EQ(store.TextBytes(), joined) << "round " << round;
      ASSERT_EQ(Write(store), joined) << "round " << round;
    }
  }
}

TEST(LineIo, FilesRoundTripAndKeepTheirFormat) {
  TempDir dir;
  const fs::path path = dir / "boot.asm";
  { std::ofstream(path, std::ios::binary) << "mov ax, 1\rint 0x10\r\r"; }
  TSrcEditStringList store;
  store.ReadFromFile(path);
  EXPECT_THAT(Lines(store), ElementsAre("mov ax, 1", "int 0x10"));
  EXPECT_EQ(store.FileFormat(), sffMac);
  store.AppendLine(std::string(20000, 'x'));  // longer than the writer's buffer
  store.WriteToFile(path);
  EXPECT_EQ(FileBytes(path), "mov ax, 1\rint 0x10\r" + std::string(20000, 'x'));

  TSrcEditStringList empty;
  empty.WriteToFile(path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(LineIo, WriterBuffersAndGrowsOnlyForLongLines) {
  TempDir dir;
  const fs::path path = dir / "w.asm";
  TSrcEditFileWriter writer(path);
  EXPECT_EQ(writer.FileFormat(), sffUnix);
  EXPECT_EQ(writer.BufferSize(), 16384u);
  writer.SetFileFormat(sffDos);
  writer.WriteTextLine("a");
  EXPECT_EQ(fs::file_size(path), 0u);  // still buffered
  writer.WriteTextLine(std::string(16383, 'y'));
  EXPECT_EQ(fs::file_size(path), 3u);  // "a\r\n" flushed to make room
  EXPECT_EQ(writer.BufferSize(), 16385u);
  writer.WriteText("end");
  writer.Close();
  EXPECT_EQ(FileBytes(path), "a\r\n" + std::string(16383, 'y') + "\r\nend");
}

TEST(LineIo, FilesThatCannotBeOpenedLeaveTheStoreAlone) {
  TempDir dir;
  TSrcEditStringList store;
  store.AppendLine("keep");
  StoreRecorder rec(store);
  const std::string missing = (dir / "missing.asm").string();
  try {
    store.ReadFromFile(missing);
    FAIL() << "no error";
  } catch (const ESrcFileOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(e.OsError(), ENOENT);
  }
  const std::string directory = (dir / "").string();
  EXPECT_THROW(
      {
        try {
          store.ReadFromFile(directory);
        } catch (const ESrcFileOpenError& e) {
          EXPECT_THAT(e.what(), HasSubstr("Is a directory"));
          throw;
        }
      },
      ESrcFileOpenError);
  const std::string nowhere = (dir / "no/such/dir/x.asm").string();
  try {
    store.WriteToFile(nowhere);
    FAIL() << "no error";
  } catch (const ESrcFileCreateError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Cannot create file \"" + nowhere + "\". "));
  }
  EXPECT_THROW(TSrcEditFileWriter writer(nowhere), ESrcFileCreateError);
  EXPECT_THAT(Lines(store), ElementsAre("keep"));
  EXPECT_TRUE(rec.events.empty());

  const fs::path pipe = dir / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  store.ReadFromFile(pipe);  // no writer: must not wait for one
  EXPECT_EQ(store.LineCount(), 0);

  if (::geteuid() != 0) {  // root reads anything
    const fs::path locked = dir / "locked.asm";
    std::ofstream(locked) << "x";
    fs::permissions(locked, fs::perms::none);
    EXPECT_THROW(store.ReadFromFile(locked), ESrcFileOpenError);
  }
}

TEST(LineIo, StreamFailuresAreReportedAndCloseTheBatch) {
  TSrcEditStringList store;
  store.AppendLine("keep");
  StoreRecorder rec(store);
  FailingStream half(100, 50);
  EXPECT_THROW(store.ReadFromStream(half), ESrcStreamError);
  EXPECT_THAT(Lines(store), ElementsAre("keep"));
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=1", "BatchEnd n=1"));

  FailingStream broken(0, 0);
  EXPECT_THROW(store.WriteToStream(broken), ESrcStreamError);

  // A full disk: the error surfaces when the buffer is written.
  TSrcEditFileWriter writer("/dev/full");
  writer.WriteText("data");
  try {
    writer.Close();
    FAIL() << "no error";
  } catch (const ESrcStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Stream write error. No space left on device");
  }
}

TEST(LineIo, LargeAndDegenerateInputs) {
  TSrcEditStringList store;
  std::string big(50 * 1024 * 1024, 'a');
  big[1000] = '\0';
  store.ReadFromBytes(big);
  ASSERT_EQ(store.LineCount(), 1);
  EXPECT_EQ(store.GetLine(0).size(), big.size());
  EXPECT_EQ(store.GetExpandedLength(0), static_cast<int>(big.size()));

  store.ReadFromBytes(std::string(1'000'000, '\n'));
  EXPECT_EQ(store.LineCount(), 0);

  std::string binary;
  for (int i = 0; i < 256; ++i) {
    binary += static_cast<char>(i);
  }
  store.ReadFromBytes(binary + binary);
  EXPECT_EQ(Write(store), Normalise(binary + binary));
}

}  // namespace
}  // namespace torvane
