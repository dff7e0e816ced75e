// A byte buffer behaves as the string it stands for through every way of
// filling, sizing and moving it, whether its bytes came as a string or were
// written into mapped pages.
#include "platform/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace torvane {
namespace {

void ExpectHolds(const TByteBuffer& buffer, const std::string& model, const std::string& where) {
  ASSERT_EQ(buffer.size(), model.size()) << where;
  ASSERT_EQ(buffer.empty(), model.empty()) << where;
  ASSERT_EQ(buffer.view(), model) << where;
  ASSERT_GE(buffer.capacity(), buffer.size()) << where;
  ASSERT_NE(buffer.data(), nullptr) << where;
}

std::string RandomText(std::mt19937& rng, std::size_t most) {
  std::string text(rng() % (most + 1), '\0');
  for (char& c : text) {
    c = static_cast<char>(rng());
  }
  return text;
}

TEST(ByteBuffer, HoldsTheBytesOfAStringThroughRandomOperations) {
  std::mt19937 rng(20261208);
  TByteBuffer buffers[2];
  std::string models[2];
  int steps = 0;
  for (; steps < 4000; ++steps) {
    const int which = static_cast<int>(rng() % 2);
    TByteBuffer& buffer = buffers[which];
    std::string& model = models[which];
    const std::string where = "step " + std::to_string(steps);
    switch (rng() % 7) {
      case 0: {  // a string taken over, short ones too (kept inside the string)
        model = RandomText(rng, rng() % 2 == 0 ? 20 : 20000);
        buffer = TByteBuffer(std::string(model));
        break;
      }
      case 1: {  // pages written in pieces, as a read fills them
        const std::string text = RandomText(rng, rng() % 2 == 0 ? 100 : 300000);
        buffer.MapPages(text.size() + rng() % 5000);
        ASSERT_TRUE(buffer.empty()) << where;
        std::size_t written = 0;
        while (written < text.size()) {
          const std::size_t piece = std::min<std::size_t>(text.size() - written, rng() % 70000 + 1);
          buffer.Populate(written, written + piece);
          std::memcpy(buffer.data() + written, text.data() + written, piece);
          written += piece;
        }
        buffer.SetWrittenSize(written);
        model = text;
        break;
      }
      case 2: {  // sized within the capacity: new bytes are zero
        const std::size_t size = buffer.capacity() == 0 ? 0 : rng() % (buffer.capacity() + 1);
        const char* before = buffer.data();
        buffer.resize(size);
        model.resize(size);
        ASSERT_EQ(buffer.data(), before) << where;
        break;
      }
      case 3: {
        if (!model.empty()) {  // written in place, as a line changes in it
          const std::size_t at = rng() % model.size();
          buffer.data()[at] = 'x';
          model[at] = 'x';
        }
        break;
      }
      case 4: {
        buffers[0].swap(buffers[1]);
        std::swap(models[0], models[1]);
        break;
      }
      case 5: {
        TByteBuffer moved(std::move(buffer));
        ASSERT_TRUE(buffer.empty()) << where;  // NOLINT(bugprone-use-after-move)
        buffer = std::move(moved);
        break;
      }
      default: {
        buffer.clear();
        model.clear();
        break;
      }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectHolds(buffers[0], models[0], where));
    ASSERT_NO_FATAL_FAILURE(ExpectHolds(buffers[1], models[1], where));
  }
  EXPECT_THROW(buffers[0].resize(buffers[0].capacity() + 1), std::length_error);
}

// Untouched mapped pages read as zero and a size at most the capacity is
// taken; a file of nothing maps nothing.
TEST(ByteBuffer, MappedPagesStartAsZeroAndSizeStaysWithinThem) {
  TByteBuffer buffer;
  buffer.MapPages(10000);
  ASSERT_GE(buffer.capacity(), 10000u);
  buffer.resize(10000);
  EXPECT_EQ(buffer.view(), std::string(10000, '\0'));
  buffer.SetWrittenSize(buffer.capacity() + 5);
  EXPECT_EQ(buffer.size(), buffer.capacity());
  buffer.MapPages(0);
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(buffer.capacity(), TByteBuffer().capacity());
}

}  // namespace
}  // namespace torvane
